// SPDX-License-Identifier: MIT
// The converter window through its named controls with a scripted host: what it adds to the pure
// rules. The controls go by their names in BrenvikLayout.cpp: Command3D1 is the mode button,
// Command3D2 "OK - Convert!", Command3D3 "Exit", SSCommand1 "Help", CommWav, CommLeft and CommRight
// the "Browse..." buttons; Label2 and Label3 are the check marks of "Octave Filter" (Label1) and
// "Force Pink" (Label4).

#include "Brenvik.h"
#include "FakePlatform.h"
#include "FilterFileName.h"
#include "Heads.h"
#include "RealHost.h"
#include "StartUp.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMetaEnum>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

// The rows name only the fields they expect; the others stay unset.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// What a scenario expects; a field a row leaves out is not compared. Of the window: the options
// selected (the mode's among them), whether the right name's field is hidden, the focus and the
// three name fields. Of the host: how many messages it showed, and the last one's text, style and
// title; the last program started (in the working folder) and its window's title; the program's
// ends and beeps; the last file dialog, open or save, with its filter, preset name and start
// folder.
struct Expected
{
    std::optional<QStringList> selected;
    std::optional<bool> rightHidden;
    std::optional<QString> focus;
    std::optional<QStringList> fileNames;
    std::optional<int> messages;
    std::optional<QString> prompt;
    std::optional<int> style;
    std::optional<QString> title;
    std::optional<QString> started;
    std::optional<QString> startTitle;
    std::optional<int> ends;
    std::optional<int> beeps;
    std::optional<int> dialog;
    std::optional<QString> filter;
    std::optional<QString> preset;
    std::optional<QString> folder;
};

Q_DECLARE_METATYPE(Expected)

// In a scenario: compares `actual` with the expected field when the row sets it.
#define COMPARE_SET(field, actual)                                                                 \
    do {                                                                                           \
        if (expected.field)                                                                        \
            QCOMPARE(actual, *expected.field);                                                     \
    } while (false)

namespace {

const QString checkMark = QStringLiteral("\u221A");
// The keyword of a window whose start-up is not run at all.
const QString noStartUp = QStringLiteral("(no start-up)");

struct Window
{
    FakePlatform platform;
    std::unique_ptr<Brenvik> w;

    explicit Window(const QString &keyword = QString(), bool active = false)
    {
        platform.arguments = keyword;
        w = std::make_unique<Brenvik>(platform);
        if (keyword != noStartUp)
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
        if (!child)
            qFatal("no control %s", qPrintable(name));
        return child;
    }
    QString text(const QString &name) const { return get(name)->property("text").toString(); }
    QStringList fileNames() const { return {text("Wav"), text("TimLeft"), text("TimRight")}; }
    // The options selected, by name in alphabetical order.
    QStringList selected() const
    {
        QStringList names;
        for (const QRadioButton *option : w->findChildren<QRadioButton *>()) {
            if (option->isChecked())
                names << option->objectName();
        }
        names.sort();
        return names;
    }
    QString focus() const
    {
        const QWidget *focused = QApplication::focusWidget();
        return focused ? focused->objectName() : QString();
    }
    FakePlatform::Message lastMessage() const
    {
        return platform.messages.value(platform.messages.size() - 1);
    }
    // Each step one action: a key's name ("Tab", "Left", "Return") presses it on the focused
    // control, "focus: Name" focuses a control, "Name=text" fills a field, "Name" clicks a control.
    // The others tell the host how to answer what follows.
    void act(const QStringList &steps)
    {
        for (const QString &step : steps) {
            const int key = QMetaEnum::fromType<Qt::Key>().keyToValue(("Key_" + step).toLatin1());
            const QString verb = step.section(": ", 0, 0);
            const QString argument = step.section(": ", 1);
            if (key >= 0)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            else if (verb == "focus")
                get(argument)->setFocus(Qt::TabFocusReason);
            else if (step == "answer: No")
                platform.answers.push_back(MsgBox::AnswerNo);
            else if (verb == "choose")
                platform.dialogResults.push_back(argument);
            else if (verb == "start fails")
                platform.startError = argument;
            else if (verb == "converter refuses")
                platform.converterRefusal = {argument, "Refused"};
            else if (step == "decimal comma")
                platform.symbols = {",", "."}; // grouping with a point
            else if (step == "file names ignore case")
                platform.ignoreCase = true;
            else if (step == "working folder missing")
                platform.existingFolders = {"/elsewhere"};
            else if (step.contains(u'='))
                static_cast<QLineEdit *>(get(step.section(u'=', 0, 0)))
                    ->setText(step.section(u'=', 1));
            else
                QTest::mouseClick(get(step), Qt::LeftButton);
        }
    }
    // Tab pressed `count` times from the mode button: the controls it visits.
    QStringList tabCycle(qsizetype count)
    {
        get("Command3D1")->setFocus(Qt::TabFocusReason);
        QStringList visited;
        while (visited.size() < count) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << focus();
        }
        return visited;
    }
};

