# SPDX-License-Identifier: MIT
# The equalizer's logic (band model, filter file, the shared filter file
# name), listed once for the main build and the fuzz build.
set(BRENVIK_EQUALIZER_LOGIC_DIR ${CMAKE_CURRENT_LIST_DIR})
set(BRENVIK_EQUALIZER_LOGIC_SOURCES
    BandModel.h BandModel.cpp FilterFile.h FilterFile.cpp FilterFileName.h
    FilterFileName.cpp)
list(TRANSFORM BRENVIK_EQUALIZER_LOGIC_SOURCES PREPEND ${BRENVIK_EQUALIZER_LOGIC_DIR}/)
