cmake_minimum_required(VERSION 3.21)
# Fails when a C++ file of ours differs from what clang-format makes of it with the checked-in style.
file(GLOB_RECURSE files "${ROOT}/src/*.h" "${ROOT}/src/*.cpp" "${ROOT}/engine/*.h" "${ROOT}/engine/*.cpp"
     "${ROOT}/tests/*.h" "${ROOT}/tests/*.cpp" "${ROOT}/bench/*.h" "${ROOT}/bench/*.cpp")
list(FILTER files EXCLUDE REGEX "/tests/data/")
execute_process(COMMAND ${CLANG_FORMAT} --style=file --dry-run --Werror ${files}
                WORKING_DIRECTORY ${ROOT} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "Files not in the checked-in style (run clang-format -i on them):\n${err}")
endif()
list(LENGTH files n)
message(STATUS "format ok (${n} files)")
