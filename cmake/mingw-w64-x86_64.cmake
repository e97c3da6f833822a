# Cross-compiles zokk for 64-bit Windows with Debian's MinGW-w64 (scripts/build-windows.sh).
# ZOKK_DEPS_PREFIX names the folder that "scripts/build-libs.sh windows" builds the libraries
# into; pkg-config looks there alone, so the same pkg-config checks that find the Linux
# libraries find the Windows ones (OpenGL and GLU included, as Windows' own opengl32 and
# glu32). The library build itself uses this file too.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The win32 thread model: the C++ runtime then needs no winpthread DLL.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(ZOKK_DEPS_PREFIX "" CACHE PATH "Prefix of the Windows libraries (scripts/build-libs.sh windows)")
# The compiler checks' own little projects need the prefix as well.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZOKK_DEPS_PREFIX)
if(NOT ZOKK_DEPS_PREFIX)
    message(FATAL_ERROR "Set ZOKK_DEPS_PREFIX to the output of scripts/build-libs.sh windows")
endif()
# Read again at every configure run, so a re-run started by the build finds the same libraries.
set(ENV{PKG_CONFIG_LIBDIR} "${ZOKK_DEPS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${ZOKK_DEPS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC's own runtime goes into the executable, so that it imports only Windows' DLLs and the
# libraries shipped beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
