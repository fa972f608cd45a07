# What `cmake --install` puts where, and the Debian package `cpack -G DEB` makes of it. Only the
# client is installed: the demo site, the tests and the benchmarks stay in the build tree.
include(GNUInstallDirs)

set(LXTV_HOMEPAGE "https://lxtv.example.org" CACHE STRING "The client's home page (AppStream metadata)")
set(LXTV_RELEASE_DATE "2026-12-11")

install(TARGETS lxtv RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The desktop entry, the icon and the metainfo share the application id.
configure_file(${CMAKE_CURRENT_LIST_DIR}/app.desktop.in
               ${CMAKE_BINARY_DIR}/packaging/${LXTV_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/app.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${LXTV_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${LXTV_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${LXTV_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The window icon's own images, and one of 256 for software centres.
foreach(size 32 48 64 96 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/assets/icons/${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${LXTV_APP_ID}.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lxtv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "network television client for a provider's catalogue")
# The long description under the summary line; CPack indents it as the control file wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "LXTV fetches the catalogue of TV channels and films that a provider publishes
on its web site, shows it as a tree, and plays the page of the channel picked
in an embedded browser view, inside one skinned window.")
set(CPACK_PACKAGE_CONTACT "LXTV maintainers <maintainers@lxtv.example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${LXTV_HOMEPAGE}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Libraries come from the binary itself (the browser engine's helper process with them). What
# nothing links comes on top: a font with the Chinese characters of every caption and page.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei")
# The desktop's opener (installer, outside pages), MIME data and icons for local video files.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, shared-mime-info, adwaita-icon-theme")
include(CPack)
