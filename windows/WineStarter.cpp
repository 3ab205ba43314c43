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
// 2 wrong use; when waiting, the converter's. Wine hands on only the low
// byte of it, so where BRENVIK_WINSTART_STATUS names a file (a host path;
// brenvik-console sets it) the whole status, or the start's failure, goes
// there instead (see WindowsStatus.h).

#include "PercentCodec.h"
#include "WindowsStatus.h"
#include "WindowsStart.h"

#include <windows.h>

#include <optional>
#include <string>

namespace {

std::string utf8(const std::wstring &text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(std::size_t(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    return bytes;
}

void complain(const std::wstring &text)
{
    const std::string bytes = utf8(L"brenvik-winstart: " + text + L"\n");
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

// The host file that BRENVIK_WINSTART_STATUS names, in the form Windows
// functions take (Wine's own conversion); "" when there is none or not
// under Wine.
std::wstring statusFile()
{
    wchar_t name[4096];
    const DWORD length = GetEnvironmentVariableW(L"BRENVIK_WINSTART_STATUS", name, 4096);
    SetEnvironmentVariableW(L"BRENVIK_WINSTART_STATUS", nullptr);
    using ToDos = wchar_t *(__cdecl *)(const char *);
    const auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (length == 0 || length >= 4096 || !toDos)
        return {};
    wchar_t *dos = toDos(utf8(std::wstring(name, length)).c_str());
    if (!dos)
        return {};
    const std::wstring file = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return file;
}

bool writeStatus(const std::wstring &file, const windows_status::Report &report)
{
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const std::string text = windows_status::encode(report);
    DWORD written = 0;
    const bool ok = WriteFile(handle, text.data(), DWORD(text.size()), &written, nullptr)
                    && written == text.size();
    CloseHandle(handle);
    return ok;
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
    const std::wstring status = statusFile();
    unsigned long exitCode = 0;
    const std::wstring error = startWindowsProcess(*commandLine, SW_SHOWNORMAL, *program, *folder,
                                                   wait ? &exitCode : nullptr);
    if (!error.empty()) {
        const std::wstring failure = error + L" (" + *program + L")";
        if (status.empty() || !writeStatus(status, {false, 0, utf8(failure)}))
            complain(failure);
        return 1;
    }
    if (wait && !status.empty())
        writeStatus(status, {true, std::uint32_t(exitCode), {}});
    return int(exitCode);
}
