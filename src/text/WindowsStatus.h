// SPDX-License-Identifier: MIT
#pragma once

// How a Windows converter under Wine ended, told by Brenvik's starter to
// brenvik-console through a file that the console program names in
// BRENVIK_WINSTART_STATUS: Wine hands on only the low byte of a Windows
// exit status, which turns 0xC0000135 (a DLL missing) into 53. Plain C++:
// both programs are built without Qt, the starter by a Windows cross
// compiler.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace windows_status {

/// The variable that names the file, for the starter.
inline constexpr const char *fileVariable = "BRENVIK_WINSTART_STATUS";

/// What the starter writes into the file.
struct Report
{
    bool started = false; ///< the converter ran and ended with `status`
    std::uint32_t status = 0;
    std::string failure; ///< otherwise: why it could not be started (UTF-8)
};

/// The file's text for `report`: "status <decimal>" or "failed <text>".
inline std::string encode(const Report &report)
{
    return report.started ? "status " + std::to_string(report.status) : "failed " + report.failure;
}

/// The report in `text`, or nothing when it is in neither form.
inline std::optional<Report> decode(std::string_view text)
{
    if (text.substr(0, 7) == "failed ")
        return Report{false, 0, std::string(text.substr(7))};
    if (text.substr(0, 7) != "status " || text.size() == 7 || text.size() > 17)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text.substr(7)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + std::uint64_t(c - '0');
    }
    if (value > 0xFFFFFFFFu)
        return std::nullopt;
    return Report{true, std::uint32_t(value), {}};
}

/// The status as Windows writes it: "0xC0000135".
inline std::string hex(std::uint32_t status)
{
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(status));
    return text;
}

/// The common statuses with which a Windows program fails to load or
/// crashes, in words with the status; "" for the others.
inline std::string words(std::uint32_t status)
{
    // What happened, and for a crash which kind of crash.
    const struct
    {
        std::uint32_t status;
        const char *what, *kind;
    } known[] = {
        {0xC0000135, "a DLL it needs is missing", nullptr},
        {0xC0000139, "a function it needs is missing from a DLL", nullptr},
        {0xC0000142, "a DLL it needs failed to start", nullptr},
        {0xC000007B, "it or a DLL it needs is not a program for this processor", nullptr},
        {0xC0000005, "it crashed", "access violation"},
        {0xC000001D, "it crashed", "illegal instruction"},
        {0xC0000094, "it crashed", "integer division by zero"},
        {0xC00000FD, "it crashed", "stack overflow"},
        {0xC0000409, "it crashed", "stack buffer overrun"},
        {0xC0000374, "it crashed", "heap corruption"},
        {0x80000003, "it crashed", "breakpoint"},
        {0xC000013A, "it was interrupted", "Ctrl+C"},
    };
    for (const auto &entry : known)
        if (entry.status == status)
            return std::string(entry.what) + " ("
                   + (entry.kind ? std::string(entry.kind) + ", " : std::string()) + hex(status)
                   + ")";
    return {};
}

/// The line that says how the converter `name` ended with `status`.
inline std::string ending(const std::string &name, std::uint32_t status)
{
    if (status == 0)
        return name + " has finished.\n";
    const std::string said = words(status);
    if (!said.empty())
        return name + " ended: " + said + ".\n";
    if (status >= 0xC0000000u)
        return name + " ended with status " + hex(status) + ".\n";
    return name + " ended with status " + std::to_string(status) + ".\n";
}

} // namespace windows_status
