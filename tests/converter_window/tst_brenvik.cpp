// SPDX-License-Identifier: MIT
// The converter window through its named controls with a scripted host: what it adds to the pure
// rules.

#include "Brenvik.h"
#include "FakePlatform.h"
#include "FilterFileName.h"
#include "Heads.h"
#include "RealHost.h"
#include "RowCheck.h"
#include "StartUp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMetaEnum>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString checkMark = QStringLiteral("\u221A");

// One row of a table: start with a keyword (nullptr: no start-up at all), act, then probe.
struct Row
{
    const char *keyword, *steps, *probes;
    QString expected;
};

struct Window
{
    FakePlatform platform;
    std::unique_ptr<Brenvik> w;

    explicit Window(const char *keyword = "", bool active = false)
    {
        platform.arguments = QString::fromLatin1(keyword);
        w = std::make_unique<Brenvik>(platform);
        if (keyword)
            w->Form_Load();
        if (active) {
            w->show();
            QApplication::setActiveWindow(w.get());
            if (!QTest::qWaitForWindowActive(w.get()))
                qFatal("the window does not become active");
        }
    }
    QWidget *get(const QString &name) const
    {
        QWidget *child = w->findChild<QWidget *>(name);
        return child ? child : (qFatal("no control %s", qPrintable(name)), nullptr);
    }
    // Blank-separated steps: a key's name ("Tab") presses it on the focused control, ">Name"
    // focuses a control, "Name=text" fills a box, "Name" clicks it; "@..." script the host.
    void act(const QString &steps)
    {
        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            const QString name = step.section(u'=', 0, 0), value = step.section(u'=', 1);
            const int key = QMetaEnum::fromType<Qt::Key>().keyToValue(("Key_" + step).toLatin1());
            if (key >= 0)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            else if (step == "@case")
                platform.ignoreCase = true;
            else if (name == "@symbols")
                platform.symbols = {value.left(1), value.mid(1)}; // decimal, grouping
            else if (name == "@answer")
                platform.answers.push_back(value.toInt());
            else if (name == "@choose")
                platform.dialogResults.push_back(value);
            else if (name == "@error")
                platform.startError = value;
            else if (name == "@folders")
                platform.existingFolders = {value};
            else if (name == "@refused")
                platform.converterRefusal = {value, "Refused"};
            else if (step.startsWith(u'>'))
                get(step.mid(1))->setFocus(Qt::TabFocusReason);
            else if (step.contains(u'='))
                static_cast<QLineEdit *>(get(name))->setText(value);
            else
                QTest::mouseClick(get(step), Qt::LeftButton);
        }
    }
    // Blank-separated probes, answers joined by "|": "Name" a control's text or a frame's title;
    // "Name?" shown, "!" enabled, "*" selected, "@" geometry; "counts" of messages, starts,
    // dialogs, ends and beeps; the last "message" (style, title), "prompt", "start", "dialog".
    QString probe(const QString &probes) const
    {
        QStringList out;
        const FakePlatform &p = platform;
        const auto message = p.messages.value(p.messages.size() - 1);
        const auto start = p.starts.value(p.starts.size() - 1);
        const auto [dialog, action] = p.dialogs.value(p.dialogs.size() - 1);
        for (const QString &what : probes.split(u' ', Qt::SkipEmptyParts)) {
            const QChar kind = what.back();
            QWidget *c = QStringLiteral("?!*@").contains(kind) ? get(what.chopped(1)) : nullptr;
            if (kind == u'?')
                out << QString::number(!c->isHidden());
            else if (kind == u'!')
                out << QString::number(c->isEnabled());
            else if (kind == u'*')
                out << QString::number(static_cast<QAbstractButton *>(c)->isChecked());
            else if (kind == u'@')
                out << QStringLiteral("%1,%2,%3,%4")
                           .arg(c->x())
                           .arg(c->y())
                           .arg(c->width())
                           .arg(c->height());
            else if (what == "modes")
                out << QStringLiteral("%1%2%3%4%5")
                           .arg(w->modeTimWav)
                           .arg(w->modeWavTim)
                           .arg(w->modeBkTim)
                           .arg(w->modeVelmTim)
                           .arg(w->modeVelmWav);
            else if (what == "focus")
                out << QApplication::focusWidget()->objectName();
            else if (what == "counts")
                out << QStringLiteral("%1 %2 %3 %4 %5")
                           .arg(p.messages.size())
                           .arg(p.starts.size())
                           .arg(p.dialogs.size())
                           .arg(p.endCalls)
                           .arg(p.beeps);
            else if (what == "message")
                out << QStringLiteral("%1 %2").arg(message.style).arg(message.title);
            else if (what == "prompt")
                out << message.prompt;
            else if (what == "start")
                out << QStringLiteral("%1 %2 %3")
                           .arg(start.windowStyle)
                           .arg(start.currentDirectory, start.commandLine);
            else if (what == "dialog")
                out << QStringLiteral("%1 %2 %3 %4")
                           .arg(action)
                           .arg(dialog.Filter, dialog.FileName, dialog.InitDir);
            else if (auto *frame = qobject_cast<QGroupBox *>(get(what)))
                out << frame->title();
            else
                out << get(what)->property("text").toString();
        }
        return out.join(u'|');
    }
    static void run(const QList<Row> &rows, bool active = false)
    {
        for (const Row &r : rows) {
            Window t(r.keyword, active);
            t.act(r.steps);
            ROW_COMPARE(QString(r.keyword) + ": " + r.steps, t.probe(r.probes), r.expected);
        }
    }
};

