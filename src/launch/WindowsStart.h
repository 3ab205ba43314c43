// SPDX-License-Identifier: MIT
#pragma once

#include <string>

/// Starts a program from one Windows command-line text, unchanged, with
/// CreateProcessW: `windowStyle` is the ShowWindow value (1 = a normal window
/// with the focus). `applicationName`, when given, is the program file to
/// start (the line's first word is then only what the program sees), else
/// Windows searches the line's first word; `folder`, when given, is the
/// program's current directory, else it inherits ours. The process is not
/// waited for and its handles are closed at once, unless `exitCode` is
/// given: then it is waited for, and its exit code stored there. Returns ""
/// when it was started, otherwise a message for the user naming the
/// program. On other hosts it starts nothing and says so.
///
/// Kept free of Qt so that it builds with a plain Windows cross compiler.
std::wstring startWindowsProcess(const std::wstring &commandLine, int windowStyle,
                                 const std::wstring &applicationName = {},
                                 const std::wstring &folder = {},
                                 unsigned long *exitCode = nullptr);
