# `make install` (GNUInstallDirs, DESTDIR honoured), the Debian package
# (`make package`, CPack) and the checks of both, for Linux. The names and
# folders come from cmake/install_paths.cmake.

# Where the programs look for what they do not carry: relative to their own
# executable, so that one build serves every prefix.
target_compile_definitions(quorvex_platform PRIVATE QUORVEX_HELPER_FROM_BIN="${QUORVEX_HELPER_FROM_BIN}/quorvex-helper")
if(TARGET quorvex_gui)
  target_compile_definitions(quorvex_gui PRIVATE QUORVEX_DATA_FROM_BIN="${QUORVEX_DATA_FROM_BIN}"
                                                 QUORVEX_APP_ID="${QUORVEX_APP_ID}")
endif()

set(QUORVEX_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(QUORVEX_STAGE_DIR ${CMAKE_BINARY_DIR}/packaging)
set(QUORVEX_MAINTAINER "OndriQuorvex maintainers <support@ondriquorvex.example.org>")
set(QUORVEX_DEB_RELEASE 1)
set(QUORVEX_DEB_VERSION "${PROJECT_VERSION}-${QUORVEX_DEB_RELEASE}")
# The package installs into /usr; the helper's path there is written into
# its maintainer scripts.
set(QUORVEX_DEB_PREFIX /usr)
set(QUORVEX_HELPER_INSTALLED "${QUORVEX_DEB_PREFIX}/${QUORVEX_INSTALL_HELPER_DIR}/quorvex-helper")

configure_file(${QUORVEX_PACKAGING_DIR}/linux/quorvex.desktop.in ${QUORVEX_STAGE_DIR}/${QUORVEX_APP_ID}.desktop @ONLY)
configure_file(${QUORVEX_PACKAGING_DIR}/linux/quorvex.metainfo.xml.in
               ${QUORVEX_STAGE_DIR}/${QUORVEX_APP_ID}.metainfo.xml @ONLY)
configure_file(${QUORVEX_PACKAGING_DIR}/debian/postinst.in ${QUORVEX_STAGE_DIR}/debian/postinst @ONLY)
configure_file(${QUORVEX_PACKAGING_DIR}/debian/postrm.in ${QUORVEX_STAGE_DIR}/debian/postrm @ONLY)
configure_file(${QUORVEX_PACKAGING_DIR}/debian/changelog.in ${QUORVEX_STAGE_DIR}/changelog.Debian @ONLY)

# Manual pages and the changelog go compressed, as Debian has them; -n keeps
# the time out of the file, so that two builds give the same bytes.
set(QUORVEX_GZIPPED)
foreach(source ${QUORVEX_PACKAGING_DIR}/linux/man/quorvex.1 ${QUORVEX_PACKAGING_DIR}/linux/man/quorvex-list.1
               ${QUORVEX_STAGE_DIR}/changelog.Debian)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${QUORVEX_STAGE_DIR}/${name}.gz
                     COMMAND gzip -9n -c ${source} > ${QUORVEX_STAGE_DIR}/${name}.gz
                     DEPENDS ${source} VERBATIM)
  list(APPEND QUORVEX_GZIPPED ${QUORVEX_STAGE_DIR}/${name}.gz)
endforeach()
add_custom_target(quorvex_packaging_files ALL DEPENDS ${QUORVEX_GZIPPED})

