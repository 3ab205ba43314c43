// SPDX-License-Identifier: MIT
// Starts every converter command line of a case file through the platform
// layer's Windows start and checks what the stand-in converter recorded:
// its role, its current directory and its arguments, as the Windows C
// runtime split them. The expected arguments come from the host's own
// splitter, so any difference between the two shows up here.
//
//   wine_launch_check.exe <case file>
//
// The case file is UTF-8, one JSON object a line. The first names the
// working folder: {"workDir": "C:\\..."}. Each further line is one case:
// {"name": ..., "line": ..., "program": ..., "args": [...],
//  "inputs": [...], "outputs": [...]}; inputs are created before the start
// (the stand-ins check that they can be read), outputs get their folder.
//
// Exit code: 0 when every case agrees, 1 when any case disagrees, 2 when the
// check itself cannot run.

#include "WindowsStart.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::wstring fromUtf8(const std::string &text)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(std::size_t(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size);
    return out;
}

std::string toUtf8(const std::wstring &text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

// The report goes out as UTF-8 bytes, whatever the console's code page.
void say(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A JSON value as far as the case file and the record lines need it: a
// string or an array of strings.
struct Value
{
    std::string text;
    std::vector<std::string> list;
    bool isList = false;
};
using Object = std::map<std::string, Value>;

class JsonReader
{
public:
    explicit JsonReader(const std::string &text) : m_text(text) {}

    std::optional<Object> object()
    {
        Object result;
        if (!take('{'))
            return std::nullopt;
        if (take('}'))
            return finished(result);
        do {
            auto key = string();
            if (!key || !take(':'))
                return std::nullopt;
            Value value;
            if (peek() == '[') {
                value.isList = true;
                take('[');
                if (!take(']')) {
                    do {
                        auto item = string();
                        if (!item)
                            return std::nullopt;
                        value.list.push_back(*item);
                    } while (take(','));
                    if (!take(']'))
                        return std::nullopt;
                }
            } else {
                auto text = string();
                if (!text)
                    return std::nullopt;
                value.text = *text;
            }
            result[*key] = value;
        } while (take(','));
        if (!take('}'))
            return std::nullopt;
        return finished(result);
    }

private:
    std::optional<Object> finished(const Object &result)
    {
        skipBlanks();
        if (m_pos != m_text.size())
            return std::nullopt;
        return result;
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size()
               && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\r'
                   || m_text[m_pos] == '\n'))
            ++m_pos;
    }

    char peek()
    {
        skipBlanks();
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }

    bool take(char c)
    {
        if (peek() != c)
            return false;
        ++m_pos;
        return true;
    }

    std::optional<unsigned> hex4()
    {
        if (m_pos + 4 > m_text.size())
            return std::nullopt;
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_pos++];
            value <<= 4;
            if (c >= '0' && c <= '9')
                value |= unsigned(c - '0');
            else if (c >= 'a' && c <= 'f')
                value |= unsigned(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                value |= unsigned(c - 'A' + 10);
            else
                return std::nullopt;
        }
        return value;
    }

    static void appendUtf8(std::string &out, unsigned code)
    {
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3F));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }

    std::optional<std::string> string()
    {
        if (!take('"'))
            return std::nullopt;
        std::string out;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"')
                return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos == m_text.size())
                return std::nullopt;
            const char e = m_text[m_pos++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                auto code = hex4();
                if (!code)
                    return std::nullopt;
                if (*code >= 0xD800 && *code < 0xDC00 && m_text.compare(m_pos, 2, "\\u") == 0) {
                    m_pos += 2;
                    auto low = hex4();
                    if (!low)
                        return std::nullopt;
                    *code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
                }
                appendUtf8(out, *code);
                break;
            }
            default: return std::nullopt;
            }
        }
        return std::nullopt;
    }

    const std::string &m_text;
    std::size_t m_pos = 0;
};

std::string quotedList(const std::vector<std::string> &items)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? ", \"" : "\"") + items[i] + "\"";
    return out + "]";
}

