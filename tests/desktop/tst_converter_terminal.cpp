// SPDX-License-Identifier: MIT
// A started converter's own terminal window, on a real X server (started by
// run_terminal_check.sh with a window manager) with xterm as
// x-terminal-emulator: the window comes up titled with the converter and
// its source, the converter gets exactly the arguments of a start without
// window, the window says how it ended and closes on Enter, and nothing is
// left a zombie. No window with standard output on a terminal; the
// converter still runs where the emulator is missing or fails.

#include "Brenvik.h"
#include "QtPlatform.h"
#include "RowCheck.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

// The host for real, with the converters of a folder of the test's choosing;
// a message box would block, so it is recorded instead.
class TestPlatform : public QtPlatform
{
public:
    explicit TestPlatform(QString folder) : QtPlatform(QStringLiteral("VELMTOWAV")), m_folder(std::move(folder)) {}
    QString executableFolder() const override { return m_folder; }
    int messageBox(const QString &prompt, int, const QString &) override
    {
        messages << prompt;
        return 1;
    }
    QStringList messages;

private:
    QString m_folder;
};

// Polls `ready` for up to `ms` milliseconds with the event loop running.
template<typename F> bool waitFor(F ready, int ms = 60000)
{
    for (QDeadlineTimer deadline(ms); !deadline.hasExpired(); QTest::qWait(50))
        if (ready())
            return true;
    return ready();
}

QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(10000);
    return p.readAllStandardOutput().trimmed();
}

// The X windows whose title starts with the converter's name.
QStringList converterWindows()
{
    return QString::fromUtf8(run("xdotool", {"search", "--name", "^pashet\\.exe - "})).split(u'\n', Qt::SkipEmptyParts);
}

