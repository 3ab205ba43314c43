# SPDX-License-Identifier: MIT
# The equalizer's logic (band model, filter file, the shared filter file
# name), listed once for the main build and the fuzz build.
set(BRENVIK_EQUALIZER_LOGIC_DIR ${CMAKE_CURRENT_LIST_DIR})
set(BRENVIK_EQUALIZER_LOGIC_SOURCES
    ${BRENVIK_EQUALIZER_LOGIC_DIR}/BandModel.h ${BRENVIK_EQUALIZER_LOGIC_DIR}/BandModel.cpp
    ${BRENVIK_EQUALIZER_LOGIC_DIR}/FilterFile.h ${BRENVIK_EQUALIZER_LOGIC_DIR}/FilterFile.cpp
    ${BRENVIK_EQUALIZER_LOGIC_DIR}/FilterFileName.h ${BRENVIK_EQUALIZER_LOGIC_DIR}/FilterFileName.cpp)