// Runs the start-up with the real host in a child process started in `start` with the home folder
// `home`; for root without any capability, so that folder permissions hold as for a user. Gives the
// working folder, the dialogs' start folder and the current folder afterwards, or what went wrong.
QString startUpInChild(const QString &exeFolder, const QString &start, const QString &home)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct none[2]{};
        QByteArray out = "cannot drop the capabilities or enter the start folder";
        if (::syscall(SYS_capset, &header, none) == 0 && QDir::setCurrent(start)) {
            qputenv("HOME", QFile::encodeName(home));
            TestPlatform platform({}, exeFolder);
            Brenvik window(platform);
            out = window.Form_Load() ? QFile::encodeName(
                      window.workDir + u'|' + window.CMDialog1.InitDir + u'|' + QDir::currentPath())
                                     : "the start-up failed";
        }
        const bool written = ::write(fds[1], out.constData(), size_t(out.size())) == out.size();
        ::_exit(written ? 0 : 1);
    }
    ::close(fds[1]);
    QByteArray got;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        got.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0
               ? QFile::decodeName(got)
               : "the child failed: " + QFile::decodeName(got);
}

} // namespace

class TestBrenvik : public QObject
{
    Q_OBJECT

private slots:
    void init() { filterFileName.clear(); }

    void startUp()
    {
        // Built from the layout table (edges rounded from twips). Only the decimal symbol counts
        // at start-up; a failed one shows nothing and ends the program.
        QCOMPARE(Window(nullptr).probe("Frame3D6@ modes"), "16,128,245,37|00000");
        // Where there is no Control Panel, the fatal message also says how to start Brenvik.
        QString fatal =
            QStringLiteral("Your Regional Settings are not properly set !!! Velmora requires US "
                           "English or UK English locale settings, please change them in Your "
                           "Windows Control Panel.");
#ifndef Q_OS_WIN
        fatal += QStringLiteral(
            " On this system start Brenvik from its desktop menu entry, or from a terminal "
            "with the command \"LC_NUMERIC=C.UTF-8 brenvik\".");
#endif
        for (const char *decimal : {".", ","}) {
            Window t(nullptr);
            t.act(QStringLiteral("@symbols=") + decimal + "'");
            const bool ok = *decimal == '.';
            QCOMPARE(startConverterWindow(*t.w), ok ? ExitStatus::Ok : ExitStatus::StartFailed);
            QCOMPARE(t.probe("counts message modes") + QString::number(t.w->isVisible()),
                     ok ? "0 0 0 0 0|0 |000011" : "1 0 0 1 0|16 Unrecoverable Error|000000");
            QCOMPARE(t.probe("prompt"), ok ? QString() : fatal);
        }
    }

    void modes()
    {
        Window::run({
            {"TIMTOWAV", "", "Frame3D2@ Panel3D2? Frame3D4? Frame3D6?", "8,248,357,81|0|1|0"},
            {"VELMTOTIM", "", "Frame3D2@ Panel3D2? Panel3D2 ExpSPL Frame3D4? Frame3D6?",
             "8,168,357,81|1|Microphone Number =|1|0|1"},
            // Each mode adapts the names it keeps (the field rules' own table says how).
            {"BKTOTIM", "@case Wav=Hall.WAV TimLeft=Room.WAV wavtim", "Wav TimLeft",
             "hall.wav|room.tim"},
            {"", "Command3D1 Command3D1 Command3D1 Command3D1", "modes", "00001"},
            {"", "OptBin velmtim velmwav", "OptBin! OptBin* Opt44*", "1|0|1"},
            // Mono adapts the left name and hides the right one, which keeps its text; Mono stays.
            {"TIMTOWAV", "TimLeft=Left.WAV TimRight=r.tim MonoOpt",
             "TimRight? Frame3D3 TimLeft TimRight", "0|.TIM file name|Left.TIM|r.tim"},
            {"TIMTOWAV", "MonoOpt TimLeft=Other.WAV StereoOpt", "TimRight? TimLeft", "1|Other.WAV"},
            {"TIMTOWAV", "MonoOpt velmtim wavtim", "MonoOpt* Frame3D4?", "1|1"},
        });
    }

