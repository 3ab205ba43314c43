# SPDX-License-Identifier: MIT
# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the "-posix"
# thread model is preferred, the default one works as well):
#   cmake -S windows -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
# mingw-w64-i686.cmake sets the 32-bit target and includes this file.
if(NOT _brenvik_mingw)
    set(CMAKE_SYSTEM_PROCESSOR x86_64)
    set(_brenvik_mingw x86_64-w64-mingw32)
endif()
find_program(_brenvik_mingw_cxx NAMES ${_brenvik_mingw}-g++-posix ${_brenvik_mingw}-g++)
find_program(_brenvik_mingw_cc NAMES ${_brenvik_mingw}-gcc-posix ${_brenvik_mingw}-gcc)
find_program(_brenvik_mingw_rc NAMES ${_brenvik_mingw}-windres)
if(NOT _brenvik_mingw_cxx OR NOT _brenvik_mingw_rc)
    message(FATAL_ERROR "The mingw-w64 cross compiler (${_brenvik_mingw}-g++ and"
                        " ${_brenvik_mingw}-windres) was not found.")
endif()
set(CMAKE_CXX_COMPILER ${_brenvik_mingw_cxx})
if(_brenvik_mingw_cc)
    set(CMAKE_C_COMPILER ${_brenvik_mingw_cc})
endif()
set(CMAKE_RC_COMPILER ${_brenvik_mingw_rc})

set(CMAKE_FIND_ROOT_PATH /usr/${_brenvik_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