QString readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// This process's children that have ended but were not waited for.
int zombies()
{
    int count = 0;
    for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
        const QString stat = readAll("/proc/" + pid + "/stat");
        const QStringList fields = stat.mid(stat.lastIndexOf(u')') + 2).split(u' ');
        if (fields.size() > 1 && fields[1].toInt() == getpid() && fields[0] == u"Z")
            ++count;
    }
    return count;
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
    const QString work = qEnvironmentVariable("BRENVIK_TEST_WORK");
    QVERIFY2(!work.isEmpty(), "run by run_terminal_check.sh");
    const QByteArray path = qgetenv("PATH");
    const QString record = work + "/record.jsonl", log = work + "/xterm.log", called = work + "/called";
    // xterm logs what its window shows; its resources come from this file.
    QFile resources(work + "/xterm-resources");
    QVERIFY(resources.open(QIODevice::WriteOnly));
    resources.write("XTerm*logging: true\nXTerm*logFile: " + QFile::encodeName(log) + "\n");
    resources.close();
    qputenv("XENVIRONMENT", QFile::encodeName(resources.fileName()));
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));

    // Emulators on PATH: xterm, one that fails, none. Each notes its call.
    const auto emulator = [&](const char *name, const QByteArray &then) {
        const QString folder = work + "/" + name;
        QDir().mkpath(folder);
        QFile script(folder + "/x-terminal-emulator");
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\necho \"$0\" >>'" + QFile::encodeName(called) + "'\n" + then + "\n");
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return QFile::encodeName(folder) + ":" + path;
    };
    const QByteArray xterm = emulator("xterm", "exec xterm \"$@\""), failing = emulator("failing", "exit 1");
    const QByteArray none = QFile::encodeName(work + "/none");  // not even /usr/bin's
    QDir().mkpath(work + "/none");

    enum Output { File, Terminal };
    // The Windows stand-in refuses a source that does not exist: its exit
    // status must come back through Wine and the starter.
    const QString source = QStringLiteral("-Säle hall._01"), missing = QStringLiteral("-Säle gone._01");
    const struct { const char *row, *folderVariable; const QByteArray &path; Output output; QString source; const char *end; } rows[] = {
        {"native in xterm", "BRENVIK_TEST_NATIVE_BIN", xterm, File, source, "has finished."},
        {"native, output on a terminal", "BRENVIK_TEST_NATIVE_BIN", xterm, Terminal, source, nullptr},
        {"native, emulator fails", "BRENVIK_TEST_NATIVE_BIN", failing, File, source, nullptr},
        {"native, no emulator", "BRENVIK_TEST_NATIVE_BIN", none, File, source, nullptr},
        {"Windows through Wine in xterm", "BRENVIK_TEST_WINE_BIN", xterm, File, missing, "ended with status 2."},
    };
    QHash<QString, QJsonObject> withoutWindow;
    for (const auto &r : rows) {
        const QString folder = qEnvironmentVariable(r.folderVariable);
        if (folder.isEmpty()) {
            qWarning("SKIPPED row %s: %s is not set (for Wine: no Wine or no Windows stand-ins)", r.row, r.folderVariable);
            continue;
        }
        QFile(QDir(folder).filePath(source)).open(QIODevice::WriteOnly);
        TestPlatform platform(folder);
        Brenvik w(platform);
        QVERIFY(w.Form_Load());
        w.findChild<QLineEdit *>("Wav")->setText(r.source);
        w.findChild<QLineEdit *>("TimLeft")->setText("-out één");

        // A start without window first: what the converter must get in its window too.
        const auto click = [&](const QByteArray &searchPath, bool windowsOff) {
            for (const QString &file : {record, log, called})
                QFile::remove(file);
            qputenv("PATH", searchPath);
            qputenv("BRENVIK_NO_CONVERTER_WINDOW", windowsOff ? "1" : "");
            QTest::mouseClick(w.findChild<QWidget *>("Command3D2"), Qt::LeftButton);
            qputenv("PATH", path);
            QJsonObject started;
            waitFor([&] { return !(started = QJsonDocument::fromJson(readAll(record).toUtf8()).object()).isEmpty(); });
            return started;
        };
        if (!withoutWindow.contains(folder + r.source))
            withoutWindow[folder + r.source] = click(xterm, true);
        const QJsonObject expected = withoutWindow[folder + r.source];
        ROW_COMPARE(r.row, platform.messages, QStringList());
        ROW_COMPARE(r.row, expected["args"].toArray().contains(QJsonValue("-out één.WAV")), true);

        int savedOutput = -1, master = -1;
        if (r.output == Terminal) {
            master = posix_openpt(O_RDWR | O_NOCTTY);
            QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
            const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
            savedOutput = dup(STDOUT_FILENO);
            dup2(terminal, STDOUT_FILENO);
            close(terminal);
        }
        const QJsonObject started = click(r.path, false);
        if (savedOutput >= 0) {
            dup2(savedOutput, STDOUT_FILENO);
            close(savedOutput);
            close(master);  // what the converter wrote there is not read
        }
        ROW_COMPARE(r.row, platform.messages, QStringList());
        ROW_COMPARE(r.row, started, expected);
        ROW_COMPARE(r.row, QFile::exists(called), r.path != none && r.output == File);
        if (!r.end) {
            QTest::qWait(500);
            ROW_COMPARE(r.row, converterWindows(), QStringList());
            continue;
        }
        QStringList windows;
        waitFor([&] { return (windows = converterWindows()).size() == 1; });
        ROW_COMPARE(r.row, windows.size(), 1);
        ROW_COMPARE(r.row, QString::fromUtf8(run("xprop", {"-id", windows[0], "-notype", "_NET_WM_NAME"})),
                    "_NET_WM_NAME = \"pashet.exe - " + r.source + "\"");
        waitFor([&] { return readAll(log).contains("Press Enter"); });
        ROW_COMPARE(r.row, readAll(log).contains(QStringLiteral("\apashet.exe %1\r\n").arg(r.end)), true);
        // Enter closes the window; the emulator, Brenvik's child, is reaped.
        run("xdotool", {"windowactivate", "--sync", windows[0], "key", "Return"});
        ROW_COMPARE(r.row, waitFor([] { return converterWindows().isEmpty(); }), true);
        ROW_COMPARE(r.row, waitFor([] { return zombies() == 0; }, 5000), true);
    }
}

QTEST_MAIN(TestConverterTerminal)
#include "tst_converter_terminal.moc"