// The start-up with the real host in a child process started in `start`, as root without any
// capability, so that folder permissions hold as for a user. The child writes the folders it chose
// to `result`, one a line: the working folder, the dialogs' start folder and the current folder;
// or what went wrong.
QStringList startUpInChild(const QString &exeFolder, const QString &start, const QString &result)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct none[2]{};
        QStringList folders{"cannot drop the capabilities or enter the start folder"};
        if (::syscall(SYS_capset, &header, none) == 0 && QDir::setCurrent(start)) {
            TestPlatform platform({}, exeFolder);
            Brenvik window(platform);
            folders = QStringList{"the start-up failed"};
            if (window.Form_Load())
                folders =
                    QStringList{window.workDir, window.CMDialog1.InitDir, QDir::currentPath()};
        }
        QFile file(result);
        if (file.open(QIODevice::WriteOnly))
            file.write(folders.join(u'\n').toUtf8());
        file.close();
        ::_exit(0);
    }
    ::waitpid(pid, nullptr, 0);
    return readAll(result).split(u'\n');
}

} // namespace

class TestBrenvik : public QObject
{
    Q_OBJECT

private slots:
    void init() { filterFileName.clear(); }

    // Only the decimal symbol counts at start-up: a grouping apostrophe, which a conversion
    // refuses, lets the window show.
    void startUpWithDecimalPoint()
    {
        Window t(noStartUp);
        t.platform.symbols = {".", "'"};
        QCOMPARE(startConverterWindow(*t.w), ExitStatus::Ok);
        QCOMPARE(t.platform.messages.size(), 0);
        QVERIFY(t.w->isVisible());
    }

    // A decimal comma shows a message and ends the program before the window is shown.
    void startUpWithDecimalComma()
    {
        Window t(noStartUp);
        t.platform.symbols = {",", "'"};
        QCOMPARE(startConverterWindow(*t.w), ExitStatus::StartFailed);
        // Where there is no Control Panel, the message also says how to start Brenvik.
        const QString fatal =
            "Your Regional Settings are not properly set !!! Velmora requires US English or UK "
            "English locale settings, please change them in Your Windows Control Panel. On this "
            "system start Brenvik from its desktop menu entry, or from a terminal with the command "
            "\"LC_NUMERIC=C.UTF-8 brenvik\".";
        QCOMPARE(t.platform.messages.size(), 1);
        QCOMPARE(t.lastMessage().prompt, fatal);
        QCOMPARE(t.lastMessage().style, MsgBox::Critical);
        QCOMPARE(t.lastMessage().title, "Unrecoverable Error");
        QCOMPARE(t.platform.endCalls, 1);
        QVERIFY(!t.w->isVisible());
    }

    // TIM to WAV puts the WAV frame below the TIM frame, the other modes above it.
    void frameOrder()
    {
        Window t("TIMTOWAV");
        QVERIFY(t.get("Frame3D2")->y() > t.get("Frame3D3")->y());
        t.act({"wavtim"});
        QVERIFY(t.get("Frame3D2")->y() < t.get("Frame3D3")->y());
    }

