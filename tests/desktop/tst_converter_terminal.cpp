// SPDX-License-Identifier: MIT
// A converter's own terminal window (x_session.sh, in a D-Bus session of its
// own): titled with the converter and its source, the arguments of a start
// without window, how it ended, closed by Enter; with every emulator Debian
// makes `x-terminal-emulator`, and with a window that comes late. Without a
// working emulator or with Brenvik's output on a terminal, the converter
// runs without one, and where a window was wanted the user is told once.
// Windows converters: tst_wine_start.

#include "Brenvik.h"
#include "Heads.h"
#include "RealHost.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
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
    const QString found = run("xdotool", {"search", "--name", "^pashet\\.exe - "});
    return found.split(u'\n', Qt::SkipEmptyParts);
}

const QString source = QStringLiteral("-Säle hall's._01");

// What the console program shows once the converter has finished well.
const QString finished =
    QStringLiteral("pashet.exe has finished.\nPress Enter to close this window.");

} // namespace

class TestConverterTerminal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void withoutWindow();
    void emulators_data();
    void emulators();
    void lateWindow();
    void noTerminal();
    void windowNeverComes();
    void guiConverter();

private:
    QString work(const QString &name) const { return m_work.filePath(name); }
    /// Makes `target` the x-terminal-emulator of the folder `folder`.
    bool linkTerminal(const QString &folder, const QString &target) const;
    /// A Brenvik window with the source and output names filled in.
    std::unique_ptr<Brenvik> window(TestPlatform &platform) const;
    /// Clicks "OK - Convert!" with the x-terminal-emulator of `folder`.
    void click(Brenvik &w, const QString &folder, bool windowsOff, bool outputOnTerminal = false);
    /// The converter's one run once recorded (empty until it is complete,
    /// or when it ran more than once).
    QJsonObject started(int timeoutMs = 60000) const;
    /// Checks that the console record shows a finished conversion in a
    /// terminal, that the window is titled with the converter and its
    /// source, and that Enter closes it. The caller ends where a check failed.
    void checkWindow();

    QTemporaryDir m_work;
    QByteArray m_path;
    QJsonObject m_expected; ///< what the converter gets when started without window

public:
    bool m_skipped = false; ///< an emulator was skipped: not installed
};

void TestConverterTerminal::initTestCase()
{
    QVERIFY(m_work.isValid());
    m_path = qgetenv("PATH");
    // Brenvik's folder: the console program beside the converter, and the
    // source it reads. Folders that hold the emulator: xterm, none, and the scripts below.
    QVERIFY(QDir().mkpath(work("bin")) && QFile(work("bin/") + source).open(QIODevice::WriteOnly));
    for (const char *folder : {"xterm", "none", "never", "late", "emulator"})
        QVERIFY(QDir().mkpath(work(folder)));
    QVERIFY(QFile::link(BRENVIK_BIN "/brenvik-console", work("bin/brenvik-console")));
    QVERIFY(QFile::link(BRENVIK_BIN "/pashet", work("bin/pashet")));
    QVERIFY(linkTerminal("xterm", QStandardPaths::findExecutable("xterm")));
    // One that ends at once without ever opening a window, and one that
    // ends at once and opens its window five seconds later.
    QVERIFY(writeFile(work("never/x-terminal-emulator"), "#!/bin/sh\nexit 0\n", true));
    QVERIFY(writeFile(
        work("late/x-terminal-emulator"),
        "#!/bin/sh\n(sleep 5; exec xterm \"$@\") </dev/null >/dev/null 2>&1 &\nexit 0\n", true));
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(work("record.jsonl")));
    qputenv("BRENVIK_CONSOLE_RECORD", QFile::encodeName(work("console.txt")));

    // A start without window: what the converter must get in its window too.
    TestPlatform platform(QStringLiteral("VELMTOWAV"), work("bin"));
    const std::unique_ptr<Brenvik> w = window(platform);
    click(*w, "xterm", true);
    m_expected = started();
    const QStringList arguments = m_expected["args"].toVariant().toStringList();
    QVERIFY2(arguments.contains(source) && arguments.contains("-out 'één' $HOME.WAV"),
             qPrintable(arguments.join(u'|')));
}

bool TestConverterTerminal::linkTerminal(const QString &folder, const QString &target) const
{
    QFile::remove(work(folder + "/x-terminal-emulator"));
    return !target.isEmpty() && QFile::link(target, work(folder + "/x-terminal-emulator"));
}