    void keyboard()
    {
        // Three Tab cycles from the title button, between them clicks and arrow keys that end
        // in the starting mode: whatever had the focus, each cycle is the designed one.
        const QString front = "Command3D2 Command3D3 Wav CommWav ",
                      back = " wavtim SSCommand1 Command3D1";
        const struct
        {
            const char *keyword;
            QString cycle;
            const char *between;
        } rows[] = {
            {"WAVTOTIM",
             front + "ExpSPL TimLeft CommLeft TimRight CommRight StereoOpt IRmode" + back,
             "MonoOpt Right Scopemode Left timwav Up"},
            {"TIMTOWAV", front + "TimLeft CommLeft TimRight CommRight StereoOpt" + back,
             "MonoOpt StereoOpt velmtim Up"},
            {"VELMTOWAV", front + "ExpSPL TimLeft CommLeft" + back,
             "OptBin Left Left Right velmtim Down"},
        };
        for (const auto &r : rows) {
            Window t(r.keyword, true);
            for (int round = 1; round <= 3; ++round) {
                t.act(round > 1 ? QString::fromLatin1(r.between) + " >Command3D1" : ">Command3D1");
                QStringList visited;
                while (visited.size() <= r.cycle.count(u' ')) {
                    t.act("Tab");
                    visited << t.probe("focus");
                }
                ROW_COMPARE(QStringLiteral("%1, cycle %2").arg(r.keyword).arg(round),
                            visited.join(u' '), r.cycle);
            }
        }
        // Arrows move among the shown, enabled options of their own group, running the click
        // handler; Tab from an option that is no Tab stop goes on. Enter presses the focused
        // button, in a box none.
        const char *arrows = "focus modes Opt44* Scopemode* StereoOpt* TimRight?";
        Window::run(
            {
                {"VELMTOWAV", "Backtab Backtab Left Left", arrows, "velmtim|00010|1|0|0|0"},
                {"WAVTOTIM", "Backtab Backtab Backtab Right Right Right", arrows,
                 "Scopemode|01000|1|1|1|1"},
                {"TIMTOWAV", "MonoOpt Up", arrows, "StereoOpt|10000|1|0|1|1"},
                {"VELMTOTIM", "Opt44 Right Right Tab", arrows, "wavtim|00010|1|0|0|0"},
                {"VELMTOWAV", ">Command3D1 Return", "modes counts", "00010|0 0 0 0 0"},
                {"WAVTOTIM", ">Command3D2 Enter", "modes counts", "01000|1 0 0 0 0"},
                {"WAVTOTIM", ">ExpSPL Return", "modes counts", "01000|0 0 0 0 0"},
            },
            true);
        // A mouse click selects the whole text and does not undo it at once.
        Window t("WAVTOTIM", true);
        QTest::mouseClick(t.get("ExpSPL"), Qt::LeftButton, {},
                          QPoint(3, t.get("ExpSPL")->height() / 2));
        QTRY_COMPARE(static_cast<QLineEdit *>(t.get("ExpSPL"))->selectedText(),
                     QStringLiteral("100.0"));
    }

    // Every refusal and message of the buttons; a refused conversion leaves the fields as they
    // were.
    void buttons()
    {
        Window::run({
            {"WAVTOTIM", "@symbols=,. @error=none Wav=IN Command3D2",
             "counts message prompt start Wav",
             "2 1 0 0 0|48 Warning - incompatible settings!|none|1 /home/ana/brenvik rundll32.exe "
             "shell32.dll,Control_RunDLL intl.cpl|IN"},
            {"TIMTOWAV", "StereoOpt Wav=a TimLeft=b Command3D2", "counts message prompt Wav",
             "1 0 0 0 0|48 File Specification Error|CAUTION! - You Must Specify the name of all "
             "the files!|a"},
            {"WAVTOTIM", "Wav=IN\"x TimLeft=L TimRight=R Command3D2", "counts prompt Wav",
             "1 0 0 0 0|The file name IN\"x cannot be handed to the converter: a file name must "
             "not contain a double quote (\") or a "
             "NUL character, nor end in a backslash (\\). Please correct it.|IN\"x"},
            {"WAVTOTIM", "@folders=/elsewhere MonoOpt Wav=IN TimLeft=L Command3D2",
             "counts message prompt",
             "1 0 0 0 0|48 Conversion Error|The working folder /home/ana/brenvik cannot be used: "
             "it does not exist or cannot be entered. "
             "The converter was not started."},
            {nullptr, "Wav=a TimLeft=b TimRight=c Command3D2", "counts prompt",
             "1 0 0 0 0|No conversion mode is selected."},
            // Started in the working folder, the names completed (the right one though mono).
            {"WAVTOTIM", "@refused=gone MonoOpt Wav=IN TimLeft=L TimRight=R Command3D2",
             "start message prompt Wav TimRight",
             R"(1 /home/ana/brenvik KELDT.EXE "IN.WAV" "L.TIM" "NONE" 100.0 1|48 Refused|gone|IN.WAV|R.TIM)"},
            {"", "@answer=7 Command3D3 @answer=6 Command3D3", "counts message prompt",
             "2 0 0 1 2|52 Warning!|Really do You want to exit ?"},
            {"", "SSCommand1 @error=gone SSCommand1", "counts start message prompt",
             "1 2 0 0 0|1 /home/ana/brenvik open /home/ana/brenvik/Manual/MBrenvik.html|48 "
             "Help|gone"},
        });
    }

    // The working folder by where the copy lies and who may write there ("ro:" marks a folder the
    // user may not write); the dialogs start there and it is the current folder from the start on.
    void workDir_data()
    {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("workDir");
        QTest::newRow("a writable copy keeps its folder") << "/home/ana/brenvik"
                                                          << "/home/ana/work"
                                                          << "/home/ana/brenvik";
        QTest::newRow("the package's copy: the start folder") << "/usr/lib/brenvik"
                                                              << "/home/ana/work"
                                                              << "/home/ana/work";
        QTest::newRow("a copy below /opt") << "/opt/brenvik"
                                           << "/home/ana/work"
                                           << "/home/ana/work";
        QTest::newRow("a copy the user may not write") << "ro:/srv/brenvik"
                                                       << "/home/ana/work"
                                                       << "/home/ana/work";
        QTest::newRow("started in /: the home folder") << "/usr/lib/brenvik"
                                                       << "ro:/"
                                                       << "/home/ana";
    }
    void workDir()
    {
        QFETCH(QString, exe);
        QFETCH(QString, start);
        QFETCH(QString, workDir);
        Window t(nullptr);
        for (QString *folder : {&exe, &start}) {
            if (folder->startsWith("ro:"))
                t.platform.readOnlyFolders << folder->remove(0, 3);
        }
        t.platform.exeFolder = exe;
        QVERIFY(t.platform.setCurrentDirectory(start));
        QVERIFY(t.w->Form_Load());
        QCOMPARE(t.w->workDir + ' ' + t.w->CMDialog1.InitDir + ' ' + t.platform.currentDirectory(),
                 workDir + ' ' + workDir + ' ' + workDir);
    }

