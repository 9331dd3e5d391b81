# Installing and packaging. Two components, each its own .deb from `cpack -G DEB`:
#   client  -> quorelapi: the program, its desktop entry and icons
#   server  -> quorelapi-server: the sample back-end
# Binaries are stripped in the packages; library dependencies are read from the executables.
include(GNUInstallDirs)

if(NOT TARGET quorelapi)
  return() # a partial build (QUOREL_FOLDERS) has nothing to install
endif()
install(TARGETS quorelapi RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT client)
install(FILES ${CMAKE_SOURCE_DIR}/resources/quorelapi.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT client)
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/app.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME quorelapi.svg COMPONENT client)
# The icon drawn at build time, at each size the program itself uses.
foreach(size ${app_icon_sizes})
  install(FILES ${CMAKE_BINARY_DIR}/gui/rendered/icons/app-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quorelapi.png COMPONENT client)
endforeach()
if(TARGET quorelapi-server)
  install(TARGETS quorelapi-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT server)
endif()

set(CPACK_PACKAGE_NAME quorelapi)
set(CPACK_PACKAGE_VENDOR "QuorelApi")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop client for JSON REST back-ends, built from the server's metadata")
set(CPACK_PACKAGE_INSTALL_DIRECTORY quorelapi)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL client server)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "QuorelApi developers <dev@quorelapi.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME quorelapi)
set(CPACK_COMPONENT_CLIENT_DESCRIPTION "Desktop client for JSON REST back-ends, built from the server's metadata")
# Qt's own texts (standard buttons, edit menus) come in Portuguese from the translations package.
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION utils)

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME quorelapi-server)
set(CPACK_COMPONENT_SERVER_DESCRIPTION "The sample back-end of QuorelApi (SQLite or PostgreSQL)")
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
include(CPack)
