# brevanto_app: the main window, the engine run, text files and help. The program `brevanto` (a thin
# main, declared in src/CMakeLists.txt) and the tests in tests/app link it.
target_sources(brevanto_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainMenus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataWindowMakers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecentFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileDialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DynamicLibrary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EngineRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AnalysisRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveAnalysis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveEditing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModelHistory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RunProgress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RunResults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultsCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextViewer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WorkArea.cpp
  ${CMAKE_CURRENT_LIST_DIR}/About.cpp
)
set(BREVANTO_HOMEPAGE_URL "" CACHE STRING
    "Web page that Help > Check for Updates opens; empty: the release notes shipped beside the program")
target_compile_definitions(brevanto_app PRIVATE BREVANTO_VERSION="${PROJECT_VERSION}"
                                                BREVANTO_HOMEPAGE_URL="${BREVANTO_HOMEPAGE_URL}")

# The manuals and the release notes are written in Markdown and shipped as HTML beside the program, so
# Help opens them in the desktop's browser. The converter is Qt's own Markdown reader.
add_executable(brevanto_mddoc ${CMAKE_CURRENT_LIST_DIR}/MarkdownToHtml.cpp)
target_link_libraries(brevanto_mddoc PRIVATE Qt6::Gui)
brevanto_warnings(brevanto_mddoc)

file(GLOB brevanto_doc_sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/docs/*.md")
if(EXISTS "${PROJECT_SOURCE_DIR}/CHANGELOG.md")
  list(APPEND brevanto_doc_sources "${PROJECT_SOURCE_DIR}/CHANGELOG.md")
endif()
file(GLOB brevanto_doc_pictures CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/docs/screenshots/*.png")
# (The error-message notes come beside the program with the engine's build.)

set(brevanto_program_dir "${CMAKE_CURRENT_BINARY_DIR}")
set(brevanto_doc_outputs "${brevanto_program_dir}/contents.html")
foreach(md ${brevanto_doc_sources})
  get_filename_component(stem "${md}" NAME_WE)
  list(APPEND brevanto_doc_outputs "${brevanto_program_dir}/${stem}.html")
endforeach()
# The manuals' pictures are copied as they are into screenshots/ beside the pages.
set(brevanto_picture_outputs "")
foreach(f ${brevanto_doc_pictures})
  get_filename_component(name "${f}" NAME)
  list(APPEND brevanto_picture_outputs "${brevanto_program_dir}/screenshots/${name}")
endforeach()

add_custom_command(
  OUTPUT ${brevanto_doc_outputs} ${brevanto_picture_outputs}
  COMMAND ${CMAKE_COMMAND} -E make_directory "${brevanto_program_dir}/screenshots"
  # The converter is a Qt program; at build time it runs offscreen and, in sanitizer builds, without
  # leak detection (Qt's font caches live until the process ends).
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:brevanto_mddoc> "${brevanto_program_dir}" ${brevanto_doc_sources}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${brevanto_doc_pictures} "${brevanto_program_dir}/screenshots"
  DEPENDS brevanto_mddoc ${brevanto_doc_sources} ${brevanto_doc_pictures}
  COMMENT "Help files beside the program"
  VERBATIM)
add_custom_target(brevanto_docs ALL DEPENDS ${brevanto_doc_outputs} ${brevanto_picture_outputs})

# Installed into the program's private folder, where Help finds them.
install(FILES ${brevanto_doc_outputs} DESTINATION "${BREVANTO_INSTALL_PRIVATEDIR}" COMPONENT brevanto)
install(FILES ${brevanto_picture_outputs} DESTINATION "${BREVANTO_INSTALL_PRIVATEDIR}/screenshots"
        COMPONENT brevanto)
