// SPDX-License-Identifier: MIT
// Brenvik's starter for Windows converters under Wine. Brenvik runs
//
//   wine brenvik-winstart64.exe <program> <folder> <command line>
//
// (brenvik-winstart32.exe for a 32-bit converter) and the starter starts
// <program>, a Windows path, in <folder> with exactly <command line> as the
// line the converter's GetCommandLineW returns: "wine program args" cannot
// give that, as Wine writes the program's full path for the first word and
// re-quotes the arguments. The program is named as the application, since
// with none Windows would search Wine's own path for the line's first word,
// not the place where Brenvik found the converter. It is not waited for,
// unless BRENVIK_WINSTART_WAIT is set (Brenvik's terminal window of the
// converter sets it, to say how the converter ended): then the starter
// waits and ends with the converter's exit code. The variable is not handed
// on to the converter.
//
// Each argument arrives as UTF-8 in the "%XX" form of PercentCodec.h, so
// that neither Wine's character conversion nor its re-quoting can touch it.
//
// Exit code: 0 started; 1 the start failed (the reason on standard error);
// 2 wrong use; when waiting, the converter's.

#include "PercentCodec.h"
#include "WindowsStart.h"

#include <windows.h>

#include <optional>
#include <string>

namespace {

void complain(const std::wstring &text)
{
    const std::wstring line = L"brenvik-winstart: " + text + L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), int(line.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), int(line.size()), bytes.data(), size, nullptr,
                        nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

// The argument's text, or nothing when it is not in the "%XX" form of
// PercentCodec.h or not UTF-8.
std::optional<std::wstring> decode(const wchar_t *argument)
{
    std::string word;
    for (const wchar_t *p = argument; *p; ++p) {
        if (*p <= 0x20 || *p >= 0x7F)
            return std::nullopt;
        word += char(*p);
    }
    const std::optional<std::string> bytes = percent_codec::decode(word);
    if (!bytes)
        return std::nullopt;
    if (bytes->empty())
        return std::wstring();
    const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes->data(),
                                         int(bytes->size()), nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::wstring text(std::size_t(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes->data(), int(bytes->size()),
                        text.data(), size);
    return text;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 4) {
        complain(L"usage: brenvik-winstart <program> <folder> <command line>, each %XX-encoded");
        return 2;
    }
    const auto program = decode(argv[1]);
    const auto folder = decode(argv[2]);
    const auto commandLine = decode(argv[3]);
    if (!program || !folder || !commandLine || program->empty() || commandLine->empty()) {
        complain(L"an argument is not %XX-encoded UTF-8");
        return 2;
    }
    const bool wait = GetEnvironmentVariableW(L"BRENVIK_WINSTART_WAIT", nullptr, 0) > 0;
    SetEnvironmentVariableW(L"BRENVIK_WINSTART_WAIT", nullptr);
    unsigned long exitCode = 0;
    const std::wstring error = startWindowsProcess(*commandLine, SW_SHOWNORMAL, *program, *folder,
                                                   wait ? &exitCode : nullptr);
    if (!error.empty()) {
        complain(error + L" (" + *program + L")");
        return 1;
    }
    return int(exitCode);
}
