# SPDX-License-Identifier: MIT
# The launch room's sources, listed once. The Windows start builds without
# Qt, for the Windows starter too.
set(BRENVIK_LAUNCH_DIR ${CMAKE_CURRENT_LIST_DIR})
set(BRENVIK_LAUNCH_WINDOWS_SOURCES WindowsStart.h WindowsStart.cpp)
set(BRENVIK_LAUNCH_SOURCES
    ProgramSearch.h ProgramSearch.cpp ProcessStart.h ProcessStart.cpp WineStart.h WineStart.cpp
    WineNames.h WineNames.cpp ConverterStart.h ConverterStart.cpp TerminalStart.h
    TerminalStart.cpp)
list(TRANSFORM BRENVIK_LAUNCH_WINDOWS_SOURCES PREPEND ${BRENVIK_LAUNCH_DIR}/)
list(TRANSFORM BRENVIK_LAUNCH_SOURCES PREPEND ${BRENVIK_LAUNCH_DIR}/)
list(APPEND BRENVIK_LAUNCH_SOURCES ${BRENVIK_LAUNCH_WINDOWS_SOURCES})
