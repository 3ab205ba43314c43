# SPDX-License-Identifier: MIT
# The converter window's logic (field rules, command lines, channel
# detection), listed once for the main build and the fuzz build.
set(BRENVIK_CONVERTER_LOGIC_DIR ${CMAKE_CURRENT_LIST_DIR})
set(BRENVIK_CONVERTER_LOGIC_SOURCES
    FieldRules.h FieldRules.cpp CommandLineBuilder.h CommandLineBuilder.cpp
    ChannelDetection.h ChannelDetection.cpp)
list(TRANSFORM BRENVIK_CONVERTER_LOGIC_SOURCES PREPEND ${BRENVIK_CONVERTER_LOGIC_DIR}/)
