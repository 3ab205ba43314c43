// SPDX-License-Identifier: MIT
#include "WindowsStart.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The program name as Windows reads it: quotes group, blanks end it.
std::wstring programName(const std::wstring &commandLine)
{
    std::wstring name;
    bool inQuotes = false;
    std::size_t i = commandLine.find_first_not_of(L" \t");
    for (; i < commandLine.size(); ++i) {
        const wchar_t c = commandLine[i];
        if (c == L'"')
            inQuotes = !inQuotes;
        else if (!inQuotes && (c == L' ' || c == L'\t'))
            break;
        else
            name += c;
    }
    return name;
}

} // namespace

#ifdef _WIN32

std::wstring startWindowsProcess(const std::wstring &commandLine, int windowStyle,
                                 const std::wstring &applicationName, const std::wstring &folder,
                                 unsigned long *exitCode)
{
    // CreateProcessW may write into the command-line buffer, so it gets a copy.
    std::wstring buffer = commandLine;
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(applicationName.empty() ? nullptr : applicationName.c_str(), buffer.data(),
                        nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        const DWORD error = GetLastError();
        std::wstring message =
            L"The program \"" + programName(commandLine) + L"\" cannot be started";
        wchar_t *text = nullptr;
        const DWORD length =
            FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                               | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
        if (length > 0 && text) {
            std::wstring reason(text, length);
            while (!reason.empty()
                   && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' '
                       || reason.back() == L'.'))
                reason.pop_back();
            message += L": " + reason;
        }
        if (text)
            LocalFree(text);
        return message + L'.';
    }
    CloseHandle(process.hThread);
    if (exitCode) {
        DWORD code = 0;
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        *exitCode = code;
    }
    CloseHandle(process.hProcess);
    return {};
}

#else

std::wstring startWindowsProcess(const std::wstring &commandLine, int, const std::wstring &,
                                 const std::wstring &, unsigned long *)
{
    return L"The program \"" + programName(commandLine)
           + L"\" cannot be started: starting a Windows command line unchanged is only"
             L" available on Windows.";
}

#endif
