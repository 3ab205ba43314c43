// SPDX-License-Identifier: MIT
#pragma once

#include <QTest>

/// QCOMPARE for a row of a local table: on failure it names the row and
/// ends the test function, as QCOMPARE does.
#define ROW_COMPARE(row, actual, expected)                                                         \
    do {                                                                                           \
        if (!QTest::qCompare(actual, expected, #actual, #expected, __FILE__, __LINE__)) {          \
            qWarning("row: %s", qPrintable(QString(row)));                                         \
            return;                                                                                \
        }                                                                                          \
    } while (false)