std::vector<std::string> readLines(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

// Complete record lines only: a stand-in may be writing the last one.
std::vector<std::string> recordLines(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// Waits until the record file holds more than `known` lines; the start
// itself never waits for the converter.
std::optional<std::string> awaitRecord(const fs::path &file, std::size_t known,
                                       std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto lines = recordLines(file);
        if (lines.size() > known)
            return lines[known];
        if (std::chrono::steady_clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool makeFile(const fs::path &name, std::string &problem)
{
    std::error_code error;
    if (name.has_parent_path())
        fs::create_directories(name.parent_path(), error);
    std::ofstream out(name, std::ios::binary);
    out << "stand-in input\n";
    if (!out) {
        problem = "cannot create the input file \"" + toUtf8(name.wstring()) + "\"";
        return false;
    }
    return true;
}

bool makeFolderOf(const fs::path &name, std::string &problem)
{
    if (!name.has_parent_path())
        return true;
    std::error_code error;
    fs::create_directories(name.parent_path(), error);
    if (!fs::is_directory(name.parent_path(), error)) {
        problem = "cannot create the folder of \"" + toUtf8(name.wstring()) + "\"";
        return false;
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2) {
        say("usage: wine_launch_check <case file>");
        return 2;
    }
    const auto lines = readLines(fs::path(argv[1]));
    if (lines.empty()) {
        say("cannot read the case file \"" + toUtf8(argv[1]) + "\" or it is empty");
        return 2;
    }
    std::vector<Object> cases;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto object = JsonReader(lines[i]).object();
        if (!object) {
            say("case file line " + std::to_string(i + 1) + " is not a JSON object: " + lines[i]);
            return 2;
        }
        cases.push_back(*object);
    }
    const std::string workDirText = cases.front()["workDir"].text;
    cases.erase(cases.begin());
    if (workDirText.empty()) {
        say("the case file's first line does not name the working folder (\"workDir\")");
        return 2;
    }

    // A clean working folder, made the current directory as the program does
    // before it starts a converter.
    const fs::path workDir(fromUtf8(workDirText));
    std::error_code error;
    fs::remove_all(workDir, error);
    fs::create_directories(workDir, error);
    if (!SetCurrentDirectoryW(workDir.wstring().c_str())) {
        say("cannot make \"" + workDirText + "\" the current directory");
        return 2;
    }
    wchar_t current[MAX_PATH * 4];
    const DWORD currentLength = GetCurrentDirectoryW(MAX_PATH * 4, current);
    const std::string expectedCwd = toUtf8(std::wstring(current, currentLength));

    const fs::path record = workDir / L"launch-record.jsonl";
    SetEnvironmentVariableW(L"BRENVIK_CONVERTER_RECORD", record.wstring().c_str());
    { std::ofstream(record, std::ios::binary | std::ios::trunc); }

    int failures = 0;
    auto fail = [&](const std::string &name, const std::string &why) {
        ++failures;
        say("FAIL  " + name + ": " + why);
    };

    for (Object &c : cases) {
        const std::string &name = c["name"].text;
        const std::string &line = c["line"].text;
        std::string problem;
        bool ready = true;
        for (const std::string &input : c["inputs"].list)
            ready = ready && makeFile(fs::path(fromUtf8(input)), problem);
        for (const std::string &output : c["outputs"].list)
            ready = ready && makeFolderOf(fs::path(fromUtf8(output)), problem);
        if (!ready) {
            say("setup failed for " + name + ": " + problem);
            return 2;
        }

        const std::size_t known = recordLines(record).size();
        const std::wstring startError = startWindowsProcess(fromUtf8(line), SW_SHOWNORMAL);
        if (!startError.empty()) {
            fail(name, "the start failed: " + toUtf8(startError) + "\n      line: " + line);
            continue;
        }
        const auto got = awaitRecord(record, known, std::chrono::seconds(30));
        if (!got) {
            fail(name, "no record line within 30 s\n      line: " + line);
            continue;
        }
        auto arrived = JsonReader(*got).object();
        if (!arrived) {
            fail(name, "the record line is not JSON: " + *got);
            continue;
        }
        std::string differences;
        if ((*arrived)["program"].text != c["program"].text)
            differences += "\n      program: expected " + c["program"].text + ", got "
                         + (*arrived)["program"].text;
        if ((*arrived)["cwd"].text != expectedCwd)
            differences += "\n      cwd: expected \"" + expectedCwd + "\", got \""
                         + (*arrived)["cwd"].text + "\"";
        if ((*arrived)["args"].list != c["args"].list)
            differences += "\n      args expected (host splitter): " + quotedList(c["args"].list)
                         + "\n      args received (Windows C runtime): "
                         + quotedList((*arrived)["args"].list);
        if (!differences.empty())
            fail(name, "disagreement\n      line: " + line + differences);
        else
            say("ok    " + name);
    }

    // A converter that is not there: the start reports it, names it, starts
    // nothing, and this program goes on.
    {
        const std::wstring missing = L"NOSUCHCONVERTER.EXE \"OUT.WAV\" \"L.TIM\"";
        const std::size_t known = recordLines(record).size();
        const std::wstring startError = startWindowsProcess(missing, SW_SHOWNORMAL);
        if (startError.empty())
            fail("missing converter", "the start of a missing program reported no error");
        else if (startError.find(L"NOSUCHCONVERTER.EXE") == std::wstring::npos)
            fail("missing converter", "the error does not name the program: "
                                          + toUtf8(startError));
        else if (awaitRecord(record, known, std::chrono::seconds(1)))
            fail("missing converter", "a record line appeared although nothing was started");
        else
            say("ok    missing converter: " + toUtf8(startError));
    }

    const std::size_t total = cases.size() + 1;
    say(std::to_string(total - std::size_t(failures)) + " of " + std::to_string(total)
        + " launch cases agree" + (failures ? "; " + std::to_string(failures) + " FAILED" : ""));
    return failures ? 1 : 0;
}