std::unique_ptr<Brenvik> TestConverterTerminal::window(TestPlatform &platform) const
{
    auto w = std::make_unique<Brenvik>(platform);
    if (!w->Form_Load())
        return w;
    w->findChild<QLineEdit *>("Wav")->setText(source);
    w->findChild<QLineEdit *>("TimLeft")->setText("-out 'één' $HOME");
    return w;
}

void TestConverterTerminal::click(Brenvik &w, const QString &folder, bool windowsOff,
                                  bool outputOnTerminal)
{
    QFile::remove(work("record.jsonl"));
    QFile::remove(work("console.txt"));
    const QByteArray rest = folder == "none" ? QByteArray() : ':' + m_path;
    qputenv("PATH", QFile::encodeName(work(folder)) + rest);
    qputenv("BRENVIK_NO_CONVERTER_WINDOW", windowsOff ? "1" : "");
    // Brenvik's output on a pseudo-terminal, whose master is closed unread.
    const int output = dup(STDOUT_FILENO);
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (outputOnTerminal && grantpt(master) == 0 && unlockpt(master) == 0) {
        const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
        dup2(terminal, STDOUT_FILENO);
        ::close(terminal);
    }
    QTest::mouseClick(w.findChild<QWidget *>("Command3D2"), Qt::LeftButton);
    dup2(output, STDOUT_FILENO);
    ::close(output);
    ::close(master);
    qputenv("PATH", m_path);
}

QJsonObject TestConverterTerminal::started(int timeoutMs) const
{
    QJsonObject record;
    const auto complete = [&] {
        record = recordIn(work("record.jsonl"));
        return !record.isEmpty();
    };
    (void)QTest::qWaitFor(complete, timeoutMs);
    return record;
}

void TestConverterTerminal::checkWindow()
{
    const auto ended = [&] { return readAll(work("console.txt")).contains("Press Enter"); };
    QVERIFY2(QTest::qWaitFor(ended, 60000), "the console program shows no end message");
    const QString console = readAll(work("console.txt"));
    QVERIFY2(console.startsWith("input: terminal\n"), qPrintable(console));
    QVERIFY2(console.contains(finished), qPrintable(console));
    QStringList windows;
    QVERIFY(QTest::qWaitFor([&] { return (windows = converterWindows()).size() == 1; }, 30000));
    const auto titled = [&] {
        return run("xdotool", {"getwindowname", windows[0]}).contains(source);
    };
    QVERIFY(QTest::qWaitFor(titled, 10000));
    run("xdotool", {"windowactivate", "--sync", windows[0], "key", "Return"});
    const auto closed = [] { return converterWindows().isEmpty(); };
    QVERIFY2(QTest::qWaitFor(closed, 30000), "Enter did not close the window");
    // The converter ran once only.
    QCOMPARE(started(), m_expected);
}

// Brenvik's output on a terminal: the converter writes there, without a window, and nothing is
// said. (An emulator that fails: tst_converter_start; the user told: windowNeverComes.)
void TestConverterTerminal::withoutWindow()
{
    TestPlatform platform(QStringLiteral("VELMTOWAV"), work("bin"));
    const std::unique_ptr<Brenvik> w = window(platform);
    click(*w, "xterm", false, true);
    QCOMPARE(started(), m_expected);
    QVERIFY(converterWindows().isEmpty());
    QCOMPARE(platform.messages, QList<QStringList>());
}

// What Debian makes x-terminal-emulator (its package: the name before any ".wrapper"), and the
// instance of it started first, where not "". The tags name CTest's tests (CMakeLists.txt).
void TestConverterTerminal::emulators_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("instance");
    const auto row = [](const char *tag, const char *program, const char *instance = "") {
        QTest::newRow(tag) << program << instance;
    };
    row("xterm", "xterm");
    row("lxterminal", "lxterminal");
    row("xfce4-terminal", "xfce4-terminal.wrapper");
    row("xfce4-terminal-running", "xfce4-terminal.wrapper", "xfce4-terminal");
    row("qterminal", "qterminal");
    row("mate-terminal", "mate-terminal.wrapper");
    row("konsole", "konsole");
    row("gnome-terminal", "gnome-terminal.wrapper");
    row("terminator", "terminator");
}

