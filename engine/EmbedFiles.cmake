# Writes OUT, a C++ source holding every file of DIR as text: the verification problems travel inside
# the program, so "brevanto-cli verify" needs no files beside it.
file(GLOB files "${DIR}/*")
list(SORT files)
set(body "")
foreach(f ${files})
  get_filename_component(name ${f} NAME)
  file(READ ${f} text)
  string(APPEND body "    {\"${name}\", R\"QVX(${text})QVX\"},\n")
endforeach()
file(WRITE ${OUT}.tmp "// Generated from resources/verification by EmbedFiles.cmake.\n#include \"engine/Verify.h\"\n\nnamespace quolm {\nconst std::vector<TEmbeddedFile>& VerificationFiles() {\n    static const std::vector<TEmbeddedFile> files = {\n${body}    };\n    return files;\n}\n} // namespace quolm\n")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
