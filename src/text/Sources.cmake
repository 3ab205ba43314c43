# SPDX-License-Identifier: MIT
# The text rules' sources, listed once for the main build, the fuzz build and
# the Windows build. PercentCodec.h and WindowsStatus.h are plain C++ and
# serve the helper programs too.
set(BRENVIK_TEXT_DIR ${CMAKE_CURRENT_LIST_DIR})
set(BRENVIK_TEXT_SOURCES
    NumberFormat.h NumberFormat.cpp WinCommandLine.h WinCommandLine.cpp
    WindowsNames.h WindowsNames.cpp ExecutableKind.h ExecutableKind.cpp
    RegularFile.h RegularFile.cpp ConverterCommand.h PercentCodec.h WindowsStatus.h)
list(TRANSFORM BRENVIK_TEXT_SOURCES PREPEND ${BRENVIK_TEXT_DIR}/)
