// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

/// Stops the fuzzer with a report when a property of the code under test
/// does not hold; libFuzzer then saves the input as a crash.
#define FUZZ_CHECK(condition)                                                          \
    do {                                                                               \
        if (!(condition)) {                                                            \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__,  \
                         #condition);                                                  \
            std::abort();                                                              \
        }                                                                              \
    } while (false)

/// Qt's warnings (a QBuffer seek past its end) would flood the fuzzer's
/// output and slow it down; they report nothing the properties miss.
inline void silenceQtMessages()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &msg) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "qFatal: %s\n", qPrintable(msg));
            std::abort();
        }
    });
}