    // Scenarios: a start-up keyword (noStartUp: none), steps, and what they give. A failing
    // comparison names the expected field.
    void scenario_data()
    {
        const QString tim = "MLSSA Imp.Resp. File (*.TIM)|*.TIM";
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<Expected>("expected");

        // Modes and channels: what they keep and bring back of the options and names (how a name
        // is adapted is the field rules' part).
        QTest::newRow("the mode button: four clicks round")
            << "" << QStringList{"Command3D1", "Command3D1", "Command3D1", "Command3D1"}
            << Expected{.selected = QStringList{"IRmode", "MonoOpt", "Opt44", "velmwav"}};
        QTest::newRow("binaural, not in Velmora to TIM, is not chosen again; a click keeps a mode")
            << "" << QStringList{"OptBin", "velmtim", "velmwav", "velmwav"}
            << Expected{.selected = QStringList{"IRmode", "MonoOpt", "Opt44", "velmwav"}};
        QTest::newRow("mono adapts the left name and hides the right one, which keeps its text")
            << "TIMTOWAV" << QStringList{"TimLeft=Left.WAV", "TimRight=r.tim", "MonoOpt"}
            << Expected{.rightHidden = true, .fileNames = QStringList{"", "Left.TIM", "r.tim"}};

        // Keys: arrows move round among the shown, enabled options of their own group, running
        // the click handler; Tab from an option that is no Tab stop goes on.
        QTest::newRow("rates: past the disabled binaural, and Tab goes on")
            << "VELMTOTIM" << QStringList{"Opt44", "Right", "Right", "Tab"}
            << Expected{.selected = QStringList{"IRmode", "MonoOpt", "Opt44", "velmtim"},
                        .focus = "wavtim"};

        // Buttons, clicked or pressed by Enter or Return: every refusal and message of "OK -
        // Convert!" and "Exit", and the converter started. Names that are refused stay as they
        // were.
        const int warning = MsgBox::Exclamation;
        QTest::newRow("regional settings: the control panel offered, and its failure")
            << "WAVTOTIM"
            << QStringList{"decimal comma", "start fails: none", "Wav=IN", "Command3D2"}
            << Expected{.fileNames = QStringList{"IN", "", ""},
                        .messages = 2,
                        .prompt = "none",
                        .style = warning,
                        .title = "Warning - incompatible settings!",
                        .started = "rundll32.exe shell32.dll,Control_RunDLL intl.cpl"};
        QTest::newRow("Enter on OK - Convert!: stereo wants the right name")
            << "TIMTOWAV" << QStringList{"Wav=a", "TimLeft=b", "focus: Command3D2", "Enter"}
            << Expected{.messages = 1,
                        .prompt = "CAUTION! - You Must Specify the name of all the files!",
                        .style = warning,
                        .title = "File Specification Error"};
        QTest::newRow("a double quote in a name")
            << "WAVTOTIM" << QStringList{"Wav=IN\"x", "TimLeft=L", "TimRight=R", "Command3D2"}
            << Expected{.prompt = "The file name IN\"x cannot be handed to the converter: a file "
                                  "name must not contain a double quote (\") or a NUL "
                                  "character, nor end in a backslash (\\). Please correct it.",
                        .style = warning,
                        .title = "File Specification Error"};
        QTest::newRow("the working folder cannot be entered, mono without a right name")
            << "WAVTOTIM"
            << QStringList{"working folder missing", "MonoOpt", "Wav=IN", "TimLeft=L", "Command3D2"}
            << Expected{.fileNames = QStringList{"IN.WAV", "L.TIM", ""},
                        .prompt = "The working folder /home/ana/brenvik cannot be used: it does "
                                  "not exist or cannot be entered. The converter was not started.",
                        .style = warning,
                        .title = "Conversion Error",
                        .started = ""};
        QTest::newRow("no mode selected")
            << noStartUp << QStringList{"Wav=a", "TimLeft=b", "TimRight=c", "Command3D2"}
            << Expected{.prompt = "No conversion mode is selected.",
                        .style = warning,
                        .title = "Conversion Error"};
        QTest::newRow("the converter refused; the names completed; scope")
            << "WAVTOTIM" << QStringList{"converter refuses: gone",
                                         "Scopemode",
                                         "Wav=IN",
                                         "TimLeft=L",
                                         "TimRight=R",
                                         "Command3D2"}
            << Expected{.fileNames = QStringList{"IN.WAV", "L.TIM", "R.TIM"},
                        .prompt = "gone",
                        .style = warning,
                        .title = "Refused",
                        .started = R"(KELDT.EXE "IN.WAV" "L.TIM" "R.TIM" 100.0 0)"};
        QTest::newRow("TIM to WAV: its window names the left TIM file it reads")
            << "TIMTOWAV" << QStringList{"Wav=o", "TimLeft=/a/L", "TimRight=R", "Command3D2"}
            << Expected{.messages = 0,
                        .started = R"(ZARVO.EXE "o.WAV" "/a/L.TIM" "R.TIM")",
                        .startTitle = "ZARVO.EXE - L.TIM"};
        QTest::newRow("binaural starts its own converter")
            << "VELMTOWAV"
            << QStringList{"OptBin", "Wav=R._01", "TimLeft=O", "ExpSPL=3", "Command3D2"}
            << Expected{.messages = 0,
                        .started = R"(frelio.exe "R._01" "O.WAV" 3 W )",
                        .startTitle = "frelio.exe - R._01"};
        QTest::newRow("Exit, by Return and by a click, beeps and asks; only Yes ends the program")
            << "" << QStringList{"answer: No", "focus: Command3D3", "Return", "Command3D3"}
            << Expected{.messages = 2,
                        .prompt = "Really do You want to exit ?",
                        .style = MsgBox::YesNoExclamation,
                        .title = "Warning!",
                        .ends = 1,
                        .beeps = 2};

        // File dialogs: the one each "Browse..." shows; a choice is completed, and once a choice
        // was made, the dialogs no longer start in the working folder.
        QTest::newRow("TIM to WAV reads TIM files")
            << "TIMTOWAV" << QStringList{"choose: R", "CommRight", "TimLeft=Room.TIM", "CommLeft"}
            << Expected{.fileNames = QStringList{"", "Room.TIM", "R.tim"},
                        .dialog = CommonDialog::OpenDialog,
                        .filter = tim,
                        .preset = "Room.TIM",
                        .folder = ""};
        QTest::newRow("Velmora to WAV writes a WAV file; a cancelled dialog")
            << "VELMTOWAV" << QStringList{"TimLeft=room.tim", "CommLeft"}
            << Expected{.fileNames = QStringList{"", "room.tim", ""},
                        .dialog = CommonDialog::SaveDialog,
                        .filter = "MS RIFF Audio File (*.WAV)|*.WAV",
                        .preset = "*.WAV",
                        .folder = "/home/ana/brenvik"};
        QTest::newRow("Velmora results") << "VELMTOTIM" << QStringList{"CommWav"}
                                         << Expected{.dialog = CommonDialog::OpenDialog,
                                                     .filter = "Velmora files (*._*)|*._*",
                                                     .preset = "*._*",
                                                     .folder = "/home/ana/brenvik"};
        QTest::newRow("names ignore case: the choice lower-cased and offered again")
            << "WAVTOTIM"
            << QStringList{"file names ignore case", R"(choose: C:\DATA\take1)", "CommLeft",
                           "CommLeft"}
            << Expected{.fileNames = QStringList{"", R"(c:\data\take1.tim)", ""},
                        .dialog = CommonDialog::SaveDialog,
                        .filter = tim,
                        .preset = R"(c:\data\take1.tim)",
                        .folder = ""};
    }
    void scenario()
    {
        QFETCH(QString, keyword);
        QFETCH(QStringList, steps);
        QFETCH(Expected, expected);
        Window t(keyword, true);
        t.act(steps);
        COMPARE_SET(selected, t.selected());
        COMPARE_SET(rightHidden, t.get("TimRight")->isHidden());
        COMPARE_SET(focus, t.focus());
        COMPARE_SET(fileNames, t.fileNames());
        COMPARE_SET(messages, t.platform.messages.size());
        COMPARE_SET(prompt, t.lastMessage().prompt);
        COMPARE_SET(style, t.lastMessage().style);
        COMPARE_SET(title, t.lastMessage().title);
        const FakePlatform::Start start = t.platform.starts.value(t.platform.starts.size() - 1);
        COMPARE_SET(started, start.commandLine);
        COMPARE_SET(startTitle, start.title);
        if (!start.commandLine.isEmpty())
            QCOMPARE(start.currentDirectory, t.w->workDir);
        COMPARE_SET(ends, t.platform.endCalls);
        COMPARE_SET(beeps, t.platform.beeps);
        const auto [dialog, action] = t.platform.dialogs.value(t.platform.dialogs.size() - 1);
        COMPARE_SET(dialog, action);
        COMPARE_SET(filter, dialog.Filter);
        COMPARE_SET(preset, dialog.FileName);
        COMPARE_SET(folder, dialog.InitDir);
    }

