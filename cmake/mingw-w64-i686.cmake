# SPDX-License-Identifier: MIT
# Cross-compiling for 32-bit Windows with Debian's mingw-w64
# (g++-mingw-w64-i686-posix):
#   cmake -S windows -B build-mingw32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR x86)
set(_brenvik_mingw i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
