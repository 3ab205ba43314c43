// SPDX-License-Identifier: MIT
// Times "OK - Convert!" from handler entry until the converter has been
// started (the real start of a stand-in), against the floor that no start
// can beat: a bare posix_spawn of the same stand-in with the same
// arguments, timed in the same run, one of each in turn. Then, where the
// Windows parts were cross-built, the click for a Windows stand-in, until
// Wine has been started (not until the converter runs). Not a test: run by
// hand,
//   QT_QPA_PLATFORM=offscreen build/bin/bench_launch [runs] [Windows runs]
// The stand-ins' own output is dropped; Wine runs in a prefix of its own.

#include "Brenvik.h"
#include "QtPlatform.h"
#include "ProgramSearch.h"
#include "WinCommandLine.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// The real host, but messages are counted instead of shown, and the
// program's folder can be another one.
class BenchPlatform : public QtPlatform
{
public:
    BenchPlatform()
        : QtPlatform(QStringLiteral("VELMTOWAV"))
    { }
    int messageBox(const QString &, int, const QString &) override
    {
        ++messages;
        return MsgBox::AnswerOk;
    }
    QString executableFolder() const override { return folder; }

    QString folder;
    int messages = 0;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Waits until every child of this process has ended and been reaped (the
// clicks' children are reaped by the program itself), so that no run
// competes with the previous one's converter.
bool childrenGone(int seconds)
{
    const QString list = QStringLiteral("/proc/%1/task/%1/children").arg(::getpid());
    for (QDeadlineTimer deadline(seconds * 1000); !deadline.hasExpired(); QThread::msleep(1)) {
        QCoreApplication::processEvents(); // the program reaps its children there
        QFile file(list);
        if (file.open(QIODevice::ReadOnly) && file.readAll().trimmed().isEmpty())
            return true;
    }
    return false;
}

double clickMs(Brenvik &window)
{
    QElapsedTimer timer;
    timer.start();
    window.Command3D2_Click();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    // The start itself is timed, never a terminal window around it.
    qputenv("BRENVIK_NO_CONVERTER_WINDOW", "1");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 300;
    const int windowsRuns = argc > 2 ? std::max(0, atoi(argv[2])) : 20;
    // The report goes to the terminal, the stand-ins' lines nowhere.
    FILE *report = fdopen(dup(STDOUT_FILENO), "w");
    const int devNull = ::open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);

    QTemporaryDir dir;
    QFile(dir.filePath("room._01")).open(QIODevice::WriteOnly);
    const QString binFolder = QCoreApplication::applicationDirPath();

    // The Linux stand-in, in a folder of ours under the name the click looks
    // for first: whatever else lies beside the benchmark or on the PATH
    // (a real converter, say) is not what is timed.
    const QString nativeFolder = dir.filePath("native");
    QDir().mkpath(nativeFolder);
    QFile::link(binFolder + "/pashet", nativeFolder + "/pashet.exe");

    BenchPlatform platform;
    platform.folder = nativeFolder;
    Brenvik window(platform);
    window.Form_Load();
    window.findChild<QLineEdit *>("Wav")->setText(dir.filePath("room._01"));
    window.findChild<QLineEdit *>("TimLeft")->setText(dir.filePath("out.wav"));

    // The floor starts the program the click finds, with the line's arguments.
    clickMs(window);
    const QString line = QStringLiteral("pashet.exe \"%1\" \"%2\" 1 44100 W ")
                             .arg(dir.filePath("room._01"), dir.filePath("out.wav"));
    const QString stand = findProgram(QStringLiteral("pashet.exe"), nativeFolder, window.workDir,
                                      qEnvironmentVariable("PATH"));
    std::vector<QByteArray> words;
    for (const QString &word : splitWindowsCommandLine(line))
        words.push_back(QFile::encodeName(word));
    words[0] = QFile::encodeName(stand);
    std::vector<char *> floorArgv;
    for (QByteArray &word : words)
        floorArgv.push_back(word.data());
    floorArgv.push_back(nullptr);
    if (!childrenGone(10) || stand != nativeFolder + "/pashet.exe") {
        std::fprintf(report, "no stand-in \"pashet\" beside the benchmark, or it did not end\n");
        return 1;
    }

    std::vector<double> floorMs, nativeMs;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        pid_t pid = 0;
        const int error =
            posix_spawn(&pid, floorArgv[0], nullptr, nullptr, floorArgv.data(), environ);
        floorMs.push_back(timer.nsecsElapsed() / 1e6);
        if (error == 0)
            waitpid(pid, nullptr, 0);
        childrenGone(10);
        nativeMs.push_back(clickMs(window));
        if (!childrenGone(10)) {
            std::fprintf(report, "a started stand-in did not end or was not reaped\n");
            return 1;
        }
    }
    const double floor = median(floorMs), native = median(nativeMs);
    std::fprintf(report,
                 "bare posix_spawn of %s (floor): median %.3f ms over %d runs\n"
                 "click to started native converter: median %.3f ms, %.2fx the floor\n",
                 qPrintable(stand), floor, runs, native, native / floor);

