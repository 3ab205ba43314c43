// SPDX-License-Identifier: MIT
#pragma once

// The one word in which Brenvik hands brenvik-console everything it needs:
// fields joined by ",", each written with every byte outside
// "A-Z a-z 0-9 / . _ - + : @" as "%XX". Terminal emulators disagree on how
// "-e" takes its arguments (some join them and hand them to a shell); a
// word in this form reaches the console program unchanged by all of them.
// Kept free of Qt: the console program is a plain one.

#include <optional>
#include <string>
#include <vector>

namespace console_bundle {

inline int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/// The fields of `bundle`, or nothing when it is not in the form above.
inline std::optional<std::vector<std::string>> decode(const char *bundle)
{
    std::vector<std::string> fields(1);
    for (const char *p = bundle; *p; ++p) {
        if (*p == ',') {
            fields.emplace_back();
        } else if (*p == '%') {
            const int high = hexDigit(p[1]);
            const int low = high < 0 ? -1 : hexDigit(p[2]);
            if (low < 0)
                return std::nullopt;
            fields.back() += char(high * 16 + low);
            p += 2;
        } else {
            fields.back() += *p;
        }
    }
    return fields;
}

} // namespace console_bundle