# The programs.
install(TARGETS quorvex-list RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET quorvex)
  install(TARGETS quorvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# Mode 0755 here; the package's post-install step gives it its group, mode
# 0750 and its capabilities (packaging/debian/postinst.in).
install(TARGETS quorvex-helper RUNTIME DESTINATION ${QUORVEX_INSTALL_HELPER_DIR})

# What the desktop shows: menu entry, icons, software-centre metainfo.
install(FILES ${QUORVEX_STAGE_DIR}/${QUORVEX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUORVEX_STAGE_DIR}/${QUORVEX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUORVEX_PACKAGING_DIR}/linux/icons/quorvex.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${QUORVEX_APP_ID}.svg)
foreach(size 16 32 48)
  install(FILES ${QUORVEX_PACKAGING_DIR}/linux/icons/quorvex-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${QUORVEX_APP_ID}.png)
endforeach()

# The help page, where the help button looks after the executable's folder.
install(FILES ${PROJECT_SOURCE_DIR}/resources/QuorvexHelp.html DESTINATION ${QUORVEX_INSTALL_DATA_DIR})
install(FILES ${QUORVEX_STAGE_DIR}/quorvex.1.gz ${QUORVEX_STAGE_DIR}/quorvex-list.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
set(QUORVEX_INSTALL_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${QUORVEX_PACKAGE_NAME})
install(FILES ${QUORVEX_PACKAGING_DIR}/debian/copyright ${QUORVEX_STAGE_DIR}/changelog.Debian.gz
        DESTINATION ${QUORVEX_INSTALL_DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${QUORVEX_INSTALL_DOC_DIR})

# The polkit action names the helper by its full path, which is known only
# when the install runs (CPack installs into /usr whatever the build's
# prefix); so the file is written then.
install(CODE "
  set(QUORVEX_APP_ID \"${QUORVEX_APP_ID}\")
  set(QUORVEX_HELPER_INSTALLED \"\${CMAKE_INSTALL_PREFIX}/${QUORVEX_INSTALL_HELPER_DIR}/quorvex-helper\")
  configure_file(\"${QUORVEX_PACKAGING_DIR}/linux/quorvex.policy.in\" \"${QUORVEX_STAGE_DIR}/${QUORVEX_APP_ID}.policy\" @ONLY)
")
install(FILES ${QUORVEX_STAGE_DIR}/${QUORVEX_APP_ID}.policy DESTINATION ${CMAKE_INSTALL_DATADIR}/polkit-1/actions)

# The Debian package: `make package` (or cpack in the build folder) writes
# ondriquorvex_<version>_<arch>.deb here.
set(CPACK_GENERATOR DEB)
# The description's quotes and blanks reach the control file as written.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME ${QUORVEX_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "OndriQuorvex")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${QUORVEX_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX ${QUORVEX_DEB_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "network connection viewer with the owning processes")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"OndriQuorvex lists, in one window, every IPv4 TCP and UDP endpoint of this
machine with the process that owns it: name, PID, path, local and remote
address and port, and the TCP state. From a row it ends the process, shows
its details or copies a report. The command quorvex-list prints the same
list as text or JSON.
.
The programs run as an ordinary user. To see the owners of other users'
connections too, join the group ${QUORVEX_HELPER_GROUP}: an administrator
runs 'adduser USER ${QUORVEX_HELPER_GROUP}', and the user logs in again.
Its members run quorvex-helper, which has the capabilities
cap_dac_read_search and cap_sys_ptrace and nothing else. Ending another
user's process asks for an administrator's password through pkexec.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QUORVEX_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://ondriquorvex.example.org/")
# The libraries come from the binaries; the post-install step needs
# addgroup and setcap.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser, libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pkexec")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${QUORVEX_STAGE_DIR}/debian/postinst ${QUORVEX_STAGE_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

if(QUORVEX_BUILD_TESTS)
  # The install and the package, checked as a packager would.
  if(TARGET quorvex)
    set(QUORVEX_WITH_GUI ON)
  else()
    set(QUORVEX_WITH_GUI OFF)
  endif()
  add_test(NAME install_check
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DSTAGE=${CMAKE_BINARY_DIR}/install-check
                   -DAPP_ID=${QUORVEX_APP_ID} -DHELPER=${QUORVEX_INSTALL_HELPER_DIR}/quorvex-helper
                   -DDATA_DIR=${QUORVEX_INSTALL_DATA_DIR} -DDOC_DIR=${QUORVEX_INSTALL_DOC_DIR}
                   -DWITH_GUI=${QUORVEX_WITH_GUI} -P ${PROJECT_SOURCE_DIR}/tests/install/install_check.cmake)
  add_test(NAME package_check
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DOUT=${CMAKE_BINARY_DIR}/package-check
                   -P ${PROJECT_SOURCE_DIR}/tests/install/package_check.cmake)
  set_tests_properties(install_check package_check PROPERTIES TIMEOUT 300)
endif()
