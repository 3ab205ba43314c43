// SPDX-License-Identifier: MIT
// A converter's own xterm window (x_session.sh): titled with the converter and
// its source, the arguments of a start without window, how it ended, closed by
// Enter. Without a working emulator or with Brenvik's output on a terminal, the
// converter runs without one. Windows converters: tst_wine_start.

#include "Brenvik.h"
#include "RealHost.h"

#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput().trimmed());
}

// The X windows whose title starts with the converter's name.
QStringList converterWindows()
{
    return run("xdotool", {"search", "--name", "^pashet\\.exe - "}).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestConverterTerminal : public QObject
{
    Q_OBJECT

private slots:
    void windowPerStart();
};

void TestConverterTerminal::windowPerStart()
{
    QTemporaryDir work;
    const QString bin = work.filePath("bin"), record = work.filePath("record.jsonl"), log = work.filePath("xterm.log");
    const QString source = QStringLiteral("-Säle hall._01");
    // Brenvik's folder: the console program beside the converter, and the
    // source it reads. Folders that hold the emulator, xterm or one that fails.
    QVERIFY(QDir().mkpath(bin) && QFile(bin + u'/' + source).open(QIODevice::WriteOnly));
    QVERIFY(QDir().mkpath(work.filePath("xterm")) && QDir().mkpath(work.filePath("failing")));
    const QByteArray path = qgetenv("PATH");
    const QString links[][2] = {{BRENVIK_BIN "/brenvik-console", bin + "/brenvik-console"},
                                {BRENVIK_BIN "/pashet", bin + "/pashet"},
                                {QStandardPaths::findExecutable("xterm"), work.filePath("xterm/x-terminal-emulator")},
                                {QStandardPaths::findExecutable("false"), work.filePath("failing/x-terminal-emulator")}};
    for (const auto &link : links)
        QVERIFY2(QFile::link(link[0], link[1]), qPrintable(link[1]));
    // xterm logs what its window shows; its resources come from this file.
    QFile resources(work.filePath("xterm-resources"));
    QVERIFY(resources.open(QIODevice::WriteOnly)
            && resources.write("XTerm*logging: true\nXTerm*logFile: " + QFile::encodeName(log) + "\n") > 0);
    resources.close();
    qputenv("XENVIRONMENT", QFile::encodeName(resources.fileName()));
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));

    TestPlatform platform(QStringLiteral("VELMTOWAV"), bin);
    Brenvik w(platform);
    QVERIFY(w.Form_Load());
    w.findChild<QLineEdit *>("Wav")->setText(source);
    w.findChild<QLineEdit *>("TimLeft")->setText("-out één");
    // What the converter records for a click with the emulator of `folder`.
    const auto click = [&](const char *folder, bool windowsOff, bool outputOnTerminal = false) {
        QFile::remove(record);
        qputenv("PATH", QFile::encodeName(work.filePath(folder)) + ':' + path);
        qputenv("BRENVIK_NO_CONVERTER_WINDOW", windowsOff ? "1" : "");
        // Brenvik's output on a pseudo-terminal, whose master is closed unread.
        const int output = dup(STDOUT_FILENO), master = posix_openpt(O_RDWR | O_NOCTTY);
        if (outputOnTerminal && grantpt(master) == 0 && unlockpt(master) == 0) {
            const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
            dup2(terminal, STDOUT_FILENO);
            ::close(terminal);
        }
        QTest::mouseClick(w.findChild<QWidget *>("Command3D2"), Qt::LeftButton);
        dup2(output, STDOUT_FILENO);
        ::close(output);
        ::close(master);
        qputenv("PATH", path);
        QJsonObject started;
        (void)QTest::qWaitFor([&] { return !(started = recordIn(record)).isEmpty(); }, 60000);
        return started;
    };
    // A start without window first: what the converter must get in its window too.
    const QJsonObject expected = click("xterm", true);
    QVERIFY(expected["args"].toVariant().toStringList().contains("-out één.WAV"));
    QCOMPARE(click("failing", false), expected);
    QCOMPARE(click("xterm", false, true), expected);
    QVERIFY(converterWindows().isEmpty());
    QCOMPARE(click("xterm", false), expected);
    QStringList windows;
    QVERIFY(QTest::qWaitFor([&] { return (windows = converterWindows()).size() == 1; }, 60000));
    QCOMPARE(run("xprop", {"-id", windows[0], "-notype", "_NET_WM_NAME"}),
             "_NET_WM_NAME = \"pashet.exe - " + source + "\"");
    QVERIFY(QTest::qWaitFor([&] { return readAll(log).contains("Press Enter"); }, 60000));
    QVERIFY2(readAll(log).contains("\apashet.exe has finished.\r\n"), qPrintable(readAll(log)));
    run("xdotool", {"windowactivate", "--sync", windows[0], "key", "Return"});
    QVERIFY(QTest::qWaitFor([] { return converterWindows().isEmpty(); }, 60000));
    QCOMPARE(platform.messages, QList<QStringList>());
}

QTEST_MAIN(TestConverterTerminal)
#include "tst_converter_terminal.moc"
