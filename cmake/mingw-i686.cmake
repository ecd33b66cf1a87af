# The 32-bit Windows programs: Setup.exe as it is released, and its tests.
set(PELLWORTH_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
