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
#include <QRadioButton>
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

// The rows name only the fields they expect; the others stay unset.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// What a scenario expects; a field a row leaves out is not compared. Of the window: the mode its
// flags say, the options selected and the controls hidden (as Window lists them), the focus and the
// three name fields. Of the host: how many messages it showed, and the last one's text, style and
// title; the last program started (in the working folder); the program's ends and beeps; the last
// file dialog, open or save, with its filter, preset name and start folder.
struct Expected
{
    std::optional<QString> mode;
    std::optional<QStringList> selected;
    std::optional<QStringList> hidden;
    std::optional<QString> focus;
    std::optional<QStringList> fileNames;
    std::optional<int> messages;
    std::optional<QString> prompt;
    std::optional<int> style;
    std::optional<QString> title;
    std::optional<QString> started;
    std::optional<int> ends;
    std::optional<int> beeps;
    std::optional<int> dialog;
    std::optional<QString> filter;
    std::optional<QString> preset;
    std::optional<QString> folder;
};

Q_DECLARE_METATYPE(Expected)

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
    QLineEdit *field(const QString &name) const { return static_cast<QLineEdit *>(get(name)); }
    // A control's text, or a frame's title.
    QString caption(const QString &name) const
    {
        const auto *frame = qobject_cast<QGroupBox *>(get(name));
        return frame ? frame->title() : get(name)->property("text").toString();
    }
    QStringList fileNames() const
    {
        return {caption("Wav"), caption("TimLeft"), caption("TimRight")};
    }
    // The mode the window's flags say, by the name of its option; "" for none.
    QString mode() const
    {
        QStringList set;
        if (w->modeTimWav)
            set << "timwav";
        if (w->modeWavTim)
            set << "wavtim";
        if (w->modeBkTim)
            set << "bktim";
        if (w->modeVelmTim)
            set << "velmtim";
        if (w->modeVelmWav)
            set << "velmwav";
        return set.join(u'+');
    }
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
    // Of the controls that modes and channels show and hide, those hidden.
    QStringList hidden() const
    {
        QStringList names;
        for (const char *name : {"CommRight", "ExpSPL", "Frame3D4", "Frame3D5", "Frame3D6",
                                 "Frame3D7", "Panel3D2", "TimRight"}) {
            if (get(name)->isHidden())
                names << name;
        }
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
    FakePlatform::Start lastStart() const
    {
        return platform.starts.value(platform.starts.size() - 1);
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
            else if (step == "answer: Yes")
                platform.answers.push_back(MsgBox::AnswerYes);
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
                field(step.section(u'=', 0, 0))->setText(step.section(u'=', 1));
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

// The folders the start-up chose, read in a child process; `error` says what went wrong there.
struct StartUpFolders
{
    QString error;
    QString workDir;
    QString dialogStart;
    QString current;
};

// Runs the start-up with the real host in a child process started in `start` with the home folder
// `home`; for root without any capability, so that folder permissions hold as for a user.
StartUpFolders startUpInChild(const QString &exeFolder, const QString &start, const QString &home)
{
    StartUpFolders result;
    int fds[2];
    if (::pipe(fds) != 0) {
        result.error = "no pipe";
        return result;
    }
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
            out = "the start-up failed";
            if (window.Form_Load()) {
                const QStringList folders{window.workDir, window.CMDialog1.InitDir,
                                          QDir::currentPath()};
                out = QFile::encodeName(folders.join(u'\n'));
            }
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
    const QStringList lines = QFile::decodeName(got).split(u'\n');
    if (pid <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || lines.size() != 3) {
        result.error = "the child failed: " + lines.join(u' ');
        return result;
    }
    result.workDir = lines[0];
    result.dialogStart = lines[1];
    result.current = lines[2];
    return result;
}

} // namespace

class TestBrenvik : public QObject
{
    Q_OBJECT

private slots:
    void init() { filterFileName.clear(); }

    // Only the decimal symbol counts at start-up.
    void startUpWithDecimalPoint()
    {
        Window t(noStartUp);
        t.platform.symbols = {".", "'"};
        QCOMPARE(startConverterWindow(*t.w), ExitStatus::Ok);
        QCOMPARE(t.platform.messages.size(), 0);
        QCOMPARE(t.mode(), "velmwav");
        QVERIFY(t.w->isVisible());
    }

    // A decimal comma shows a message and ends the program before the window is shown.
    void startUpWithDecimalComma()
    {
        Window t(noStartUp);
        t.platform.symbols = {",", "'"};
        QCOMPARE(startConverterWindow(*t.w), ExitStatus::StartFailed);
        QString fatal =
            QStringLiteral("Your Regional Settings are not properly set !!! Velmora requires US "
                           "English or UK English locale settings, please change them in Your "
                           "Windows Control Panel.");
#ifndef Q_OS_WIN
        // Where there is no Control Panel, the message also says how to start Brenvik.
        fatal += QStringLiteral(
            " On this system start Brenvik from its desktop menu entry, or from a terminal "
            "with the command \"LC_NUMERIC=C.UTF-8 brenvik\".");
#endif
        QCOMPARE(t.platform.messages.size(), 1);
        QCOMPARE(t.lastMessage().prompt, fatal);
        QCOMPARE(t.lastMessage().style, MsgBox::Critical);
        QCOMPARE(t.lastMessage().title, "Unrecoverable Error");
        QCOMPARE(t.platform.endCalls, 1);
        QCOMPARE(t.mode(), "");
        QVERIFY(!t.w->isVisible());
    }

    // TIM to WAV puts the WAV frame below the TIM frame, the other modes above it; the number field
    // asks for what the mode needs, and the TIM frame's title counts the names.
    void modeLayout()
    {
        const Window timWav("TIMTOWAV");
        QCOMPARE(timWav.get("Frame3D2")->geometry(), QRect(8, 248, 357, 81));
        QCOMPARE(timWav.caption("Frame3D3"), ".TIM file names");
        const Window velmTim("VELMTOTIM");
        QCOMPARE(velmTim.get("Frame3D2")->geometry(), QRect(8, 168, 357, 81));
        QCOMPARE(velmTim.caption("Panel3D2"), "Microphone Number =");
        QCOMPARE(velmTim.caption("ExpSPL"), "1");
        QCOMPARE(velmTim.caption("Frame3D3"), ".TIM file name");
    }

    // Scenarios: a start-up keyword (noStartUp: none), steps, and what they give. A failing
    // comparison names the expected field.
    void scenario_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<Expected>("expected");
        const QStringList none{"", "", ""};

        // Modes and channels: what they show and hide, and keep of the options and names (how a
        // name is adapted is the field rules' part).
        const QStringList timWav{"ExpSPL", "Frame3D5", "Frame3D6", "Frame3D7", "Panel3D2"};
        const QStringList velmora{"CommRight", "Frame3D4", "Frame3D5", "TimRight"};
        QTest::newRow("TIM to WAV: no number, no sampling")
            << "TIMTOWAV" << QStringList()
            << Expected{.selected = QStringList{"IRmode", "Opt44", "StereoOpt", "timwav"},
                        .hidden = timWav};
        QTest::newRow("Velmora to TIM: mono, no channels")
            << "VELMTOTIM" << QStringList()
            << Expected{.selected = QStringList{"IRmode", "MonoOpt", "Opt44", "velmtim"},
                        .hidden = velmora};
        QTest::newRow("each mode adapts the names it keeps")
            << "BKTOTIM"
            << QStringList{"file names ignore case", "Wav=Hall.WAV", "TimLeft=Room.WAV", "wavtim"}
            << Expected{.fileNames = QStringList{"hall.wav", "room.tim", ""}};
        QTest::newRow("the mode button: four clicks round")
            << "" << QStringList{"Command3D1", "Command3D1", "Command3D1", "Command3D1"}
            << Expected{.mode = "velmwav"};
        QTest::newRow("binaural, not in Velmora to TIM, is not chosen again")
            << "" << QStringList{"OptBin", "velmtim", "velmwav"}
            << Expected{.selected = QStringList{"IRmode", "MonoOpt", "Opt44", "velmwav"}};
        QTest::newRow("mono adapts the left name and hides the right one, which keeps its text")
            << "TIMTOWAV" << QStringList{"TimLeft=Left.WAV", "TimRight=r.tim", "MonoOpt"}
            << Expected{.hidden = QStringList{"CommRight"} + timWav + QStringList{"TimRight"},
                        .fileNames = QStringList{"", "Left.TIM", "r.tim"}};
        QTest::newRow("stereo adapts no name")
            << "TIMTOWAV" << QStringList{"MonoOpt", "TimLeft=Other.WAV", "StereoOpt"}
            << Expected{.hidden = timWav, .fileNames = QStringList{"", "Other.WAV", ""}};
        QTest::newRow("mono and the channels come back after Velmora to TIM")
            << "TIMTOWAV" << QStringList{"MonoOpt", "velmtim", "wavtim"}
            << Expected{.selected = QStringList{"IRmode", "MonoOpt", "Opt44", "wavtim"},
                        .hidden = QStringList{"CommRight", "Frame3D6", "Frame3D7", "TimRight"}};

        // Keys: arrows move among the shown, enabled options of their own group, running the
        // click handler; Tab from an option that is no Tab stop goes on. Enter presses the focused
        // button, in a field none.
        QTest::newRow("modes: Left from the first goes round to the last shown one")
            << "VELMTOWAV" << QStringList{"Backtab", "Backtab", "Left", "Left"}
            << Expected{.mode = "velmtim", .focus = "velmtim"};
        QTest::newRow("Right among I.R. and Scope goes round")
            << "WAVTOTIM" << QStringList{"Backtab", "Backtab", "Backtab", "Right", "Right", "Right"}
            << Expected{.selected = QStringList{"Opt44", "Scopemode", "StereoOpt", "wavtim"},
                        .focus = "Scopemode"};
        QTest::newRow("Up from mono")
            << "TIMTOWAV" << QStringList{"MonoOpt", "Up"}
            << Expected{.selected = QStringList{"IRmode", "Opt44", "StereoOpt", "timwav"},
                        .focus = "StereoOpt"};
        QTest::newRow("rates: past the disabled binaural, and Tab goes on")
            << "VELMTOTIM" << QStringList{"Opt44", "Right", "Right", "Tab"}
            << Expected{.selected = QStringList{"IRmode", "MonoOpt", "Opt44", "velmtim"},
                        .focus = "wavtim"};
        QTest::newRow("Return on the mode button")
            << "VELMTOWAV" << QStringList{"focus: Command3D1", "Return"}
            << Expected{.mode = "velmtim", .messages = 0};
        QTest::newRow("Enter on OK - Convert!")
            << "WAVTOTIM" << QStringList{"focus: Command3D2", "Enter"}
            << Expected{.mode = "wavtim", .messages = 1};
        QTest::newRow("Return in a field") << "WAVTOTIM" << QStringList{"focus: ExpSPL", "Return"}
                                           << Expected{.mode = "wavtim", .messages = 0};

        // Buttons: every refusal and message of "OK - Convert!", "Help" and "Exit". Names that
        // are refused stay as they were.
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
        QTest::newRow("stereo, right name empty")
            << "TIMTOWAV" << QStringList{"StereoOpt", "Wav=a", "TimLeft=b", "Command3D2"}
            << Expected{.fileNames = QStringList{"a", "b", ""},
                        .messages = 1,
                        .prompt = "CAUTION! - You Must Specify the name of all the files!",
                        .style = warning,
                        .title = "File Specification Error",
                        .started = ""};
        QTest::newRow("a double quote in a name")
            << "WAVTOTIM" << QStringList{"Wav=IN\"x", "TimLeft=L", "TimRight=R", "Command3D2"}
            << Expected{.fileNames = QStringList{"IN\"x", "L", "R"},
                        .messages = 1,
                        .prompt = "The file name IN\"x cannot be handed to the converter: a file "
                                  "name must not contain a double quote (\") or a NUL "
                                  "character, nor end in a backslash (\\). Please correct it.",
                        .style = warning,
                        .title = "File Specification Error",
                        .started = ""};
        QTest::newRow("the working folder cannot be entered")
            << "WAVTOTIM"
            << QStringList{"working folder missing", "MonoOpt", "Wav=IN", "TimLeft=L", "Command3D2"}
            << Expected{.fileNames = QStringList{"IN.WAV", "L.TIM", ""},
                        .messages = 1,
                        .prompt = "The working folder /home/ana/brenvik cannot be used: it does "
                                  "not exist or cannot be entered. The converter was not started.",
                        .style = warning,
                        .title = "Conversion Error",
                        .started = ""};
        QTest::newRow("no mode selected")
            << noStartUp << QStringList{"Wav=a", "TimLeft=b", "TimRight=c", "Command3D2"}
            << Expected{.fileNames = QStringList{"a", "b", "c"},
                        .messages = 1,
                        .prompt = "No conversion mode is selected.",
                        .style = warning,
                        .title = "Conversion Error",
                        .started = ""};
        QTest::newRow("the converter refused; the names completed, the right one though mono")
            << "WAVTOTIM" << QStringList{"converter refuses: gone",
                                         "MonoOpt",
                                         "Wav=IN",
                                         "TimLeft=L",
                                         "TimRight=R",
                                         "Command3D2"}
            << Expected{.fileNames = QStringList{"IN.WAV", "L.TIM", "R.TIM"},
                        .messages = 1,
                        .prompt = "gone",
                        .style = warning,
                        .title = "Refused",
                        .started = R"(KELDT.EXE "IN.WAV" "L.TIM" "NONE" 100.0 1)"};
        QTest::newRow("the manual cannot be opened")
            << "" << QStringList{"start fails: gone", "SSCommand1"}
            << Expected{.messages = 1,
                        .prompt = "gone",
                        .style = warning,
                        .title = "Help",
                        .started = "open /home/ana/brenvik/Manual/MBrenvik.html"};
        QTest::newRow("Exit beeps and asks; only Yes ends the program")
            << "" << QStringList{"answer: No", "Command3D3", "answer: Yes", "Command3D3"}
            << Expected{.messages = 2,
                        .prompt = "Really do You want to exit ?",
                        .style = MsgBox::YesNoExclamation,
                        .title = "Warning!",
                        .ends = 1,
                        .beeps = 2};

        // File dialogs: the one each "Browse..." shows (unscripted, it is cancelled and the field
        // stays); a choice is completed (lower-cased where names ignore case); once a choice was
        // made, the dialogs no longer start in the working folder.
        const QString tim = "MLSSA Imp.Resp. File (*.TIM)|*.TIM";
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
        if (expected.mode)
            QCOMPARE(t.mode(), *expected.mode);
        if (expected.selected)
            QCOMPARE(t.selected(), *expected.selected);
        if (expected.hidden)
            QCOMPARE(t.hidden(), *expected.hidden);
        if (expected.focus)
            QCOMPARE(t.focus(), *expected.focus);
        if (expected.fileNames)
            QCOMPARE(t.fileNames(), *expected.fileNames);
        if (expected.messages)
            QCOMPARE(t.platform.messages.size(), *expected.messages);
        const FakePlatform::Message message = t.lastMessage();
        if (expected.prompt)
            QCOMPARE(message.prompt, *expected.prompt);
        if (expected.style)
            QCOMPARE(message.style, *expected.style);
        if (expected.title)
            QCOMPARE(message.title, *expected.title);
        const FakePlatform::Start start = t.lastStart();
        if (expected.started)
            QCOMPARE(start.commandLine, *expected.started);
        if (!start.commandLine.isEmpty())
            QCOMPARE(start.currentDirectory, t.w->workDir);
        if (expected.ends)
            QCOMPARE(t.platform.endCalls, *expected.ends);
        if (expected.beeps)
            QCOMPARE(t.platform.beeps, *expected.beeps);
        const auto [dialog, action] = t.platform.dialogs.value(t.platform.dialogs.size() - 1);
        if (expected.dialog)
            QCOMPARE(action, *expected.dialog);
        if (expected.filter)
            QCOMPARE(dialog.Filter, *expected.filter);
        if (expected.preset)
            QCOMPARE(dialog.FileName, *expected.preset);
        if (expected.folder)
            QCOMPARE(dialog.InitDir, *expected.folder);
    }

    // Tab from the mode button visits the designed cycle, again after clicks and arrow keys that
    // moved the focus among options and ended in the starting mode.
    void tabCycle_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QStringList>("between");
        QTest::addColumn<QStringList>("cycle");
        const QStringList front{"Command3D2", "Command3D3", "Wav", "CommWav"};
        const QStringList back{"wavtim", "SSCommand1", "Command3D1"};
        const QStringList wavTim{"ExpSPL",    "TimLeft",   "CommLeft", "TimRight",
                                 "CommRight", "StereoOpt", "IRmode"};
        QTest::newRow("WAV to TIM")
            << "WAVTOTIM" << QStringList{"MonoOpt", "Right", "Scopemode", "Left", "timwav", "Up"}
            << front + wavTim + back;
        QTest::newRow("TIM to WAV")
            << "TIMTOWAV" << QStringList{"MonoOpt", "StereoOpt", "velmtim", "Up"}
            << front + QStringList{"TimLeft", "CommLeft", "TimRight", "CommRight", "StereoOpt"}
                   + back;
        QTest::newRow("Velmora to WAV")
            << "VELMTOWAV" << QStringList{"OptBin", "Left", "Left", "Right", "velmtim", "Down"}
            << front + QStringList{"ExpSPL", "TimLeft", "CommLeft"} + back;
    }
    void tabCycle()
    {
        QFETCH(QString, keyword);
        QFETCH(QStringList, between);
        QFETCH(QStringList, cycle);
        Window t(keyword, true);
        QCOMPARE(t.tabCycle(cycle.size()), cycle);
        t.act(between);
        QCOMPARE(t.tabCycle(cycle.size()), cycle); // after the clicks and keys
    }

    // A mouse click selects the whole text and does not undo it at once.
    void clickSelectsField()
    {
        Window t("WAVTOTIM", true);
        QLineEdit *field = t.field("ExpSPL");
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(3, field->height() / 2));
        QTRY_COMPARE(field->selectedText(), QStringLiteral("100.0"));
    }

    // The working folder by where the copy lies and whether the user may write there; the dialogs
    // start there and it is the current folder from the start on.
    void workDir_data()
    {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<bool>("exeWritable");
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("startWritable");
        QTest::addColumn<QString>("workDir");
        QTest::newRow("a writable copy keeps its folder")
            << "/home/ana/brenvik" << true << "/home/ana/work" << true << "/home/ana/brenvik";
        QTest::newRow("the package's copy: the start folder")
            << "/usr/lib/brenvik" << true << "/home/ana/work" << true << "/home/ana/work";
        QTest::newRow("a copy the user may not write")
            << "/srv/brenvik" << false << "/home/ana/work" << true << "/home/ana/work";
        QTest::newRow("started in /: the home folder")
            << "/usr/lib/brenvik" << true << "/" << false << "/home/ana";
    }
    void workDir()
    {
        QFETCH(QString, exe);
        QFETCH(bool, exeWritable);
        QFETCH(QString, start);
        QFETCH(bool, startWritable);
        QFETCH(QString, workDir);
        Window t(noStartUp);
        if (!exeWritable)
            t.platform.readOnlyFolders << exe;
        if (!startWritable)
            t.platform.readOnlyFolders << start;
        t.platform.exeFolder = exe;
        QVERIFY(t.platform.setCurrentDirectory(start));
        QVERIFY(t.w->Form_Load());
        QCOMPARE(t.w->workDir, workDir);
        QCOMPARE(t.w->CMDialog1.InitDir, workDir);
        QCOMPARE(t.platform.currentDirectory(), workDir);
    }

    // The same with the real host, whose access check sees the folder's permissions.
    void workDirOfRealCopy_data()
    {
        QTest::addColumn<bool>("exeWritable");
        QTest::addColumn<bool>("startWritable");
        QTest::addColumn<QString>("workDir");
        QTest::newRow("a copy the user may not write: the start folder")
            << false << true << "start";
        QTest::newRow("neither may be written: the home folder") << false << false << "home";
        QTest::newRow("a writable copy keeps its folder") << true << true << "copy";
    }
    void workDirOfRealCopy()
    {
        QFETCH(bool, exeWritable);
        QFETCH(bool, startWritable);
        QFETCH(QString, workDir);
        const QString exe = exeWritable ? "copy" : "read-only";
        const QString start = startWritable ? "start" : "read-only";
        QTemporaryDir root;
        for (const char *folder : {"read-only", "start", "home", "copy"})
            QVERIFY(QDir(root.path()).mkdir(folder));
        QVERIFY(QFile::setPermissions(root.filePath("read-only"), QFile::ReadOwner | QFile::ExeOwner
                                                                      | QFile::ReadOther
                                                                      | QFile::ExeOther));
        const StartUpFolders got =
            startUpInChild(root.filePath(exe), root.filePath(start), root.filePath("home"));
        QFile::setPermissions(root.filePath("read-only"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(got.error, QString());
        QCOMPARE(got.workDir, root.filePath(workDir));
        QCOMPARE(got.dialogStart, root.filePath(workDir));
        QCOMPARE(got.current, root.filePath(workDir));
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
        const QString program = root.filePath("brenvik");
        const QString bin = root.filePath("bin");
        const QString page = program + "/Manual/MBrenvik.html";
        QVERIFY(QDir().mkpath(program + "/Manual"));
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
        const QString start = root.filePath("start");
        const QString work = root.filePath("home");
        const QString record = root.filePath("record.jsonl");
        QVERIFY(QDir().mkpath(start));
        QVERIFY(QDir().mkpath(work));
        const QByteArray three =
            "31.5 3 63 0 125 0 250 0 500 0 1000 0 2000 0 4000 0 8000 0 16000 0";
        const QByteArray six = "31.5 6 63 0 125 0 250 0 500 0 1000 0 2000 0 4000 0 8000 0 16000 0";
        for (const auto &[folder, content] : {std::pair(start, three), std::pair(work, six)}) {
            QFile file(folder + "/hall.dat");
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(content), content.size());
        }
        QVERIFY(QFile(root.filePath("room._01")).open(QIODevice::WriteOnly));
        const QString folder = QDir::currentPath();
        const auto restore = qScopeGuard([&] { QDir::setCurrent(folder); });
        qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));
        Window t(noStartUp);
        t.platform.realStart = true;
        t.platform.exeFolder = QCoreApplication::applicationDirPath();
        t.platform.home = work;
        // Installed, and started where nothing may be written.
        t.platform.readOnlyFolders = {t.platform.exeFolder, start};
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
        // Named and closed; switched off; opened again with it and saved.
        t.act({"Label2", "Label2", "Label2"});
        t.act({"Wav=" + root.filePath("room._01"), "TimLeft=" + root.filePath("out.wav"),
               "Command3D2"});
        QByteArray text;
        for (QDeadlineTimer deadline(10000); !deadline.hasExpired() && !text.endsWith('\n');
             QTest::qWait(20))
            text = readAll(record).toUtf8();
        QCOMPARE(t.w->workDir, work);
        QCOMPARE(filterFileName, "hall.dat");
        QCOMPARE(shown, "+6."); // the working folder's file was read
        const QJsonObject got = QJsonDocument::fromJson(text).object();
        const QStringList args = got.value("args").toVariant().toStringList();
        QCOMPARE(got.value("cwd").toString(), QDir(work).canonicalPath());
        QCOMPARE(args.value(args.size() - 1), "hall.dat");
        QCOMPARE(readAll(start + "/hall.dat").toUtf8(), three);
        QVERIFY2(readAll(work + "/hall.dat").contains("\r\n 63  10 \r\n"),
                 qPrintable(readAll(work + "/hall.dat")));
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
        QTest::newRow("a missing WAV file: stereo")
            << "WAVTOTIM" << QByteArray("<missing>") << true;
        QTest::newRow("a pipe is never waited for") << "WAVTOTIM" << QByteArray("<pipe>") << true;
        QTest::newRow("B&K, both channel bytes set") << "BKTOTIM" << bkStereo << true;
        QTest::newRow("B&K, one of them zero") << "BKTOTIM" << bkOneZero << false;
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
        if (QFile file(name); content != "<missing>" && content != "<pipe>") {
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(content), content.size());
        }
        Window t(keyword);
        t.platform.dialogResults = {name};
        t.act({stereo ? "MonoOpt" : "StereoOpt", "CommWav"}); // from the other choice
        QCOMPARE(t.selected().contains("StereoOpt"), stereo);
        QCOMPARE(t.hidden().contains("TimRight"), !stereo);
    }

    void switches()
    {
        Window t("", true);
        // The text toggles like the box; the state survives modes.
        t.act({"Label4", "Label3", "Label3", "wavtim", "velmwav"});
        QCOMPARE(t.caption("Label3"), checkMark);
        QCOMPARE(t.platform.messages.size(), 2);
        QCOMPARE(t.lastMessage().style, MsgBox::OkOnly);
        QCOMPARE(t.lastMessage().title, "Force Pink Information");
        t.act({"Label3"});
        // A double-click through the window system is one click.
        QWidget *text = t.get("Label4");
        QTest::mouseDClick(t.w->windowHandle(), Qt::LeftButton, {},
                           text->mapTo(t.w.get(), text->rect().center()));
        QCOMPARE(t.caption("Label3"), checkMark);
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
        QCOMPARE(t.caption("Label2"), checkMark);
        QCOMPARE(filterFileName, file);
        QVERIFY(!t.w->equalizer());
        t.act({"Label2"});
        QCOMPARE(t.caption("Label2"), "");
        QCOMPARE(filterFileName, file);
        t.act({"Label2"});
        QCOMPARE(openedWith, file);
        QVERIFY(!stillOpen);
    }

    // Mouse input queued while the equalizer loads (reading its file, or its activation when
    // flat, lets pending events run) reaches no handler of the converter window.
    void inputWhileEqualizerLoads_data()
    {
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<QString>("target");
        QTest::newRow("another mode, while the filter file is read") << true << "timwav";
        QTest::newRow("Exit, while a flat curve is shown") << false << "Command3D3";
    }
    void inputWhileEqualizerLoads()
    {
        QFETCH(bool, withFile);
        QFETCH(QString, target);
        QTemporaryDir dir;
        filterFileName = withFile ? dir.filePath("queued.DAT") : QString();
        if (QFile file(filterFileName); withFile) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.write("31.5 1 63 2 125 3 250 4 500 5 1000 6 2000 7 4000 8 8000 9 16000 10")
                    > 0);
        }
        Window t;
        t.platform.deliverPendingEvents = true;
        QWidget *receiver = t.get(target);
        const QPointF at = receiver->rect().center();
        const QPointF global = receiver->mapToGlobal(at);
        QCoreApplication::postEvent(receiver, new QMouseEvent(QEvent::MouseButtonPress, at, global,
                                                              Qt::LeftButton, Qt::LeftButton,
                                                              Qt::NoModifier));
        QCoreApplication::postEvent(receiver,
                                    new QMouseEvent(QEvent::MouseButtonRelease, at, global,
                                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
        t.act({"Label2"});
        QCoreApplication::processEvents(); // nothing was left to run afterwards
        QCOMPARE(t.caption("Label2"), withFile ? checkMark : "");
        QCOMPARE(t.mode(), "velmwav");
        QCOMPARE(t.platform.messages.size(), 0);
        QCOMPARE(t.platform.beeps, 1); // the equalizer's, once
        QCOMPARE(t.platform.modalShows, 1);
        QVERIFY(t.platform.pendingEventRuns > 0);
    }

    // "OK - Convert!" in every mode with the real detached start: the stand-in converters beside
    // this program record what arrived. Names with blanks and non-ASCII letters travel through the
    // quoting: "{src}" stands for the source's name without ending, "{out}" for the output folder,
    // "{filter}" for the filter file.
    void convertEndToEnd_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("filter");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("TIM to WAV, stereo")
            << "TIMTOWAV"
            << QStringList{"Wav={out}/out.wav", "TimLeft={src}.TIM", "TimRight={src}.R.TIM"}
            << false << "zarvo" << QStringList{"{out}/out.wav", "{src}.TIM", "{src}.R.TIM"};
        QTest::newRow("WAV to TIM, mono, the level rounded")
            << "WAVTOTIM"
            << QStringList{"MonoOpt", "Wav={src}.wav", "TimLeft={out}/out", "ExpSPL=94.256"}
            << false << "keldt" << QStringList{"{src}.wav", "{out}/out.TIM", "NONE", "94.26", "1"};
        QTest::newRow("WAV to TIM, stereo, scope")
            << "WAVTOTIM" << QStringList{"StereoOpt",           "Scopemode",        "Wav={src}.wav",
                                         "TimLeft={out}/o.tim", "TimRight={out}/r", "ExpSPL=100"}
            << false << "keldt"
            << QStringList{"{src}.wav", "{out}/o.tim", "{out}/r.TIM", "100.0", "0"};
        QTest::newRow("B&K, mono, a level without integer digits")
            << "BKTOTIM"
            << QStringList{"MonoOpt", "Wav={src}.dti", "TimLeft={out}/out", "ExpSPL=.5"} << false
            << "tombra" << QStringList{"{src}.dti", "{out}/out.TIM", "NONE", ".5", "1"};
        QTest::newRow("B&K, stereo, a level that is no number")
            << "BKTOTIM"
            << QStringList{"StereoOpt", "Wav={src}.dti", "TimLeft={out}/o", "TimRight={out}/r",
                           "ExpSPL=abc"}
            << false << "tombra"
            << QStringList{"{src}.dti", "{out}/o.TIM", "{out}/r.TIM", ".0", "1"};
        QTest::newRow("Velmora to TIM at 48 kHz, filtered")
            << "VELMTOTIM" << QStringList{"Opt48", "Wav={src}._01", "TimLeft={out}/out", "ExpSPL=2"}
            << true << "pashet"
            << QStringList{"{src}._01", "{out}/out.TIM", "2", "48000", "White", "{filter}"};
        QTest::newRow("Velmora to WAV, pink")
            << "VELMTOWAV" << QStringList{"Opt44", "Label3", "Wav={src}._01", "TimLeft={out}/out"}
            << false << "pashet" << QStringList{"{src}._01", "{out}/out.WAV", "1", "44100", "P"};
        QTest::newRow("Velmora to WAV, binaural, filtered")
            << "VELMTOWAV"
            << QStringList{"OptBin", "Wav={src}._01", "TimLeft={out}/out", "ExpSPL=3"} << true
            << "frelio" << QStringList{"{src}._01", "{out}/out.WAV", "3", "W", "{filter}"};
        QTest::newRow("Velmora to WAV, no microphone number")
            << "VELMTOWAV" << QStringList{"Wav={src}._01", "TimLeft={out}/out", "ExpSPL="} << false
            << "pashet" << QStringList{"{src}._01", "{out}/out.WAV", "44100", "W"};
    }
    void convertEndToEnd()
    {
        QFETCH(QString, keyword);
        QFETCH(QStringList, steps);
        QFETCH(bool, filter);
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QTemporaryDir data;
        QTemporaryDir out;
        const QString src = data.filePath(QStringLiteral("Säle Messung/hall one"));
        const QString filterFile = data.filePath("eq curve.DAT");
        const QString record = data.filePath(QStringLiteral("record.jsonl"));
        QVERIFY(QDir().mkpath(QFileInfo(src).absolutePath()));
        qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));
        for (QStringList *texts : {&steps, &args}) {
            texts->replaceInStrings("{src}", src);
            texts->replaceInStrings("{out}", out.path());
            texts->replaceInStrings("{filter}", filterFile);
        }
        Window t(noStartUp);
        t.platform.realStart = true;
        t.platform.exeFolder = QCoreApplication::applicationDirPath();
        t.platform.arguments = keyword;
        QVERIFY(t.w->Form_Load());
        t.act(steps);
        t.platform.messages.clear(); // force pink's note
        filterFileName = filter ? filterFile : QString();
        static_cast<QLabel *>(t.get("Label2"))->setText(filter ? checkMark : QString());
        t.act({"Command3D2"});

        // The start never waits: the record arrives later, one line per converter started.
        QByteArray text;
        for (QDeadlineTimer deadline(10000); !deadline.hasExpired() && !text.endsWith('\n');
             QTest::qWait(20))
            text = readAll(record).toUtf8();
        const QJsonObject got = QJsonDocument::fromJson(text).object();
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
