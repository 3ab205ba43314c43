# SPDX-License-Identifier: MIT
# The launch room's sources, listed once. The Windows start builds without
# Qt, for the Windows starter too.
set(BRENVIK_LAUNCH_DIR ${CMAKE_CURRENT_LIST_DIR})
set(BRENVIK_LAUNCH_WINDOWS_SOURCES
    ${BRENVIK_LAUNCH_DIR}/WindowsStart.h ${BRENVIK_LAUNCH_DIR}/WindowsStart.cpp)
set(BRENVIK_LAUNCH_SOURCES
    ${BRENVIK_LAUNCH_DIR}/ProgramSearch.h ${BRENVIK_LAUNCH_DIR}/ProgramSearch.cpp
    ${BRENVIK_LAUNCH_DIR}/ProcessStart.h ${BRENVIK_LAUNCH_DIR}/ProcessStart.cpp
    ${BRENVIK_LAUNCH_DIR}/WineStart.h ${BRENVIK_LAUNCH_DIR}/WineStart.cpp
    ${BRENVIK_LAUNCH_DIR}/WineNames.h ${BRENVIK_LAUNCH_DIR}/WineNames.cpp
    ${BRENVIK_LAUNCH_DIR}/ConverterStart.h ${BRENVIK_LAUNCH_DIR}/ConverterStart.cpp
    ${BRENVIK_LAUNCH_DIR}/TerminalStart.h ${BRENVIK_LAUNCH_DIR}/TerminalStart.cpp
    ${BRENVIK_LAUNCH_WINDOWS_SOURCES})
