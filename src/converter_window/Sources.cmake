# SPDX-License-Identifier: MIT
# The converter window's logic (field rules, command lines, channel
# detection), listed once for the main build and the fuzz build.
set(BRENVIK_CONVERTER_LOGIC_DIR ${CMAKE_CURRENT_LIST_DIR})
set(BRENVIK_CONVERTER_LOGIC_SOURCES
    ${BRENVIK_CONVERTER_LOGIC_DIR}/FieldRules.h ${BRENVIK_CONVERTER_LOGIC_DIR}/FieldRules.cpp
    ${BRENVIK_CONVERTER_LOGIC_DIR}/CommandLineBuilder.h
    ${BRENVIK_CONVERTER_LOGIC_DIR}/CommandLineBuilder.cpp
    ${BRENVIK_CONVERTER_LOGIC_DIR}/ChannelDetection.h
    ${BRENVIK_CONVERTER_LOGIC_DIR}/ChannelDetection.cpp)
