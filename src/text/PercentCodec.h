// SPDX-License-Identifier: MIT
#pragma once

// The "%XX" form in which Brenvik hands texts to its helper programs: the
// Windows starter (through Wine's character conversion and re-quoting) and
// brenvik-console (through a terminal emulator's "-e", which some emulators
// join and hand to a shell). Every byte outside "A-Z a-z 0-9 / . _ - + : @"
// is written "%XX" (two upper-case hex digits), so the text is one word that
// none of them changes. Plain C++: the two helper programs are built
// without Qt, the starter by a Windows cross compiler.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace percent_codec {

/// True for the bytes written as they are.
inline bool isPlain(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/'
           || c == '.' || c == '_' || c == '-' || c == '+' || c == ':' || c == '@';
}

/// `bytes` in the "%XX" form.
inline std::string encode(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (isPlain(byte)) {
            out += c;
        } else {
            out += '%';
            out += digits[byte >> 4];
            out += digits[byte & 0xF];
        }
    }
    return out;
}

inline int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/// The bytes of `text`, or nothing when a "%" is not followed by two
/// upper-case hex digits. Other bytes are taken as they are.
inline std::optional<std::string> decode(std::string_view text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        const int high = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
        const int low = high >= 0 && i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
        if (low < 0)
            return std::nullopt;
        bytes += char(high * 16 + low);
        i += 2;
    }
    return bytes;
}

/// The fields of the one word in which Brenvik hands brenvik-console what
/// it needs, in their order; the converter's arguments follow the last.
enum ConsoleField : std::size_t {
    HandOverPipe,  ///< the FIFO that Brenvik watches, or ""
    WorkingFolder, ///< where the converter runs
    WindowTitle,
    ThroughWine,   ///< "wine" when the program is Wine with Brenvik's starter, else ""
    ShownName,     ///< the converter's name in messages ("pashet.exe")
    ProgramFile,   ///< the file to run
    FirstArgument, ///< its argument list, the name it sees for itself first
};

/// The fields joined by ",", each in the "%XX" form.
inline std::string encodeBundle(const std::vector<std::string> &fields)
{
    std::string bundle;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            bundle += ',';
        bundle += encode(fields[i]);
    }
    return bundle;
}

/// The fields of `bundle`, or nothing when it is not in the form above or
/// holds fewer than the fixed fields and the argument list's first word.
inline std::optional<std::vector<std::string>> decodeBundle(std::string_view bundle)
{
    std::vector<std::string> fields;
    for (;;) {
        const std::size_t comma = bundle.find(',');
        const auto field = decode(bundle.substr(0, comma));
        if (!field)
            return std::nullopt;
        fields.push_back(*field);
        if (comma == std::string_view::npos)
            break;
        bundle.remove_prefix(comma + 1);
    }
    if (fields.size() <= FirstArgument)
        return std::nullopt;
    return fields;
}

} // namespace percent_codec
