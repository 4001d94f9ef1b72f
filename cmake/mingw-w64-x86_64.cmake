# Cross build for 64-bit Windows with Debian's mingw-w64 g++.
#
# The "-posix" compilers are the ones whose C++ library has std::thread and
# std::mutex (over winpthreads); the runtime layer and the test servers use
# both.  CORVANE_WIN_DEPS names the folder where scripts/windows built zlib,
# libpng, FLTK and GoogleTest for Windows; it is searched before the
# compiler's own sysroot so that those builds win over any packaged copy.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CORVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CORVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${CORVANE_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${CORVANE_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${CORVANE_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT CORVANE_WIN_DEPS AND DEFINED ENV{CORVANE_WIN_DEPS})
  set(CORVANE_WIN_DEPS $ENV{CORVANE_WIN_DEPS})
endif()
set(CORVANE_WIN_DEPS "${CORVANE_WIN_DEPS}" CACHE PATH "Prefix of the Windows libraries")

set(CMAKE_FIND_ROOT_PATH ${CORVANE_WIN_DEPS} /usr/${CORVANE_MINGW_TRIPLE})
set(CMAKE_PREFIX_PATH ${CORVANE_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must see the Windows libraries only.
set(ENV{PKG_CONFIG_LIBDIR} "${CORVANE_WIN_DEPS}/lib/pkgconfig:${CORVANE_WIN_DEPS}/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Tests run through wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine CACHE STRING "")
# Listing the test cases means running the programs under wine: leave it to
# test time rather than every build.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# No DLL beyond the system's own: the C and C++ runtimes and winpthreads are
# linked into every program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# FLTK's own configuration script of the Windows build, not the machine's.
if(CORVANE_WIN_DEPS AND EXISTS "${CORVANE_WIN_DEPS}/bin/fltk-config")
  set(FLTK_CONFIG "${CORVANE_WIN_DEPS}/bin/fltk-config" CACHE FILEPATH "")
endif()