    // The same with the real host, whose access check sees the folder's permissions.
    void workDirOfRealCopy_data()
    {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("workDir");
        QTest::newRow("a copy the user may not write: the start folder") << "read-only"
                                                                         << "start"
                                                                         << "start";
        QTest::newRow("neither may be written: the home folder") << "read-only"
                                                                 << "read-only"
                                                                 << "home";
        QTest::newRow("a writable copy keeps its folder") << "copy"
                                                          << "start"
                                                          << "copy";
    }
    void workDirOfRealCopy()
    {
        QFETCH(QString, exe);
        QFETCH(QString, start);
        QFETCH(QString, workDir);
        QTemporaryDir root;
        for (const char *folder : {"read-only", "start", "home", "copy"})
            QVERIFY(QDir(root.path()).mkdir(folder));
        QVERIFY(QFile::setPermissions(root.filePath("read-only"), QFile::ReadOwner | QFile::ExeOwner
                                                                      | QFile::ReadOther
                                                                      | QFile::ExeOther));
        const QString got =
            startUpInChild(root.filePath(exe), root.filePath(start), root.filePath("home"));
        QFile::setPermissions(root.filePath("read-only"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString expected = root.filePath(workDir);
        QCOMPARE(got, expected + '|' + expected + '|' + expected);
    }

    // "Help" away from Windows hands the page beside the program to the desktop's opener (stand-ins
    // on the PATH here). Its failure within the watch, or no opener at all, gives one message.
    void help_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<bool>("manual");
        QTest::addColumn<QString>("message");
        const QString noViewer = "The manual %1 cannot be shown: no program to show it was found. "
                                 "Install a web browser "
                                 "(and xdg-utils), or open the file with one.";
        QTest::newRow("the page opened") << "printf '%s' \"$1\" >\"$0.record\"" << true << "";
        QTest::newRow("the opener fails")
            << "printf '%s' \"$1\" >\"$0.record\"; exit 4" << true << noViewer;
        QTest::newRow("no opener") << "" << true << noViewer;
        QTest::newRow("no manual")
            << "exit 0" << false << "\"%1\" cannot be opened: it does not exist.";
    }
    void help()
    {
        QFETCH(QString, opener);
        QFETCH(bool, manual);
        QFETCH(QString, message);
        QTemporaryDir root;
        const QString program = root.filePath("brenvik"), bin = root.filePath("bin"),
                      page = program + "/Manual/MBrenvik.html";
        QVERIFY(QDir().mkpath(program + "/Manual") && QDir().mkpath(bin));
        if (QFile file(page); manual)
            QVERIFY(file.open(QIODevice::WriteOnly));
        if (QFile script(bin + "/xdg-open"); !opener.isEmpty()) {
            QVERIFY(script.open(QIODevice::WriteOnly)
                    && script.write("#!/bin/sh\n" + opener.toUtf8() + "\n") > 0);
            QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
        }
        const QByteArray path = qgetenv("PATH");
        const QString folder = QDir::currentPath();
        const auto restore = qScopeGuard([&] {
            qputenv("PATH", path);
            QDir::setCurrent(folder);
        });
        qputenv("PATH", QFile::encodeName(bin));
        TestPlatform platform({}, program);
        Brenvik window(platform);
        QVERIFY(window.Form_Load());
        window.SSCommand1_Click();
        if (!opener.isEmpty() && manual)
            QTRY_COMPARE(readAll(bin + "/xdg-open.record"), page);
        QList<QStringList> expected;
        if (!message.isEmpty())
            expected << QStringList{message.arg(page), "48", "Help"};
        if (message.isEmpty())
            QTest::qWait(300); // a failure would have been reported by now
        else
            QTRY_COMPARE(platform.messages, expected);
        QCOMPARE(platform.messages, expected);
    }

    // A filter file name without a folder is one file: the equalizer reads and saves it in the
    // working folder, where the converter is started, not in the folder Brenvik was started in.
    void relativeFilterFile()
    {
        QTemporaryDir root;
        const QString start = root.filePath("start"), work = root.filePath("home"),
                      record = root.filePath("record.jsonl");
        QVERIFY(QDir().mkpath(start) && QDir().mkpath(work));
        const QByteArray three =
                             "31.5 3 63 0 125 0 250 0 500 0 1000 0 2000 0 4000 0 8000 0 16000 0",
                         six = "31.5 6 63 0 125 0 250 0 500 0 1000 0 2000 0 4000 0 8000 0 16000 0";
        for (const auto &[folder, content] : {std::pair(start, three), std::pair(work, six)}) {
            QFile file(folder + "/hall.dat");
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        }
        QVERIFY(QFile(root.filePath("room._01")).open(QIODevice::WriteOnly));
        const QString folder = QDir::currentPath();
        const auto restore = qScopeGuard([&] { QDir::setCurrent(folder); });
        qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));
        Window t(nullptr);
        t.platform.realStart = true;
        t.platform.exeFolder = QCoreApplication::applicationDirPath();
        t.platform.home = work;
        t.platform.readOnlyFolders = {t.platform.exeFolder,
                                      start}; // installed, started where nothing may be written
        QVERIFY(t.platform.setCurrentDirectory(start));
        QVERIFY(t.w->Form_Load());
        QString shown;
        t.platform.dialogResults = {"hall.dat"};
        t.platform.modalScripts = {
            [&](QDialog &eq) { eq.findChild<QLineEdit *>("Textfiltname")->setText("hall.dat"); },
            [&](QDialog &eq) {
                shown = eq.findChild<QLineEdit *>("Text1(0)")->text();
                eq.findChild<QScrollBar *>("VScroll1(1)")->setValue(-2000);
                QTest::mouseClick(eq.findChild<QWidget *>("Command3D2"), Qt::LeftButton);
            }};
        t.act("Label2 Label2 Label2"); // named and closed; off; opened again with it and saved
        t.act("Wav=" + root.filePath("room._01") + " TimLeft=" + root.filePath("out.wav")
              + " Command3D2");
        QByteArray text;
        for (QDeadlineTimer deadline(10000); !deadline.hasExpired() && !text.endsWith('\n');
             QTest::qWait(20))
            text = readAll(record).toUtf8();
        const QJsonObject got = QJsonDocument::fromJson(text).object();
        QCOMPARE(shown + ' ' + t.w->workDir + ' ' + filterFileName, "+6. " + work + " hall.dat");
        const QStringList args = got.value("args").toVariant().toStringList();
        QCOMPARE(got.value("cwd").toString() + ' ' + args.value(args.size() - 1),
                 QDir(work).canonicalPath() + " hall.dat");
        QCOMPARE(readAll(start + "/hall.dat").toUtf8(), three);
        QVERIFY2(readAll(work + "/hall.dat").contains("\r\n 63  10 \r\n"),
                 qPrintable(readAll(work + "/hall.dat")));
    }

    void fileDialogs()
    {
        // The dialog each "Browse..." shows (unscripted, it is cancelled and the field stays); a
        // choice is completed (lower-cased where names ignore case); later dialogs leave workDir.
        const QString wav = "MS RIFF Audio File (*.WAV)|*.WAV ",
                      tim = "MLSSA Imp.Resp. File (*.TIM)|*.TIM ";
        Window::run({
            {"TIMTOWAV", "@choose=R CommRight TimLeft=Room.TIM CommLeft", "dialog TimLeft TimRight",
             "1 " + tim + "Room.TIM |Room.TIM|R.tim"},
            {"VELMTOWAV", "TimLeft=room.tim CommLeft", "dialog TimLeft",
             "2 " + wav + "*.WAV /home/ana/brenvik|room.tim"},
            {"VELMTOTIM", "CommWav", "dialog",
             "1 Velmora files (*._*)|*._* *._* /home/ana/brenvik"},
            {"WAVTOTIM", R"(@case @choose=C:\DATA\take1 CommLeft CommLeft)", "TimLeft dialog",
             R"(c:\data\take1.tim|2 )" + tim + R"(c:\data\take1.tim )"},
        });
    }

    void channelDetection()
    {
        QByteArray wavMono(44, '\0'), bkStereo(2048, '\0');
        wavMono[22] = bkStereo[1604] = bkStereo[1605] = 1;
        QByteArray bkOneZero = bkStereo;
        bkOneZero[1605] = 0;
        const struct
        {
            const char *keyword;
            QByteArray content;
            bool stereo;
        } rows[] = {
            // a pipe is never waited for
            {"WAVTOTIM", wavMono, false},  {"WAVTOTIM", "<missing>", true},
            {"WAVTOTIM", "<pipe>", true},  {"BKTOTIM", bkStereo, true},
            {"BKTOTIM", bkOneZero, false},
        };
        for (const auto &r : rows) {
            QTemporaryDir dir;
            const QString name = dir.filePath(QStringLiteral("Take One.wav"));
            if (r.content == "<pipe>")
                QVERIFY(::mkfifo(QFile::encodeName(name).constData(), 0644) == 0);
            else if (QFile file(name); r.content != "<missing>")
                QVERIFY(file.open(QIODevice::WriteOnly)
                        && file.write(r.content) == r.content.size());
            Window t(r.keyword);
            t.platform.dialogResults = {name};
            t.act(r.stereo ? "MonoOpt CommWav" : "StereoOpt CommWav"); // from the other choice
            ROW_COMPARE(QString::number(&r - rows), t.probe("StereoOpt* TimRight?"),
                        r.stereo ? "1|1" : "0|0");
        }
    }

    void switches()
    {
        Window t("", true);
        t.act("Label4 Label3 Label3 wavtim velmwav"); // the text toggles like the box; the state
                                                      // survives modes
        QCOMPARE(t.probe("Label3 counts message"),
                 checkMark + "|2 0 0 0 0|0 Force Pink Information");
        t.act("Label3"); // a double-click through the window system is one click
        QWidget *text = t.get("Label4");
        QTest::mouseDClick(t.w->windowHandle(), Qt::LeftButton, {},
                           text->mapTo(t.w.get(), text->rect().center()));
        QCOMPARE(t.probe("Label3 counts"), checkMark + "|3 0 0 0 0");
        // Saving in the equalizer turns the switch on with the saved name; off keeps the name for
        // the next opening; closing the converter window unloads the equalizer.
        QTemporaryDir dir;
        const QString file = dir.filePath("saved.DAT");
        QString openedWith;
        bool stillOpen = true;
        t.platform.dialogResults = {file};
        t.platform.modalScripts = {
            [&](QDialog &eq) {
                QTest::mouseClick(eq.findChild<QWidget *>("Command3D2"), Qt::LeftButton);
            },
            [&](QDialog &eq) {
                openedWith = eq.findChild<QLineEdit *>("Textfiltname")->text();
                t.w->close();
                stillOpen = eq.isVisible();
            }};
        t.act("Label1");
        QCOMPARE(t.probe("Label2") + filterFileName, checkMark + file);
        QVERIFY(!t.w->equalizer());
        t.act("Label2");
        QCOMPARE(t.probe("Label2") + filterFileName, file);
        t.act("Label2");
        QCOMPARE(openedWith, file);
        QVERIFY(!stillOpen);
    }

    // Mouse input queued while the equalizer loads (reading its file, or its activation when
    // flat, lets pending events run) reaches no handler of the converter window.
    void inputWhileEqualizerLoads()
    {
        const QList<int> click{QEvent::MouseButtonPress, QEvent::MouseButtonRelease};
        const struct
        {
            bool withFile;
            const char *target;
            QList<int> events;
        } rows[] = {
            {true, "Label2", click},
            {true, "timwav", click},
            {false, "Command3D3", click},
            {true,
             "Label2",
             {QEvent::MouseButtonPress, QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}},
        };
        for (const auto &r : rows) {
            QTemporaryDir dir;
            filterFileName = r.withFile ? dir.filePath("queued.DAT") : QString();
            if (QFile file(filterFileName); r.withFile)
                QVERIFY(file.open(QIODevice::WriteOnly)
                        && file.write(
                               "31.5 1 63 2 125 3 250 4 500 5 1000 6 2000 7 4000 8 8000 9 16000 10")
                               > 0);
            Window t;
            t.platform.deliverPendingEvents = true;
            QWidget *receiver = t.get(r.target);
            const QPointF at = receiver->rect().center();
            for (int type : r.events)
                QCoreApplication::postEvent(
                    receiver, new QMouseEvent(QEvent::Type(type), at, receiver->mapToGlobal(at),
                                              Qt::LeftButton,
                                              type == QEvent::MouseButtonRelease ? Qt::NoButton
                                                                                 : Qt::LeftButton,
                                              Qt::NoModifier));
            t.act("Label2");
            QCoreApplication::processEvents(); // nothing was left to run afterwards
            ROW_COMPARE(r.target,
                        QStringLiteral("%1|%2|%3")
                            .arg(t.probe("Label2 modes counts"))
                            .arg(t.platform.modalShows)
                            .arg(int(t.platform.pendingEventRuns > 0)),
                        (r.withFile ? checkMark : "") + "|00001|0 0 0 0 1|1|1");
        }
    }

    // "OK - Convert!" in every mode with the real detached start: the stand-in converters beside
    // this program record what arrived.
    void convertEndToEnd()
    {
        QTemporaryDir data;
        // Names with blanks and non-ASCII letters travel through the quoting.
        const QString src = data.filePath(QStringLiteral("Säle Messung/hall one")),
                      filter = data.filePath("eq curve.DAT");
        QVERIFY(QDir().mkpath(QFileInfo(src).absolutePath()));
        const QString record = data.filePath(QStringLiteral("record.jsonl"));
        qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));
        // Fields and expected arguments: "@" is the source stem, "%" the output folder, "$" the
        // filter file.
        const struct
        {
            const char *keyword, *clicks, *wav, *left, *right, *spl;
            bool filter;
            const char *program, *args;
        } rows[] = {
            {"TIMTOWAV", "", "%/out.wav", "@.TIM", "@.R.TIM", "", false, "zarvo",
             "%/out.wav|@.TIM|@.R.TIM"},
            {"TIMTOWAV", "MonoOpt", "%/out.wav", "@.TIM", "", "", false, "zarvo",
             "%/out.wav|@.TIM"},
            {"WAVTOTIM", "MonoOpt", "@.wav", "%/out", "", "94.256", false, "keldt",
             "@.wav|%/out.TIM|NONE|94.26|1"},
            {"WAVTOTIM", "StereoOpt Scopemode", "@.wav", "%/o.tim", "%/r", "100", false, "keldt",
             "@.wav|%/o.tim|%/r.TIM|100.0|0"},
            {"BKTOTIM", "MonoOpt", "@.dti", "%/out", "", ".5", false, "tombra",
             "@.dti|%/out.TIM|NONE|.5|1"},
            {"BKTOTIM", "StereoOpt", "@.dti", "%/o", "%/r", "abc", false, "tombra",
             "@.dti|%/o.TIM|%/r.TIM|.0|1"},
            {"VELMTOTIM", "Opt48", "@._01", "%/out", "", "2", true, "pashet",
             "@._01|%/out.TIM|2|48000|White|$"},
            {"VELMTOWAV", "Opt44 Label3", "@._01", "%/out", "", "1", false, "pashet",
             "@._01|%/out.WAV|1|44100|P"},
            {"VELMTOWAV", "OptBin", "@._01", "%/out", "", "3", true, "frelio",
             "@._01|%/out.WAV|3|W|$"},
            {"VELMTOWAV", "", "@._01", "%/out", "", "", false, "pashet", "@._01|%/out.WAV|44100|W"},
        };
        for (const auto &r : rows) {
            QFile::remove(record);
            QTemporaryDir out;
            auto expand = [&](const char *s) {
                return QString::fromLatin1(s)
                    .replace(u'@', src)
                    .replace(u'%', out.path())
                    .replace(u'$', filter);
            };
            Window t(nullptr);
            t.platform.realStart = true;
            t.platform.exeFolder = QCoreApplication::applicationDirPath();
            t.platform.arguments = r.keyword;
            QVERIFY(t.w->Form_Load());
            t.act(r.clicks);
            t.platform.messages.clear(); // force pink's note
            const char *fields[][2] = {
                {"Wav", r.wav}, {"TimLeft", r.left}, {"TimRight", r.right}, {"ExpSPL", r.spl}};
            for (const auto &f : fields)
                static_cast<QLineEdit *>(t.get(f[0]))->setText(expand(f[1]));
            filterFileName = r.filter ? filter : QString();
            static_cast<QLabel *>(t.get("Label2"))->setText(r.filter ? checkMark : QString());
            t.act("Command3D2");

            // The start never waits: the record arrives later, one line per converter started.
            QByteArray text;
            for (QDeadlineTimer deadline(10000); !deadline.hasExpired() && !text.endsWith('\n');
                 QTest::qWait(20))
                if (QFile f(record); f.open(QIODevice::ReadOnly))
                    text = f.readAll();
            const QJsonObject got = QJsonDocument::fromJson(text).object();
            const QStringList seen{QString::number(t.platform.messages.size()),
                                   QString::number(text.count('\n')),
                                   got.value("program").toString(), got.value("cwd").toString()};
            ROW_COMPARE(QStringLiteral("%1 %2").arg(r.keyword, r.clicks),
                        seen + got.value("args").toVariant().toStringList(),
                        QStringList({"0", "1", r.program, QDir(t.w->workDir).canonicalPath()})
                            + expand(r.args).split(u'|'));
        }
    }

