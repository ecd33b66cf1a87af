# The same sources built for x86-64: a test build only, for the Wine tiers on
# hosts that cannot run 32-bit programs (see scripts/wine.sh). Never released.
set(PELLWORTH_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
