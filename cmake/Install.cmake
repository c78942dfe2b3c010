# Installation and the Debian package. The programs live with their companions in one private folder
# (<libdir>/brevanto: brevanto, brevanto-cli, the engine library, error-message.txt, the manuals), where
# the program finds them relative to its own location; <bindir> holds relative links to the two
# programs, so an installation works from any prefix. Shared data goes to <datadir>/brevanto, the
# desktop integration to the freedesktop places.
# (BREVANTO_INSTALL_PRIVATEDIR and BREVANTO_INSTALL_DATADIR are set in the top-level CMakeLists.txt.)
# The software-centre metadata needs addresses for its homepage and screenshots: the configured homepage
# (BREVANTO_HOMEPAGE_URL, which Help > Check for Updates opens too), else the maker's planned address.
set(BREVANTO_HOMEPAGE "${BREVANTO_HOMEPAGE_URL}")
if(NOT BREVANTO_HOMEPAGE)
  set(BREVANTO_HOMEPAGE "https://keldor.example.com/brevanto")
endif()

foreach(program brevanto brevanto-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION "${BREVANTO_INSTALL_PRIVATEDIR}" COMPONENT brevanto)
    file(RELATIVE_PATH target_rel "/${CMAKE_INSTALL_BINDIR}" "/${BREVANTO_INSTALL_PRIVATEDIR}/${program}")
    file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/bin-links")
    file(CREATE_LINK "${target_rel}" "${CMAKE_BINARY_DIR}/bin-links/${program}" SYMBOLIC)
    install(FILES "${CMAKE_BINARY_DIR}/bin-links/${program}" DESTINATION "${CMAKE_INSTALL_BINDIR}"
            COMPONENT brevanto)
  endif()
endforeach()
if(TARGET QUOLM2015_DLL)
  install(TARGETS QUOLM2015_DLL LIBRARY DESTINATION "${BREVANTO_INSTALL_PRIVATEDIR}"
          RUNTIME DESTINATION "${BREVANTO_INSTALL_PRIVATEDIR}" COMPONENT brevanto)
endif()
if(EXISTS "${PROJECT_SOURCE_DIR}/resources/error-message.txt")
  install(FILES "${PROJECT_SOURCE_DIR}/resources/error-message.txt"
          DESTINATION "${BREVANTO_INSTALL_PRIVATEDIR}" COMPONENT brevanto)
endif()
install(DIRECTORY "${PROJECT_SOURCE_DIR}/resources/examples/" DESTINATION "${BREVANTO_INSTALL_DATADIR}/examples"
        COMPONENT brevanto)
if(EXISTS "${PROJECT_SOURCE_DIR}/resources/verification")
  install(DIRECTORY "${PROJECT_SOURCE_DIR}/resources/verification/"
          DESTINATION "${BREVANTO_INSTALL_DATADIR}/verification" COMPONENT brevanto)
endif()
install(FILES README.md CHANGELOG.md DESTINATION "${CMAKE_INSTALL_DOCDIR}" OPTIONAL COMPONENT brevanto)

# Desktop integration: menu entry, icon in the hicolor theme, file types, software-centre metadata.
set(desktop "${PROJECT_SOURCE_DIR}/resources/desktop")
set(app_id com.keldor.Brevanto)
install(FILES "${desktop}/${app_id}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications"
        COMPONENT brevanto)
install(FILES "${desktop}/${app_id}.mime.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/mime/packages"
        RENAME "${app_id}.xml" COMPONENT brevanto)
configure_file("${desktop}/${app_id}.metainfo.xml.in" "${CMAKE_BINARY_DIR}/${app_id}.metainfo.xml" @ONLY)
install(FILES "${CMAKE_BINARY_DIR}/${app_id}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo"
        COMPONENT brevanto)
install(FILES "${desktop}/${app_id}.svg" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
        COMPONENT brevanto)

# The PNG sizes are rendered from the SVG at build time, so there is one drawing to keep.
add_executable(brevanto_render_icon "${desktop}/RenderIcon.cpp")
target_link_libraries(brevanto_render_icon PRIVATE Qt6::Gui Qt6::Svg)
brevanto_warnings(brevanto_render_icon)
set(icon_pngs "")
foreach(size 16 22 24 32 48 64 128 256)
  set(png "${CMAKE_BINARY_DIR}/icons/${size}/${app_id}.png")
  add_custom_command(OUTPUT "${png}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/icons/${size}"
    COMMAND brevanto_render_icon "${desktop}/${app_id}.svg" "${png}" ${size}
    DEPENDS brevanto_render_icon "${desktop}/${app_id}.svg" VERBATIM)
  list(APPEND icon_pngs "${png}")
  install(FILES "${png}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
          COMPONENT brevanto)
endforeach()
add_custom_target(brevanto_icons ALL DEPENDS ${icon_pngs})

# The Debian package: dependencies found by dpkg-shlibdeps from the installed binaries.
set(CPACK_PACKAGE_NAME brevanto)
set(CPACK_PACKAGE_VENDOR "Keldor")
set(CPACK_PACKAGE_CONTACT "Keldor <brevanto@keldor.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Limit-equilibrium stability analysis of soil slopes")
set(CPACK_PACKAGE_DESCRIPTION
    "Brevanto analyses the stability of two-dimensional soil slope cross-sections with the Ordinary, "
    "Bishop, Janbu, Spencer and Morgenstern-Price methods and circular, irregular and block searches.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${BREVANTO_HOMEPAGE}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
include(CPack)
