# The suite as one Debian package, built with CPack:
#   cmake --build build/default --target package   ->  build/default/warrow_<version>_<arch>.deb
#
# The package holds the flat installation folder (what `cmake --install`
# stages) under /opt/warrow, owned by root. Everything about the package's
# layout and ownership is decided in this file, so that a later decision on
# who may write what changes one place:
#   - kept out: Config.ini (the parent's settings must survive an upgrade, so
#     no package owns it; the postinst creates it and the database files
#     with `warrowctl init` when they are missing) and the maker's reference
#     servers (a family computer runs neither);
#   - Update.ini, the update servers, comes from WARROW_UPDATE_SERVER when set;
#   - a purge removes what the programs wrote (settings, database, downloads, logs);
#   - outside the folder: the child's X session entry (/usr/share/xsessions)
#     and a hook that keeps the child's ~/.xsessionrc out of that session
#     (/etc/X11/Xsession.d), put into the package's tree after staging so
#     that `cmake --install` to a folder never writes to the system;
#   - the service's unit is written by `WarrowSvc /install` on configure and
#     removed by `WarrowSvc /uninstall` on remove.
set(WARROW_PACKAGE_PREFIX "/opt/warrow" CACHE STRING "Installation folder of the Debian package")
set(WARROW_UPDATE_SERVER "" CACHE STRING
    "Base address (ending in '/') of the update server written to the package's Update.ini; empty: none")

set(WARROW_PACKAGE_EXCLUDED Config.ini warrow-accountd warrow-reportd)

if(WARROW_UPDATE_SERVER)
  file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/packaging/Update.ini
       CONTENT "[Warrow]\nAddress=${WARROW_UPDATE_SERVER}\n")
  install(FILES ${PROJECT_BINARY_DIR}/packaging/Update.ini DESTINATION .)
endif()

set(WARROW_INSTALL_FOLDER ${WARROW_PACKAGE_PREFIX})
configure_file(${PROJECT_SOURCE_DIR}/resources/session/warrow.desktop.in ${PROJECT_BINARY_DIR}/packaging/warrow.desktop
               @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/session/xsession-hook.in
               ${PROJECT_BINARY_DIR}/packaging/39warrow-session @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/packaging/system-files.cmake.in ${PROJECT_BINARY_DIR}/packaging/system-files.cmake
               @ONLY)

configure_file(${CMAKE_CURRENT_LIST_DIR}/packaging/postinst.in ${PROJECT_BINARY_DIR}/packaging/postinst @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/packaging/prerm.in ${PROJECT_BINARY_DIR}/packaging/prerm @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/packaging/postrm.in ${PROJECT_BINARY_DIR}/packaging/postrm @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/packaging/exclude.cmake.in ${PROJECT_BINARY_DIR}/packaging/exclude.cmake @ONLY)
file(CHMOD ${PROJECT_BINARY_DIR}/packaging/postinst ${PROJECT_BINARY_DIR}/packaging/prerm
     ${PROJECT_BINARY_DIR}/packaging/postrm
     PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME warrow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Warrow")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Family-safety suite for Linux desktops")
set(CPACK_PACKAGE_DESCRIPTION
    "A full-screen child shell that offers only the programs a parent allowed, a child web browser, play and rest times, and the parent's tray console.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${WARROW_PACKAGE_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Warrow maintainers <maintainers@warrow.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The suite's own libraries sit beside the programs (RPATH $ORIGIN).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/core ${CMAKE_BINARY_DIR}/skin
    ${CMAKE_BINARY_DIR}/platform/x11)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, fonts-noto-cjk | fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "openbox")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/packaging/postinst ${PROJECT_BINARY_DIR}/packaging/prerm
    ${PROJECT_BINARY_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_BINARY_DIR}/packaging/exclude.cmake ${PROJECT_BINARY_DIR}/packaging/system-files.cmake)
set(CPACK_STRIP_FILES ON)
include(CPack)