private slots:
    void refusedConversions_data();
    void refusedConversions();
    void regionSettingsMissing();
};

// A conversion from Velmora to WAV refused, as the real host tells it: %1 stands for Brenvik's
// folder, %2 for its Windows form (drive z: is "/"), %3 for the Wine prefix. Wine is on the PATH,
// asked for 64-bit prefixes (WINEARCH), and the 64-bit starter lies beside Brenvik, which lies in
// `subfolder` of a folder whose Windows form is 100 characters long.
struct Refusal
{
    QByteArray converter = pe("\x64\x86"); // pashet.exe beside Brenvik; none where null
    bool executable = false;
    QString subfolder = {};
    QString source = QStringLiteral("hall._01");
    enum { NoPrefix, Prefix32, OnlyDriveC } prefix = NoPrefix;
    QString message, title = QStringLiteral("Conversion Error");
};

void TestBrenvik::refusedConversions_data()
{
    QTest::addColumn<Refusal>("r");
    const QString cannotRun = "The program \"pashet.exe\" was found as \"%1/pashet.exe\", but it "
                              "cannot be run: ";
    const QString wineRefuses = "The folder \"%1\" cannot be handed to Wine for the Windows "
                                "program \"pashet.exe\": ";
    QByteArray armLinux = QByteArray("\x7f"
                                     "ELF\x02\x01\x01")
                              .leftJustified(64, '\0');
    armLinux[18] = char(183);
    const QString longName = QString(200, u'n') + "._01";
    QTest::newRow("no converter") << Refusal{
        .converter = {},
        .message = "The program \"pashet.exe\" cannot be found beside Brenvik, in the "
                   "current folder \"%1\" or on the PATH."};
    QTest::newRow("neither executable nor Windows")
        << Refusal{.converter = "text",
                   .message = cannotRun + "the file is neither executable nor a Windows program."};
    QTest::newRow("Linux program for ARM")
        << Refusal{.converter = armLinux,
                   .executable = true,
                   .message = cannotRun
                              + "it is a Linux program for another kind of processor than this "
                                "computer's."};
    QTest::newRow("Windows program cut short") << Refusal{
        .converter = pe("\x64\x86").left(0x82),
        .executable = true,
        .message = cannotRun + "it is a Windows program whose file is cut short or damaged."};
    QTest::newRow("16-bit Windows program")
        << Refusal{.converter = pe("\x4c\x01").replace(0x80, 2, "NE"),
                   .executable = true,
                   .message = cannotRun
                              + "it is a DOS or 16-bit Windows program, which neither "
                                "Linux nor Wine runs here."};
    QTest::newRow("executable that the system cannot load")
        << Refusal{.converter = QByteArray(64, '\x01'),
                   .executable = true,
                   .message = "The program \"pashet.exe\" cannot be started: Exec format error."};
    QTest::newRow("Windows program for ARM")
        << Refusal{.converter = pe("\x64\xaa"),
                   .message = "The program \"pashet.exe\" (%1/pashet.exe) is a Windows program "
                              "for another kind of processor than this computer's, which Wine "
                              "cannot run here."};
    QTest::newRow("32-bit converter, its starter missing") << Refusal{
        .converter = pe("\x4c\x01"),
        .message = "The program \"pashet.exe\" (%1/pashet.exe) is a Windows program, but "
                   "%1/brenvik-winstart32.exe, which starts Windows programs for Brenvik, is "
                   "missing. Install Brenvik again (building it needs the mingw-w64 cross "
                   "compilers)."};
    QTest::newRow("64-bit prefix asked, 32-bit prefix there")
        << Refusal{.prefix = Refusal::Prefix32,
                   .message = "Wine cannot start the Windows program \"pashet.exe\" "
                              "(%1/pashet.exe): WINEARCH is win64, but the Wine prefix \"%3\" is "
                              "32-bit."};
    QTest::newRow("backslash in Brenvik's folder")
        << Refusal{.subfolder = "back\\slash",
                   .message = wineRefuses
                              + "it holds a backslash (\\), which Windows reads as a folder "
                                "separator."};
    QTest::newRow("no drive leads to Brenvik's folder")
        << Refusal{.prefix = Refusal::OnlyDriveC,
                   .message = wineRefuses + "no drive of the Wine prefix leads to it."};
    QTest::newRow("working folder of 300 characters")
        << Refusal{.subfolder = QString(199, u'f'),
                   .message = wineRefuses
                              + "its Windows form is 300 characters long, more than "
                                "the 258 that Wine takes for a current folder."};
    QTest::newRow("source name of 305 characters") << Refusal{
        .source = longName,
        .message = "The file name %1/" + longName
                   + " cannot be handed to the Windows converter pashet.exe: its Windows form "
                     "\"%2\\"
                   + longName
                   + "\" is 305 characters long, more than the 259 that a Windows converter can "
                     "open. Please use a shorter name or folder.",
        .title = "File Specification Error"};
    QTest::newRow("source name outside the code page") << Refusal{
        .source = "東京._01",
        .message = "The file name %1/東京._01 cannot be handed to the Windows converter "
                   "pashet.exe: the converter receives its arguments in code page 1252 (from the "
                   "locale \"C.UTF-8\"), which does not hold \"東京\", so it would see other "
                   "letters and might open another file. Rename the file, or start Brenvik in a "
                   "locale whose code page holds them.",
        .title = "File Specification Error"};
}

