# `make install` (GNUInstallDirs, DESTDIR honoured), the Debian package
# (`make package`, CPack) and the checks of both, for Linux. The names and
# folders come from cmake/install_paths.cmake.

# Where the programs look for what they do not carry: relative to their own
# executable, so that one build serves every prefix.
target_compile_definitions(quorvex_platform PRIVATE QUORVEX_HELPER_FROM_BIN="${QUORVEX_HELPER_FROM_BIN}/quorvex-helper")
