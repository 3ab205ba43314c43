// Times "OK - Convert!" from handler entry until the converter has been
// started (the real detached start of a stand-in). Not a test: run by hand,
//   QT_QPA_PLATFORM=offscreen build/bin/bench_launch [runs]

#include "Brenvik.h"
#include "FakePlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    QTemporaryDir dir;
    QFile source(dir.filePath("room._01"));
    source.open(QIODevice::WriteOnly);
    source.close();
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(dir.filePath("record.jsonl")));

    FakePlatform platform;
    platform.realStart = true;
    platform.exeFolder = QCoreApplication::applicationDirPath();
    platform.arguments = QStringLiteral("VELMTOWAV");
    Brenvik window(platform);
    window.Form_Load();
    window.findChild<QLineEdit *>("Wav")->setText(dir.filePath("room._01"));
    window.findChild<QLineEdit *>("TimLeft")->setText(dir.filePath("out.wav"));

    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        window.Command3D2_Click();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("click to started converter: median %.3f ms, p90 %.3f ms, min %.3f ms over %d "
                "runs; messages %lld\n",
                ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.front(), runs,
                static_cast<long long>(platform.messages.size()));
    return platform.messages.isEmpty() ? 0 : 1;
}