void TestConverterTerminal::emulators()
{
    QFETCH(QString, program);
    QFETCH(QString, instance);
    const QString file = QStandardPaths::findExecutable(program);
    const QString missing =
        program + " is not installed (Debian package " + program.section(u'.', 0, 0) + ")";
    if (file.isEmpty() && qgetenv("CI") == "true")
        QFAIL(qPrintable(missing));
    m_skipped = file.isEmpty();
    if (file.isEmpty())
        QSKIP(qPrintable(missing));
    QVERIFY(linkTerminal("emulator", file));
    QProcess running;
    if (!instance.isEmpty()) {
        running.start(instance, {"--title", "running instance", "-x", "sleep", "600"});
        const auto shown = [] {
            return !run("xdotool", {"search", "--name", "^running instance"}).isEmpty();
        };
        QVERIFY(QTest::qWaitFor(shown, 60000));
    }
    TestPlatform platform(QStringLiteral("VELMTOWAV"), work("bin"));
    const std::unique_ptr<Brenvik> w = window(platform);
    click(*w, "emulator", false);
    checkWindow();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(platform.messages, QList<QStringList>());
    if (running.state() != QProcess::NotRunning) {
        running.kill();
        running.waitForFinished(10000);
    }
}

void TestConverterTerminal::lateWindow()
{
    TestPlatform platform(QStringLiteral("VELMTOWAV"), work("bin"));
    const std::unique_ptr<Brenvik> w = window(platform);
    click(*w, "late", false);
    checkWindow();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(platform.messages, QList<QStringList>());
}

void TestConverterTerminal::noTerminal()
{
    TestPlatform platform(QStringLiteral("VELMTOWAV"), work("bin"));
    const std::unique_ptr<Brenvik> w = window(platform);
    click(*w, "none", false);
    QCOMPARE(started(), m_expected);
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].mid(1), QStringList({"48", "Converter Without Window"}));
    QVERIFY2(platform.messages[0][0].startsWith("pashet.exe runs without a window of its own")
                 && platform.messages[0][0].contains("(sudo apt install xterm)"),
             qPrintable(platform.messages[0][0]));
    // Once a run.
    click(*w, "none", false);
    QCOMPARE(started(), m_expected);
    QTest::qWait(500);
    QCOMPARE(platform.messages.size(), 1);
}

void TestConverterTerminal::windowNeverComes()
{
    TestPlatform platform(QStringLiteral("VELMTOWAV"), work("bin"));
    const std::unique_ptr<Brenvik> w = window(platform);
    QElapsedTimer clock;
    clock.start();
    click(*w, "never", false);
    QCOMPARE(started(90000), m_expected);
    QVERIFY2(clock.elapsed() >= 59000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(QTest::qWaitFor([&] { return !platform.messages.isEmpty(); }, 10000));
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].mid(1), QStringList({"48", "Converter Without Window"}));
    QTest::qWait(1000);
    QCOMPARE(started(), m_expected);
}

// A Windows GUI converter opens windows of its own and writes nowhere: it
// starts through Wine without a terminal window, and nothing is said.
void TestConverterTerminal::guiConverter()
{
    const QByteArray gui = peProgram("\x64\x86", 2);
    QVERIFY(QDir().mkpath(work("guibin")) && QDir().mkpath(work("gui")));
    QFile program(work("guibin/pashet.exe"));
    QVERIFY(program.open(QIODevice::WriteOnly) && program.write(gui) == gui.size());
    program.close();
    QVERIFY(QFile(work("guibin/brenvik-winstart64.exe")).open(QIODevice::WriteOnly));
    QVERIFY(QFile(work("guibin/") + source).open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(BRENVIK_BIN "/brenvik-console", work("guibin/brenvik-console")));
    const QByteArray ran = QFile::encodeName(work("wine-ran"));
    const QByteArray terminalRan = QFile::encodeName(work("terminal-ran"));
    QVERIFY(
        writeFile(work("gui/wine"), "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + ran + "'\n", true));
    QVERIFY(
        writeFile(work("gui/x-terminal-emulator"), "#!/bin/sh\n: > '" + terminalRan + "'\n", true));
    qputenv("WINEPREFIX", QFile::encodeName(work("prefix")));

    TestPlatform platform(QStringLiteral("VELMTOWAV"), work("guibin"));
    const std::unique_ptr<Brenvik> w = window(platform);
    click(*w, "gui", false);
    QVERIFY(QTest::qWaitFor([&] { return QFile::exists(work("wine-ran")); }, 10000));
    QTest::qWait(1000);
    QVERIFY(!QFile::exists(work("terminal-ran")));
    QCOMPARE(platform.messages, QList<QStringList>());
    qunsetenv("WINEPREFIX");
}

// Exit status 77 (CTest: skipped) where an emulator was not installed.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestConverterTerminal test;
    const int failures = QTest::qExec(&test, argc, argv);
    return failures == 0 && test.m_skipped ? 77 : failures;
}
#include "tst_converter_terminal.moc"
