# SPDX-License-Identifier: MIT
# The stand-in converters' one source, for the Linux and the Windows build.
set(BRENVIK_STANDIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/StandInConverter.cpp)
