// SPDX-License-Identifier: MIT
// A Windows stand-in for the Wine test that opens its arguments as a
// converter of that age does: through the C runtime's narrow argv, in the
// process's ANSI code page, and CreateFileA. For each argument it records
// the first line of the file it opened ("" when none opened), so the test
// sees which file a name reached; the argument "--crash" makes it crash
// with an access violation instead. It is built without the UTF-8 manifest,
// with it, and as a GUI program.
//
// The record is one JSON line appended to the file BRENVIK_CONVERTER_RECORD
// names (a host path): {"program": ..., "codePage": ..., "opened": [...]}.

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string json(const std::string &text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) >= 0x20)
            out += c;
    }
    return out + '"';
}

// The first line of the file `name` opened as the converter would.
std::string firstLine(const char *name)
{
    const HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    char buffer[256];
    DWORD got = 0;
    ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    const std::string text(buffer, got);
    return text.substr(0, text.find('\n'));
}

void record(const std::string &line)
{
    const char *name = std::getenv("BRENVIK_CONVERTER_RECORD");
    using ToDos = wchar_t *(__cdecl *)(const char *);
    const auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    wchar_t *path = name && toDos ? toDos(name) : nullptr;
    if (!path)
        return;
    const HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HeapFree(GetProcessHeap(), 0, path);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
    CloseHandle(file);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--crash") == 0) {
        // No crash dialog and no debugger: the process just ends with the status.
        SetErrorMode(SEM_NOGPFAULTERRORBOX);
        volatile int *nowhere = nullptr;
        *nowhere = 1;
    }
    std::string line = "{\"program\": " + json(BRENVIK_OPENER_NAME)
                       + ", \"codePage\": " + std::to_string(GetACP()) + ", \"opened\": [";
    for (int i = 1; i < argc; ++i)
        line += (i > 1 ? ", " : "") + json(firstLine(argv[i]));
    record(line + "]}\n");
    return 0;
}
