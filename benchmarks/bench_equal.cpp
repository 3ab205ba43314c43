// SPDX-License-Identifier: MIT
// Times one slider change (handler and redraw) and the filter file routines.
// Prints the median of many runs of each; not part of the test suite.

#include "Equal.h"
#include "FakePlatform.h"
#include "FilterFile.h"
#include "FilterFileName.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double medianMicroseconds(int runs, const std::function<void(int)> &step)
{
    std::vector<qint64> times;
    times.reserve(runs);
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        step(i);
        times.push_back(timer.nsecsElapsed());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2] / 1000.0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FakePlatform platform;
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("bench.DAT"));

    Equal equal(platform);
    equal.Form_Load();
    equal.show();
    if (!QTest::qWaitForWindowExposed(&equal))
        std::fprintf(stderr, "the window was not exposed; paint times mean nothing\n");
    QWidget *plot = equal.findChild<QWidget *>(QStringLiteral("Picture1"));
    QScrollBar *bar = equal.findChild<QScrollBar *>(QStringLiteral("VScroll1(4)"));

    constexpr int Runs = 5000;
    const double change = medianMicroseconds(Runs, [&](int i) {
        bar->triggerAction(i % 2 ? QAbstractSlider::SliderSingleStepSub
                                 : QAbstractSlider::SliderSingleStepAdd);
    });
    // What a user's step costs: the handler, then the event loop painting
    // what changed.
    const double changeAndPaint = medianMicroseconds(Runs, [&](int i) {
        bar->triggerAction(i % 2 ? QAbstractSlider::SliderPageStepSub
                                 : QAbstractSlider::SliderPageStepAdd);
        QCoreApplication::processEvents();
    });
    // The whole plot with the sliders over it, as when the window is uncovered.
    const double fullRepaint = medianMicroseconds(1000, [&](int) { plot->repaint(); });

    FilterBands bands;
    bands.frequency = BandModel::DefaultFrequencies;
    for (int k = 0; k < BandCount; ++k)
        bands.gain[k] = -50.0 + 100.0 * ((k * 1234 + 10000) % 20000) / 20000.0;
    const double write = medianMicroseconds(1000, [&](int) { saveFilterFile(name, bands); });
    // QSaveFile flushes the file to the disk before it replaces the target,
    // so the write time is mostly the disk's.
    const double read = medianMicroseconds(1000, [&](int) { loadFilterFile(name); });
    filterFileName = name;
    const double readIntoWindow = medianMicroseconds(1000, [&](int) { equal.ReadFilterFile(); });

    std::printf("slider change (handler + DrawResponse):          %8.2f us\n", change);
    std::printf("slider change + painting what changed:           %8.2f us\n", changeAndPaint);
    std::printf("full repaint of the plot area:                   %8.2f us\n", fullRepaint);
    std::printf("filter file write (save file, commit):           %8.2f us\n", write);
    std::printf("filter file read (open, parse):                  %8.2f us\n", read);
    std::printf("ReadFilterFile into the window (ten sliders):    %8.2f us\n", readIntoWindow);
    return 0;
}
