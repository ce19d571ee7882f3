# Names and places of an installed OndriQuorvex, known before the targets
# are made: the programs find their helper and their data from these.
include(GNUInstallDirs)

# The one application ID, reverse-DNS of the home page's domain
# (ondriquorvex.example.org): the desktop entry, the icon, the AppStream
# metainfo and the polkit action are named by it.
set(QUORVEX_APP_ID "org.example.ondriquorvex.Quorvex")
# Folder name under share/ and libexec/, and the Debian package's name.
set(QUORVEX_PACKAGE_NAME "ondriquorvex")
# The system group whose members may run quorvex-helper.
set(QUORVEX_HELPER_GROUP "quorvex")

set(QUORVEX_INSTALL_DATA_DIR "${CMAKE_INSTALL_DATADIR}/${QUORVEX_PACKAGE_NAME}")
set(QUORVEX_INSTALL_HELPER_DIR "${CMAKE_INSTALL_LIBEXECDIR}/${QUORVEX_PACKAGE_NAME}")

# The programs look for the helper and the help page relative to their own
# executable, so that one build serves any prefix: /usr for the package,
# /usr/local for `make install`, a staging folder for DESTDIR.
foreach(dir DATA HELPER)
  if(IS_ABSOLUTE "${QUORVEX_INSTALL_${dir}_DIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
    message(FATAL_ERROR "OndriQuorvex installs into folders relative to its prefix; "
                        "give CMAKE_INSTALL_BINDIR, DATADIR and LIBEXECDIR as relative paths")
  endif()
  file(RELATIVE_PATH QUORVEX_${dir}_FROM_BIN "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${QUORVEX_INSTALL_${dir}_DIR}")
endforeach()

# What Debian builds its programs with, so that the installed ones (the
# helper with its capabilities above all) have the same defences: checked
# string and memory functions, stack canaries, and every relocation
# resolved and made read-only at start.
if(NOT WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-fstack-protector-strong "$<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>")
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
