# SPDX-License-Identifier: MIT
# The text rules' sources, listed once for the main build, the fuzz build and
# the Windows build. PercentCodec.h and WindowsStatus.h are plain C++ and
# serve the helper programs too.
set(BRENVIK_TEXT_DIR ${CMAKE_CURRENT_LIST_DIR})
set(BRENVIK_TEXT_SOURCES
    ${BRENVIK_TEXT_DIR}/NumberFormat.h ${BRENVIK_TEXT_DIR}/NumberFormat.cpp
    ${BRENVIK_TEXT_DIR}/WinCommandLine.h ${BRENVIK_TEXT_DIR}/WinCommandLine.cpp
    ${BRENVIK_TEXT_DIR}/WindowsNames.h ${BRENVIK_TEXT_DIR}/WindowsNames.cpp
    ${BRENVIK_TEXT_DIR}/ExecutableKind.h ${BRENVIK_TEXT_DIR}/ExecutableKind.cpp
    ${BRENVIK_TEXT_DIR}/RegularFile.h ${BRENVIK_TEXT_DIR}/RegularFile.cpp
    ${BRENVIK_TEXT_DIR}/ConverterCommand.h
    ${BRENVIK_TEXT_DIR}/PercentCodec.h ${BRENVIK_TEXT_DIR}/WindowsStatus.h)
