# `make install` as a package build runs it: a DESTDIR install with the
# prefix /usr must hold every file of an installed OndriQuorvex, and the
# desktop's own checkers must accept what it holds. Call with
# -DBUILD_DIR=<build> -DSTAGE=<scratch folder> -DAPP_ID=<application ID>
# -DHELPER=<helper, relative to the prefix> -DDATA_DIR=<data folder, relative>
# -DDOC_DIR=<doc folder, relative> -DWITH_GUI=<ON|OFF>.

function(check_run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
    message(FATAL_ERROR "${what}: exit ${rc}\n${out}${err}")
  endif()
endfunction()

file(REMOVE_RECURSE "${STAGE}")
check_run("DESTDIR install" ${CMAKE_COMMAND} -E env DESTDIR=${STAGE}
          ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr)
set(root "${STAGE}/usr")

set(expected
    bin/quorvex-list
    ${HELPER}
    share/applications/${APP_ID}.desktop
    share/metainfo/${APP_ID}.metainfo.xml
    share/icons/hicolor/scalable/apps/${APP_ID}.svg
    share/icons/hicolor/16x16/apps/${APP_ID}.png
    share/icons/hicolor/32x32/apps/${APP_ID}.png
    share/icons/hicolor/48x48/apps/${APP_ID}.png
    share/man/man1/quorvex.1.gz
    share/man/man1/quorvex-list.1.gz
    ${DATA_DIR}/QuorvexHelp.html
    share/polkit-1/actions/${APP_ID}.policy
    ${DOC_DIR}/copyright
    ${DOC_DIR}/changelog.Debian.gz)
if(WITH_GUI)
  list(APPEND expected bin/quorvex)
endif()
foreach(file ${expected})
  if(NOT EXISTS "${root}/${file}")
    message(FATAL_ERROR "the install lacks /usr/${file}")
  endif()
endforeach()

# pkexec finds the polkit action by the helper's exact installed path.
file(READ "${root}/share/polkit-1/actions/${APP_ID}.policy" policy)
string(FIND "${policy}" "<annotate key=\"org.freedesktop.policykit.exec.path\">/usr/${HELPER}</annotate>" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the polkit action does not name /usr/${HELPER}:\n${policy}")
endif()

check_run("desktop-file-validate" desktop-file-validate "${root}/share/applications/${APP_ID}.desktop")
check_run("appstreamcli validate" appstreamcli validate --no-net "${root}/share/metainfo/${APP_ID}.metainfo.xml")
foreach(page quorvex quorvex-list)
  # man writes its warnings to standard error; the check wants none.
  check_run("man --warnings ${page}" ${CMAKE_COMMAND} -E env MANWIDTH=80
            man --warnings -E UTF-8 -l "${root}/share/man/man1/${page}.1.gz")
endforeach()
check_run("installed quorvex-list" "${root}/bin/quorvex-list" --help)
file(REMOVE_RECURSE "${STAGE}")