    // Tab from the mode button visits the designed cycle, again after clicks and arrow keys that
    // moved the focus among options (past the hidden ones) and ended in the starting mode.
    void tabCycle()
    {
        Window t("TIMTOWAV", true);
        const QStringList cycle{"Command3D2", "Command3D3", "Wav",        "CommWav",
                                "TimLeft",    "CommLeft",   "TimRight",   "CommRight",
                                "StereoOpt",  "wavtim",     "SSCommand1", "Command3D1"};
        QCOMPARE(t.tabCycle(cycle.size()), cycle);
        t.act({"MonoOpt", "StereoOpt", "velmtim", "Up"});
        QCOMPARE(t.tabCycle(cycle.size()), cycle);
    }

    // A mouse click selects the whole text and does not undo it at once.
    void clickSelectsField()
    {
        Window t("WAVTOTIM", true);
        auto *field = static_cast<QLineEdit *>(t.get("ExpSPL"));
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(3, field->height() / 2));
        QTRY_COMPARE(field->selectedText(), QStringLiteral("100.0"));
    }

    // With the real host, whose access check sees the folders' permissions: a copy the user may
    // not write works in the folder it was started in; the dialogs start there and it is the
    // current folder from the start on.
    void unwritableCopy()
    {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkdir("read-only"));
        QVERIFY(QDir(root.path()).mkdir("start"));
        QVERIFY(
            QFile::setPermissions(root.filePath("read-only"), QFile::ReadOwner | QFile::ExeOwner));
        const QStringList folders = startUpInChild(
            root.filePath("read-only"), root.filePath("start"), root.filePath("folders"));
        QCOMPARE(folders, QStringList(3, root.filePath("start")));
    }

    // The package's copy, known by its folder, works in the folder it was started in, or in the
    // home folder where that may not be written.
    void packageCopy_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("startWritable");
        QTest::addColumn<QString>("workDir");
        QTest::newRow("started in a folder of the user's")
            << "/home/ana/work" << true << "/home/ana/work";
        QTest::newRow("started in /: the home folder") << "/" << false << "/home/ana";
    }
    void packageCopy()
    {
        QFETCH(QString, start);
        QFETCH(bool, startWritable);
        QFETCH(QString, workDir);
        Window t(noStartUp);
        t.platform.exeFolder = "/usr/lib/brenvik";
        if (!startWritable)
            t.platform.readOnlyFolders << start;
        QVERIFY(t.platform.setCurrentDirectory(start));
        QVERIFY(t.w->Form_Load());
        QCOMPARE(t.w->workDir, workDir);
        QCOMPARE(t.platform.currentDirectory(), workDir);
    }

    // "Help" away from Windows hands the page beside the program to the desktop's opener (stand-ins
    // on the PATH here). Its failure within the watch, or no opener at all, gives one message.
    void help_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<bool>("manual");
        QTest::addColumn<QString>("message");
        const QString noViewer =
            "The manual %1 cannot be shown: no program to show it was found. "
            "Install a web browser (and xdg-utils), or open the file with one.";
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
        const QString bin = root.filePath("bin");
        const QString page = root.filePath("Manual/MBrenvik.html");
        QVERIFY(QDir().mkpath(root.filePath("Manual")));
        QVERIFY(QDir().mkpath(bin));
        if (QFile file(page); manual)
            QVERIFY(file.open(QIODevice::WriteOnly));
        if (QFile script(bin + "/xdg-open"); !opener.isEmpty()) {
            QVERIFY(script.open(QIODevice::WriteOnly));
            QVERIFY(script.write("#!/bin/sh\n" + opener.toUtf8() + "\n") > 0);
            QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
        }
        const QByteArray path = qgetenv("PATH");
        const QString folder = QDir::currentPath();
        const auto restore = qScopeGuard([&] {
            qputenv("PATH", path);
            QDir::setCurrent(folder);
        });
        qputenv("PATH", QFile::encodeName(bin));
        TestPlatform platform({}, root.path());
        Brenvik window(platform);
        QVERIFY(window.Form_Load());
        window.SSCommand1_Click();
        if (!opener.isEmpty() && manual)
            QTRY_COMPARE(readAll(bin + "/xdg-open.record"), page);
        if (message.isEmpty())
            QTest::qWait(300); // a failure would have been reported by now
        QTRY_COMPARE(platform.messages.size(), message.isEmpty() ? 0 : 1);
        const QStringList warning{QString(message).replace("%1", page), "48", "Help"};
        QCOMPARE(platform.messages.value(0), message.isEmpty() ? QStringList() : warning);
    }

    // "Browse..." for the WAV or B&K file chooses the channels the file has.
    void channelDetection_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("stereo");
        QByteArray wavMono(44, '\0');
        wavMono[22] = 1;
        QByteArray bkStereo(2048, '\0');
        bkStereo[1604] = 1;
        bkStereo[1605] = 1;
        QByteArray bkOneZero = bkStereo;
        bkOneZero[1605] = 0;
        QTest::newRow("a mono WAV file") << "WAVTOTIM" << wavMono << false;
        QTest::newRow("a pipe, never waited for: stereo")
            << "WAVTOTIM" << QByteArray("<pipe>") << true;
        QTest::newRow("B&K, both channel bytes set") << "BKTOTIM" << bkStereo << true;
        QTest::newRow("B&K, one of its two channel bytes zero") << "BKTOTIM" << bkOneZero << false;
    }
    void channelDetection()
    {
        QFETCH(QString, keyword);
        QFETCH(QByteArray, content);
        QFETCH(bool, stereo);
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("Take One.wav"));
        if (content == "<pipe>")
            QVERIFY(::mkfifo(QFile::encodeName(name).constData(), 0644) == 0);
        if (QFile file(name); content != "<pipe>") {
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(content), content.size());
        }
        Window t(keyword);
        t.platform.dialogResults = {name};
        t.act({stereo ? "MonoOpt" : "StereoOpt", "CommWav"}); // from the other choice
        QCOMPARE(t.selected().contains("StereoOpt"), stereo);
        QCOMPARE(t.get("TimRight")->isHidden(), !stereo);
    }

    void switches()
    {
        Window t("", true);
        // The text toggles like the box; the state survives modes.
        t.act({"Label4", "Label3", "Label3", "wavtim", "velmwav"});
        QCOMPARE(t.text("Label3"), checkMark);
        QCOMPARE(t.platform.messages.size(), 2);
        QCOMPARE(t.lastMessage().style, MsgBox::OkOnly);
        QCOMPARE(t.lastMessage().title, "Force Pink Information");
        t.act({"Label3"});
        // A double-click through the window system is one click.
        QWidget *text = t.get("Label4");
        QTest::mouseDClick(t.w->windowHandle(), Qt::LeftButton, {},
                           text->mapTo(t.w.get(), text->rect().center()));
        QCOMPARE(t.text("Label3"), checkMark);
        QCOMPARE(t.platform.messages.size(), 3);
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
        t.act({"Label1"});
        QCOMPARE(t.text("Label2"), checkMark);
        QCOMPARE(filterFileName, file);
        QVERIFY(!t.w->equalizer());
        t.act({"Label2"});
        QCOMPARE(t.text("Label2"), "");
        QCOMPARE(filterFileName, file);
        t.act({"Label2"});
        QCOMPARE(openedWith, file);
        QVERIFY(!stillOpen);
    }

    // Mouse input queued while the equalizer loads (its activation lets pending events run)
    // reaches no handler of the converter window: here a click on "Exit".
    void inputWhileEqualizerLoads()
    {
        Window t;
        t.platform.deliverPendingEvents = true;
        QWidget *exit = t.get("Command3D3");
        const QPointF at = exit->rect().center();
        const QPointF global = exit->mapToGlobal(at);
        QCoreApplication::postEvent(exit, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                          Qt::LeftButton, Qt::LeftButton,
                                                          Qt::NoModifier));
        QCoreApplication::postEvent(exit,
                                    new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        t.act({"Label2"});
        QCoreApplication::processEvents(); // nothing was left to run afterwards
        QCOMPARE(t.text("Label2"), "");
        QCOMPARE(t.platform.messages.size(), 0);
        QCOMPARE(t.platform.beeps, 1); // the equalizer's, once
        QCOMPARE(t.platform.modalShows, 1);
        QVERIFY(t.platform.pendingEventRuns > 0);
    }
    // "OK - Convert!" with the real detached start: the stand-in converter beside this program
    // records what arrived, and takes it without a fault. The names, with blanks and non-ASCII
    // letters, travel through the quoting.
    void convertEndToEnd()
    {
        QTemporaryDir data;
        QTemporaryDir out;
        const QString src = data.filePath(QStringLiteral("Säle Messung/hall one._01"));
        const QString filterFile = data.filePath("eq curve.DAT");
        const QString record = data.filePath(QStringLiteral("record.jsonl"));
        QVERIFY(QDir().mkpath(QFileInfo(src).absolutePath()));
        QVERIFY(QFile(src).open(QIODevice::WriteOnly));
        QVERIFY(QFile(filterFile).open(QIODevice::WriteOnly));
        qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));
        const QString program = "pashet";
        const QStringList args{src, out.filePath("out.TIM"), "2", "48000", "Pink", filterFile};
        Window t(noStartUp);
        t.platform.realStart = true;
        t.platform.exeFolder = QCoreApplication::applicationDirPath();
        t.platform.arguments = "VELMTOTIM";
        QVERIFY(t.w->Form_Load());
        t.act({"Opt48", "Label3", "Wav=" + src, "TimLeft=" + out.filePath("out"), "ExpSPL=2"});
        t.platform.messages.clear(); // force pink's note
        filterFileName = filterFile;
        static_cast<QLabel *>(t.get("Label2"))->setText(checkMark);
        t.act({"Command3D2"});

        // The start never waits: the record arrives later, one line per converter started.
        QTRY_VERIFY_WITH_TIMEOUT(readAll(record).endsWith(u'\n'), 10000);
        const QByteArray text = readAll(record).toUtf8();
        const QJsonObject got = QJsonDocument::fromJson(text).object();
        QCOMPARE(got.value("fault").toString(), QString());
        QCOMPARE(t.platform.messages.size(), 0);
        QCOMPARE(text.count('\n'), 1);
        QCOMPARE(got.value("program").toString(), program);
        QCOMPARE(got.value("cwd").toString(), QDir(t.w->workDir).canonicalPath());
        QCOMPARE(got.value("args").toVariant().toStringList(), args);
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
    QVERIFY(QDir().mkpath(bin) && writeFile(bin + "/brenvik-winstart64.exe", "", false));
    QVERIFY(r.converter.isNull() || writeFile(bin + "/pashet.exe", r.converter, r.executable));
    QVERIFY(writeFile(root.filePath("path/wine"), "#!/bin/sh\n", true));
    if (r.prefix == Refusal::Prefix32)
        QVERIFY(
            writeFile(winePrefix + "/system.reg", "WINE REGISTRY Version 2\n#arch=win32\n", false));
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
