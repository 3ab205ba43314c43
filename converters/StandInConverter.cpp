// SPDX-License-Identifier: MIT
// A stand-in for one of the five external converters. It accepts exactly the
// argument lists Brenvik hands to the real converter, checks them and its
// files, and says what it was asked to do; it writes no audio and never
// creates or touches an output file. The role is chosen when it is built.
//
// When BRENVIK_CONVERTER_RECORD names a file, every run appends one JSON
// line with the program's role, its current directory, its arguments and,
// when the request is faulty, what is wrong with it, so tests can see
// exactly what arrived. A Windows build also records the raw command line
// (GetCommandLineW), which is what converters of this kind may read, and
// whether it is a 32-bit or a 64-bit program.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <cstring>
#include <windows.h>
#else
#include <unistd.h>
#endif

#ifndef BRENVIK_CONVERTER_ROLE
#error "BRENVIK_CONVERTER_ROLE must name the converter (zarvo, keldt, tombra, pashet, frelio)"
#endif

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

constexpr std::string_view role = BRENVIK_CONVERTER_ROLE;

// JSON string: quote, backslash and control characters escaped; all other
// bytes (UTF-8 included) pass through unchanged.
std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += ch;
            }
        }
    }
    return out + '"';
}

#ifdef _WIN32
std::string utf8Of(const std::wstring &text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(std::size_t(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

// Appends `line` in one write. Opened for appending only, so that runs
// started together cannot write over each other's lines (the C runtime's
// "a" mode seeks to the end and then writes, which is not one step). Under
// Wine the file may be named as the host names it ("/tmp/..."); Wine's own
// kernel32 then gives its Windows name.
bool appendRecord(const char *name, const std::string &line)
{
    std::wstring path;
    if (name[0] == '/') {
        using Convert = WCHAR *(CDECL *)(LPCSTR);
        if (const FARPROC found =
                GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")) {
            Convert convert;
            std::memcpy(&convert, &found, sizeof convert);
            if (WCHAR *dos = convert(name)) {
                path = dos;
                HeapFree(GetProcessHeap(), 0, dos);
            }
        }
    }
    if (path.empty()) {
        const int size = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
        path.assign(std::size_t(std::max(size, 1)), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, name, -1, path.data(), size);
        path.resize(path.size() - 1);
    }
    const HANDLE file =
        CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool done = WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr)
                      && written == line.size();
    CloseHandle(file);
    return done;
}
#else
// Appends `line` in one write in append mode, so that runs started
// together do not mix lines.
bool appendRecord(const char *name, const std::string &line)
{
    std::FILE *file = std::fopen(name, "ab");
    if (!file)
        return false;
    const bool done = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    return std::fclose(file) == 0 && done;
}
#endif

// A bad request: which argument (from 1) and what is wrong with it.
struct Fault
{
    std::string message;
};

void recordRun(const Args &args, const std::optional<Fault> &fault)
{
    const char *recordFile = std::getenv("BRENVIK_CONVERTER_RECORD");
    if (!recordFile || !*recordFile)
        return;
    std::error_code error;
    const std::string cwd = fs::current_path(error).string();
    std::string line =
        "{\"program\": " + jsonString(role) + ", \"cwd\": " + jsonString(cwd) + ", \"args\": [";
    for (std::size_t i = 0; i < args.size(); ++i)
        line += (i ? ", " : "") + jsonString(args[i]);
    line += "]";
#ifdef _WIN32
    line += ", \"commandLine\": " + jsonString(utf8Of(GetCommandLineW())) + ", \"bits\": \""
            + std::to_string(sizeof(void *) * 8) + "\"";
#endif
    if (fault)
        line += ", \"fault\": " + jsonString(fault->message);
    line += "}\n";
    if (!appendRecord(recordFile, line))
        std::fprintf(stderr, "%s: cannot append to the record file \"%s\"\n", role.data(),
                     recordFile);
}

std::string inQuotes(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string argumentName(std::size_t index, std::string_view meaning)
{
    return "argument " + std::to_string(index + 1) + " (" + std::string(meaning) + ")";
}

bool isWholeNumber(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// A level as Brenvik writes it with " ####.0#": optional "-", any integer
// digits, ".", then one or two decimals ("100.0", "94.25", ".5", "-3.0").
bool isLevel(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
        text.remove_prefix(1);
    const auto dot = text.find('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view whole = text.substr(0, dot);
    const std::string_view decimals = text.substr(dot + 1);
    return (whole.empty() || isWholeNumber(whole)) && isWholeNumber(decimals)
           && decimals.size() <= 2;
}

// Arguments arrive as UTF-8; the Windows C++ library would read a narrow
// path in the ANSI code page, so name the encoding there.
fs::path pathOf(std::string_view utf8)
{
#ifdef _WIN32
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
#else
    return fs::path(utf8);
#endif
}

std::string textOf(const fs::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string lowerExtension(std::string_view name)
{
    std::string ext = textOf(pathOf(name).extension());
    for (char &c : ext)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return ext;
}

std::optional<Fault> checkReadable(const Args &args, std::size_t index, std::string_view meaning)
{
    const std::string &name = args[index];
    std::error_code error;
    if (!fs::is_regular_file(pathOf(name), error))
        return Fault{argumentName(index, meaning) + ": " + inQuotes(name)
                     + " does not exist or is not a file"};
    std::ifstream file(pathOf(name), std::ios::binary);
    if (!file)
        return Fault{argumentName(index, meaning) + ": " + inQuotes(name) + " cannot be read"};
    return std::nullopt;
}

std::optional<Fault> checkWritable(const Args &args, std::size_t index, std::string_view meaning)
{
    const std::string &name = args[index];
    const fs::path path = pathOf(name);
    std::error_code error;
    if (name.empty() || fs::is_directory(path, error))
        return Fault{argumentName(index, meaning) + ": " + inQuotes(name) + " is not a file name"};
    fs::path folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    if (!fs::is_directory(folder, error))
        return Fault{argumentName(index, meaning) + ": the folder " + inQuotes(textOf(folder))
                     + " does not exist"};
#ifndef _WIN32
    if (::access(folder.c_str(), W_OK) != 0)
        return Fault{argumentName(index, meaning) + ": the folder " + inQuotes(textOf(folder))
                     + " cannot be written"};
    if (fs::exists(path, error) && ::access(path.c_str(), W_OK) != 0)
        return Fault{argumentName(index, meaning) + ": " + inQuotes(name)
                     + " exists and cannot be overwritten"};
#endif
    return std::nullopt;
}

std::optional<Fault> checkCount(const Args &args, std::size_t least, std::size_t most,
                                std::string_view expected)
{
    if (args.size() >= least && args.size() <= most)
        return std::nullopt;
    return Fault{"expects " + std::string(expected) + ", got " + std::to_string(args.size())
                 + " argument" + (args.size() == 1 ? "" : "s")};
}

// Runs the checks in order and stops at the first fault.
template<typename... Checks> std::optional<Fault> firstFault(Checks &&...checks)
{
    std::optional<Fault> fault;
    ((fault ? void() : void(fault = checks())), ...);
    return fault;
}

struct Outcome
{
    std::optional<Fault> fault;
    std::string request; ///< what was asked for, when there is no fault
};

Outcome zarvo(const Args &args)
{
    if (auto fault = checkCount(args, 2, 3,
                                "2 arguments (mono) or 3 (stereo): .WAV to write,"
                                " left .TIM, right .TIM"))
        return {fault, {}};
    const bool stereo = args.size() == 3;
    auto fault = firstFault(
        [&] { return checkWritable(args, 0, ".WAV file to write"); },
        [&] { return checkReadable(args, 1, "left .TIM file to read"); },
        [&] { return stereo ? checkReadable(args, 2, "right .TIM file to read") : std::nullopt; });
    return {fault, "convert " + std::string(stereo ? "stereo" : "mono") + " .TIM "
                       + inQuotes(args[1]) + (stereo ? " + " + inQuotes(args[2]) : "") + " to .WAV "
                       + inQuotes(args[0])};
}

// KELDT (.WAV) and TOMBRA (B&K 2133) take the same five arguments; after the
// C runtime has split the line, the quoted and the bare NONE look alike.
Outcome toTim(const Args &args, std::string_view sourceKind)
{
    if (auto fault = checkCount(args, 5, 5,
                                "5 arguments: source, left .TIM, right .TIM or"
                                " NONE, expected SPL, 1 or 0"))
        return {fault, {}};
    const bool mono = args[2] == "NONE";
    auto fault = firstFault(
        [&] { return checkReadable(args, 0, std::string(sourceKind) + " file to read"); },
        [&] { return checkWritable(args, 1, "left .TIM file to write"); },
        [&] { return mono ? std::nullopt : checkWritable(args, 2, "right .TIM file to write"); },
        [&]() -> std::optional<Fault> {
            if (isLevel(args[3]))
                return std::nullopt;
            return Fault{argumentName(3, "expected SPL in dB") + ": " + inQuotes(args[3])
                         + " is not a number with one or two decimals"};
        },
        [&]() -> std::optional<Fault> {
            if (args[4] == "0" || args[4] == "1")
                return std::nullopt;
            return Fault{argumentName(4, "mode flag") + ": " + inQuotes(args[4])
                         + " is neither 1 (impulse response) nor 0 (scope)"};
        });
    return {fault, "convert " + std::string(sourceKind) + " " + inQuotes(args[0]) + " to "
                       + (mono ? "mono .TIM " + inQuotes(args[1])
                               : "stereo .TIM " + inQuotes(args[1]) + " + " + inQuotes(args[2]))
                       + ", expected SPL " + args[3] + " dB, "
                       + (args[4] == "1" ? "impulse-response" : "scope") + " mode"};
}

bool isNoiseWord(std::string_view word)
{
    return word == "Pink" || word == "White" || word == "P" || word == "W";
}

std::optional<Fault> checkMicrophone(const Args &args, std::size_t index)
{
    if (isWholeNumber(args[index]))
        return std::nullopt;
    return Fault{argumentName(index, "microphone number") + ": " + inQuotes(args[index])
                 + " is not a whole number"};
}

// Noise word for an output file: "Pink"/"White" for .TIM, "P"/"W" for .WAV,
// either pair when the output name has neither ending.
std::optional<Fault> checkNoise(const Args &args, std::size_t index, std::string_view output)
{
    const std::string &word = args[index];
    const std::string ext = lowerExtension(output);
    bool good = false;
    std::string expected;
    if (ext == ".tim") {
        good = word == "Pink" || word == "White";
        expected = "Pink or White for a .TIM output";
    } else if (ext == ".wav") {
        good = word == "P" || word == "W";
        expected = "P or W for a .WAV output";
    } else {
        good = isNoiseWord(word);
        expected = "Pink, White, P or W";
    }
    if (good)
        return std::nullopt;
    return Fault{argumentName(index, "noise") + ": " + inQuotes(word) + " is not " + expected};
}

std::string pinkOrWhite(std::string_view word)
{
    return !word.empty() && word.front() == 'P' ? "pink" : "white";
}

// After the noise word only the optional filter file may follow.
std::optional<Fault> checkTail(const Args &args, std::size_t noise, std::string_view shape)
{
    if (noise >= args.size())
        return Fault{"expects " + std::string(shape) + "; the noise word is missing"};
    if (args.size() > noise + 2)
        return Fault{argumentName(noise + 2, "unexpected") + ": " + inQuotes(args[noise + 2])
                     + " follows the filter file"};
    return std::nullopt;
}

// The microphone argument is absent when Brenvik formats microphone 0 (or an
// empty field) as a lone blank; the line then goes on with the next argument.
Outcome pashet(const Args &args)
{
    constexpr std::string_view shape = "5 or 6 arguments: result file, output, microphone, rate,"
                                       " noise, optional filter file";
    if (auto fault = checkCount(args, 4, 6, shape))
        return {fault, {}};
    const bool micGiven = !isNoiseWord(args[3]);
    const std::size_t rate = micGiven ? 3 : 2;
    const std::size_t noise = rate + 1;
    const std::size_t filter = noise + 1;
    if (auto fault = checkTail(args, noise, shape))
        return {fault, {}};
    const bool hasFilter = args.size() == filter + 1;
    auto fault = firstFault(
        [&] { return checkReadable(args, 0, "simulation result file to read"); },
        [&] { return checkWritable(args, 1, "output file to write"); },
        [&] { return micGiven ? checkMicrophone(args, 2) : std::nullopt; },
        [&]() -> std::optional<Fault> {
            const std::string &hz = args[rate];
            if (hz == "22050" || hz == "44100" || hz == "48000")
                return std::nullopt;
            return Fault{argumentName(rate, "sampling rate") + ": " + inQuotes(hz)
                         + " is not 22050, 44100 or 48000"};
        },
        [&] { return checkNoise(args, noise, args[1]); },
        [&] {
            return hasFilter ? checkReadable(args, filter, "octave filter file") : std::nullopt;
        });
    const std::string ext = lowerExtension(args[1]);
    return {fault, "convert simulation results " + inQuotes(args[0]) + " to "
                       + (ext == ".wav"   ? ".WAV "
                          : ext == ".tim" ? ".TIM "
                                          : "")
                       + inQuotes(args[1]) + ", microphone " + (micGiven ? args[2] : "(none)")
                       + ", " + args[rate] + " Hz, " + pinkOrWhite(args[noise]) + " noise, "
                       + (hasFilter ? "octave filter " + inQuotes(args[filter]) : "no filter")};
}

Outcome frelio(const Args &args)
{
    constexpr std::string_view shape = "4 or 5 arguments: result file, .WAV output, microphone,"
                                       " P or W, optional filter file";
    if (auto fault = checkCount(args, 3, 5, shape))
        return {fault, {}};
    const bool micGiven = !isNoiseWord(args[2]);
    const std::size_t noise = micGiven ? 3 : 2;
    const std::size_t filter = noise + 1;
    if (auto fault = checkTail(args, noise, shape))
        return {fault, {}};
    const bool hasFilter = args.size() == filter + 1;
    auto fault = firstFault(
        [&] { return checkReadable(args, 0, "simulation result file to read"); },
        [&] { return checkWritable(args, 1, ".WAV file to write"); },
        [&] { return micGiven ? checkMicrophone(args, 2) : std::nullopt; },
        [&]() -> std::optional<Fault> {
            if (args[noise] == "P" || args[noise] == "W")
                return std::nullopt;
            return Fault{argumentName(noise, "noise") + ": " + inQuotes(args[noise])
                         + " is not P or W"};
        },
        [&] {
            return hasFilter ? checkReadable(args, filter, "octave filter file") : std::nullopt;
        });
    return {fault, "convert simulation results " + inQuotes(args[0]) + " to binaural .WAV "
                       + inQuotes(args[1]) + ", microphone " + (micGiven ? args[2] : "(none)")
                       + ", " + pinkOrWhite(args[noise]) + " noise, "
                       + (hasFilter ? "octave filter " + inQuotes(args[filter]) : "no filter")};
}

Outcome examine(const Args &args)
{
    if (role == "zarvo")
        return zarvo(args);
    if (role == "keldt")
        return toTim(args, ".WAV");
    if (role == "tombra")
        return toTim(args, "B&K 2133");
    if (role == "pashet")
        return pashet(args);
    return frelio(args);
}

} // namespace

int main(int argc, char **argv)
{
    const Args args(argv + 1, argv + argc);
    const Outcome outcome = examine(args);
    recordRun(args, outcome.fault);
    if (outcome.fault) {
        std::fprintf(stderr, "%s: bad request: %s\n", role.data(), outcome.fault->message.c_str());
        return 2;
    }
    std::printf("%s: asked to %s; this is a stand-in converter and writes no audio.\n", role.data(),
                outcome.request.c_str());
    return 0;
}
