# Cross build of the Windows programs with mingw-w64, for the processor that
# the including toolchain file names in PELLWORTH_MINGW_ARCH (i686 or x86_64);
# ctest runs the Windows test programs under Wine through the project's harness.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${PELLWORTH_MINGW_ARCH})
# The thread model of the runtime: win32 keeps Setup.exe free of any thread library.
if(NOT MINGW_THREADS)
  set(MINGW_THREADS win32)
endif()
set(CMAKE_C_COMPILER ${PELLWORTH_MINGW_ARCH}-w64-mingw32-gcc-${MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${PELLWORTH_MINGW_ARCH}-w64-mingw32-g++-${MINGW_THREADS})
set(CMAKE_RC_COMPILER ${PELLWORTH_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PELLWORTH_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/run-under-wine.sh)
