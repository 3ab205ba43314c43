// SPDX-License-Identifier: MIT
// A converter's start seen from the programs started: the terminal window's
// hand-over where the window does not take the converter over, what a
// converter started directly inherits from Brenvik, and the Wine loader a
// Windows converter runs through. The other ends are stand-ins that record
// how they were started: scripts for the converter, the emulator and Wine,
// recording-converter for what a process inherits, standin-brenvik for a
// Brenvik that ends (RecordingConverter.cpp, StandInBrenvik.cpp).

#include "ConverterStart.h"
#include "Heads.h"
#include "ProcessStart.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace { } // namespace

class TestConverterStart : public QObject
{
    Q_OBJECT

private slots:
    void handOverFallbacks_data();
    void handOverFallbacks();
    void inheritedState();
    void wineRunners_data();
    void wineRunners();
    void cleanup();

private:
    const QByteArray m_path = qgetenv("PATH");
    const QString m_folder = QDir::currentPath();
};

// Whoever removes the hand-over's FIFO first starts the converter: the
// console program in the window, or Brenvik taking the converter back when
// the emulator fails or Brenvik ends. Either way it starts exactly once,
// also where the console program comes after Brenvik took it back.
void TestConverterStart::handOverFallbacks_data()
{
    QTest::addColumn<QByteArray>("emulator"); // what the stand-in emulator does
    QTest::addColumn<int>("endAfterMs");      // when Brenvik ends at the latest
    QTest::addColumn<QStringList>("record");  // the converter's starts, the console's end
    QTest::addColumn<QByteArray>("told");     // Brenvik's output
    // The window's program a second late, its exit status recorded.
    const QByteArray late = "(sleep 1; \"$@\"; echo \"console $?\" >>\"$BRENVIK_TEST_STARTS\")"
                            " </dev/null >/dev/null 2>&1 &\n";
    QTest::newRow("Brenvik ends, the window never comes")
        << QByteArray("exit 0\n") << 0 << QStringList{"converter"} << QByteArray();
    QTest::newRow("Brenvik ends, the console program comes late")
        << late + "exit 0\n"
        << 0 << QStringList{"converter", "console 0"} << QByteArray();
    QTest::newRow("the emulator fails, the console program comes late")
        << late + "exit 1\n"
        << 5000 << QStringList{"converter", "console 0"} << QByteArray("told: no window\n");
}

void TestConverterStart::handOverFallbacks()
{
    QFETCH(QByteArray, emulator);
    QFETCH(int, endAfterMs);
    QFETCH(QStringList, record);
    QFETCH(QByteArray, told);
    QTemporaryDir tmp;
    const QString starts = tmp.filePath("starts");
    qputenv("BRENVIK_TEST_STARTS", QFile::encodeName(starts));
    // Started as xterm is: -T title -e program argument.
    QVERIFY(writeFile(tmp.filePath("emulator"), "#!/bin/sh\nshift 3\n" + emulator, true));
    QVERIFY(writeFile(tmp.filePath("converter"),
                      "#!/bin/sh\necho converter >>\"$BRENVIK_TEST_STARTS\"\n", true));
    QProcess brenvik;
    brenvik.start(STANDIN_BRENVIK, {tmp.filePath("emulator"), BRENVIK_CONSOLE,
                                    tmp.filePath("converter"), QString::number(endAfterMs)});
    QVERIFY(brenvik.waitForFinished(30000));
    QCOMPARE(brenvik.exitCode(), 0);
    QCOMPARE(brenvik.readAllStandardOutput(), told);
    // Complete once the console program, where it comes, has ended.
    (void)QTest::qWaitFor([&] { return linesIn(starts).size() >= record.size(); }, 10000);
    QCOMPARE(linesIn(starts), record);
}

// A converter started directly gets none of Brenvik's own state: no
// descriptor beyond the standard three (the one opened here lacks
// close-on-exec), no blocked signal, SIGPIPE at its default (Qt ignores it),
// and a session of its own, out of reach of a Ctrl+C in Brenvik's terminal.
// A signal ignored by whoever started Brenvik (nohup) stays ignored.
void TestConverterStart::inheritedState()
{
    QTemporaryDir tmp;
    const QString record = tmp.filePath("inherited");
    qputenv("BRENVIK_TEST_INHERITED", QFile::encodeName(record));
    const int stray = ::open("/dev/null", O_RDONLY);
    QVERIFY(stray > 2);
    sigset_t blocked;
    sigset_t previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    QCOMPARE(pthread_sigmask(SIG_BLOCK, &blocked, &previous), 0);
    const auto pipeHandler = std::signal(SIGPIPE, SIG_IGN);
    const auto hangUpHandler = std::signal(SIGHUP, SIG_IGN);
    const QString error =
        startHostCommand({RECORDING_CONVERTER, {RECORDING_CONVERTER}, "recording-converter"});
    std::signal(SIGHUP, hangUpHandler);
    std::signal(SIGPIPE, pipeHandler);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(stray);
    QCOMPARE(error, QString());
    QVERIFY(QTest::qWaitFor([&] { return QFile::exists(record); }, 10000));
    const QStringList expected = {"ran: " RECORDING_CONVERTER, "descriptors beyond 2: none",
                                  "own session: yes",          "SIGPIPE: default",
                                  "SIGHUP: ignored",           "blocked signals: none"};
    QCOMPARE(linesIn(record), expected);
}