void TestBrenvik::refusedConversions()
{
    QFETCH(Refusal, r);
    QTemporaryDir root;
    QVERIFY2(root.path().size() < 90, "the temporary folder's name is too long for this test");
    const QString padded = root.filePath(QString(97 - root.path().size(), u'b'));
    const QString bin = r.subfolder.isEmpty() ? padded : padded + u'/' + r.subfolder;
    const QString winePrefix = root.filePath("prefix");
    const auto put = [](const QString &name, const QByteArray &bytes, bool executable) {
        QFile file(name);
        return QDir().mkpath(QFileInfo(name).path()) && file.open(QIODevice::WriteOnly)
               && file.write(bytes) == bytes.size()
               && (!executable || file.setPermissions(file.permissions() | QFile::ExeOwner));
    };
    QVERIFY(QDir().mkpath(bin) && put(bin + "/brenvik-winstart64.exe", "", false));
    QVERIFY(r.converter.isNull() || put(bin + "/pashet.exe", r.converter, r.executable));
    QVERIFY(put(root.filePath("path/wine"), "#!/bin/sh\n", true));
    if (r.prefix == Refusal::Prefix32)
        QVERIFY(put(winePrefix + "/system.reg", "WINE REGISTRY Version 2\n#arch=win32\n", false));
    if (r.prefix == Refusal::OnlyDriveC)
        QVERIFY(QDir().mkpath(winePrefix + "/dosdevices")
                && QFile::link(winePrefix + "/drive_c", winePrefix + "/dosdevices/c:"));

    const QString folder = QDir::currentPath();
    QList<std::pair<const char *, std::optional<QByteArray>>> saved;
    for (const char *name : {"PATH", "WINEPREFIX", "WINEARCH", "LC_ALL"})
        saved.append(
            {name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
    const auto restore = qScopeGuard([&] {
        for (const auto &[name, value] : saved)
            value ? qputenv(name, *value) : qunsetenv(name);
        QDir::setCurrent(folder);
    });
    qputenv("PATH", QFile::encodeName(root.filePath("path")));
    qputenv("WINEPREFIX", QFile::encodeName(winePrefix));
    qputenv("WINEARCH", "win64");
    qputenv("LC_ALL", "C.UTF-8");
    TestPlatform platform(QStringLiteral("VELMTOWAV"), bin);
    Brenvik window(platform);
    QVERIFY(window.Form_Load());
    window.findChild<QLineEdit *>("Wav")->setText(bin + u'/' + r.source);
    window.findChild<QLineEdit *>("TimLeft")->setText(bin + "/out");
    window.Command3D2_Click();
    const QString windowsBin = "Z:" + QString(bin).replace(u'/', u'\\');
    const QString expected =
        QString(r.message).replace("%1", bin).replace("%2", windowsBin).replace("%3", winePrefix);
    QCOMPARE(platform.messages, QList<QStringList>({{expected, "48", r.title}}));
}

// Yes to changing settings that became incompatible after the start (a grouping symbol "."), where
// the desktop has no region settings to open.
void TestBrenvik::regionSettingsMissing()
{
    struct ChangingHost : TestPlatform
    {
        NumberSymbols symbols;
        NumberSymbols numberSymbols() const override { return symbols; }
        int messageBox(const QString &prompt, int style, const QString &title) override
        {
            TestPlatform::messageBox(prompt, style, title);
            return MsgBox::AnswerYes;
        }
    };
    QTemporaryDir empty;
    const QByteArray path = qgetenv("PATH");
    const QString folder = QDir::currentPath();
    const auto restore = qScopeGuard([&] {
        qputenv("PATH", path);
        QDir::setCurrent(folder);
    });
    qputenv("PATH", QFile::encodeName(empty.path()));
    ChangingHost platform;
    Brenvik window(platform);
    QVERIFY(window.Form_Load());
    platform.symbols.grouping = QStringLiteral(".");
    window.Command3D2_Click();
    const QString title = QStringLiteral("Warning - incompatible settings!");
    const QString none = QStringLiteral(
        "No region settings of the desktop were found. Choose a locale whose decimal "
        "symbol is \".\" and whose grouping symbol is \",\" before starting "
        "Brenvik, for example with LC_NUMERIC=en_US.UTF-8 (or LANG=en_US.UTF-8), "
        "then try again.");
    QCOMPARE(platform.messages,
             QList<QStringList>({{"Your regional settings are not compatible with Velmora. Do You "
                                  "want to change them now?",
                                  "20", title},
                                 {none, "48", title}}));
}

QTEST_MAIN(TestBrenvik)
#include "tst_brenvik.moc"