    // The Windows stand-in beside a copy of the starter, in a prefix of its own.
    const QString windowsBin = QDir(binFolder).filePath("../windows-x86_64/bin");
    const QString wine =
        findProgram(QStringLiteral("wine"), QString(), QString(), qEnvironmentVariable("PATH"));
    if (windowsRuns == 0 || wine.isEmpty() || !QFile::exists(windowsBin + "/pashet.exe")
        || !QFile::exists(binFolder + "/brenvik-winstart64.exe")) {
        std::fprintf(report, "Windows converter: not timed (needs Wine and the cross-built"
                             " Windows parts)\n");
        return platform.messages == 0 ? 0 : 1;
    }
    const QString own = dir.filePath("own");
    QDir().mkpath(own);
    QFile::link(windowsBin + "/pashet.exe", own + "/pashet.exe");
    QFile::link(binFolder + "/brenvik-winstart64.exe", own + "/brenvik-winstart64.exe");
    const QString record = dir.filePath("record.jsonl");
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));
    qputenv("WINEPREFIX", QFile::encodeName(dir.filePath("wineprefix")));
    qputenv("WINEDEBUG", "-all");
    qputenv("WINEDLLOVERRIDES", "mscoree,mshtml=");
    platform.folder = own;
    clickMs(window); // creates the prefix: seconds, not timed
    childrenGone(300);
    std::vector<double> windowsMs;
    for (int i = 0; i < windowsRuns && childrenGone(60); ++i)
        windowsMs.push_back(clickMs(window));
    // Every click must have reached the Windows stand-in, which records
    // its raw command line; Wine starts it from the starter, not from us.
    const auto converted = [&] {
        QFile file(record);
        return file.open(QIODevice::ReadOnly) ? file.readAll().count("\"commandLine\"") : 0;
    };
    for (QDeadlineTimer deadline(60000);
         converted() < qsizetype(windowsMs.size()) + 1 && !deadline.hasExpired();)
        QThread::msleep(50);
    QProcess::execute(QStringLiteral("wineserver"), {QStringLiteral("-k")});
    if (windowsMs.empty() || converted() != qsizetype(windowsMs.size()) + 1) {
        std::fprintf(report, "Windows converter: %lld of %zu starts reached the stand-in\n",
                     static_cast<long long>(converted()), windowsMs.size() + 1);
        return 1;
    }
    const double windows = median(windowsMs);
    std::fprintf(report,
                 "click to started Windows converter (until Wine is started): median %.3f ms"
                 " over %zu runs, %.2fx the floor\nmessages: %d\n",
                 windows, windowsMs.size(), windows / floor, platform.messages);
    return platform.messages == 0 ? 0 : 1;
}