// A Windows converter runs through the Wine loader of its word size: a
// 64-bit one straight through the 64-bit loader that lies beside Debian's
// wine script, a 32-bit one through the script. A Wine that cannot run it is
// refused, naming what to install; where no loader lies where they are looked
// for, the installation is not second-guessed.
void TestConverterStart::wineRunners_data()
{
    QTest::addColumn<QByteArray>("machine");
    // In lib/wine beside bin/wine, the script: "wine64" a 64-bit loader (the
    // recording stand-in), "wine" a 32-bit one that cannot start here (a bare
    // ELF header), "i386-windows/ntdll.dll" the 32-bit Windows libraries of a
    // 64-bit Wine that runs both.
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("ran");     // runner and starter, below the test's folder
    QTest::addColumn<QString>("refusal"); // part of it; "" where the converter starts
    const QByteArray x64 = "\x64\x86";
    const QByteArray x86 = "\x4c\x01";
    QTest::newRow("64-bit converter, Debian's Wine")
        << x64 << QStringList{"wine", "wine64"} << "lib/wine/wine64 own/brenvik-winstart64.exe"
        << "";
    QTest::newRow("32-bit converter, a 64-bit Wine that runs both")
        << x86 << QStringList{"wine64", "i386-windows/ntdll.dll"}
        << "bin/wine own/brenvik-winstart32.exe"
        << "";
    QTest::newRow("64-bit converter, no loader found")
        << x64 << QStringList{} << "bin/wine own/brenvik-winstart64.exe"
        << "";
    QTest::newRow("32-bit converter, only the 64-bit loader")
        << x86 << QStringList{"wine64"} << ""
        << "32-bit Windows program, which the installed Wine";
    QTest::newRow("32-bit converter, a 32-bit loader that cannot start here")
        << x86 << QStringList{"wine"} << ""
        << "\"sudo apt install wine32:i386\"";
    QTest::newRow("64-bit converter, only the 32-bit loader") << x64 << QStringList{"wine"} << ""
                                                              << "\"sudo apt install wine64\"";
}

void TestConverterStart::wineRunners()
{
    QFETCH(QByteArray, machine);
    QFETCH(QStringList, installed);
    QFETCH(QString, ran);
    QFETCH(QString, refusal);
    QTemporaryDir tmp;
    const QString root = QFileInfo(tmp.path()).canonicalFilePath();
    const QString record = root + "/ran";
    QVERIFY(writeFile(root + "/own/CONV.EXE", pe(machine.constData())));
    QVERIFY(writeFile(root + "/own/brenvik-winstart32.exe", ""));
    QVERIFY(writeFile(root + "/own/brenvik-winstart64.exe", ""));
    QVERIFY(writeFile(
        root + "/bin/wine",
        "#!/bin/sh\nprintf 'ran: %s %s\\n' \"$0\" \"$1\" >\"$BRENVIK_TEST_INHERITED\"\n", true));
    const QByteArray elf32 = QByteArray("\x7f"
                                        "ELF\x01")
                                 .leftJustified(64, '\0')
                                 .replace(18, 1, "\x03");
    for (const QString &file : installed) {
        const QString path = root + "/lib/wine/" + file;
        if (file == "wine64")
            QVERIFY(QDir().mkpath(root + "/lib/wine") && QFile::link(RECORDING_CONVERTER, path));
        else
            QVERIFY(writeFile(path, file == "wine" ? elf32 : QByteArray(), true));
    }
    qputenv("PATH", QFile::encodeName(root + "/bin"));
    qputenv("WINEPREFIX", QFile::encodeName(root + "/prefix"));
    qunsetenv("WINEARCH");
    qputenv("BRENVIK_TEST_INHERITED", QFile::encodeName(record));
    QVERIFY(QDir::setCurrent(root));

    const ConverterStart start =
        prepareConverterStart({"CONV.EXE", {{"CONV.EXE", false}}}, root + "/own");
    QVERIFY2(start.refusal.message.contains(refusal), qPrintable(start.refusal.message));
    QCOMPARE(start.refusal.isNull(), refusal.isEmpty());
    if (!refusal.isEmpty())
        return;
    // Debian's wine script quietens Wine's notes on what it does not implement; started
    // directly, its loader must be told to.
    const bool ownLoader = ran.startsWith("lib/wine/wine64");
    QCOMPARE(start.command.defaults.contains("WINEDEBUG=fixme-all"), ownLoader);
    QCOMPARE(startHostCommand(start.command), QString());
    const QString expected = "ran: " + root + "/" + ran.replace(" ", " " + root + "/");
    (void)QTest::qWaitFor([&] { return linesIn(record).value(0) == expected; }, 10000);
    QCOMPARE(linesIn(record).value(0), expected);
}

void TestConverterStart::cleanup()
{
    qputenv("PATH", m_path);
    QVERIFY(QDir::setCurrent(m_folder));
}

QTEST_MAIN(TestConverterStart)
#include "tst_converter_start.moc"
