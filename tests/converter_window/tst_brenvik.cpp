// SPDX-License-Identifier: MIT
#include "Brenvik.h"
#include "FakePlatform.h"
#include "Module1.h"
#include "RowCheck.h"
#include "StartUp.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

namespace {

// The window under test with its fake host, its controls found by name.
struct Window
{
    FakePlatform platform;
    std::unique_ptr<Brenvik> w;

    explicit Window(const QString &keyword = {}, bool load = true)
    {
        platform.arguments = keyword;
        w = std::make_unique<Brenvik>(platform);
        if (load)
            w->Form_Load();
    }
    template<typename T = QWidget> T *get(const QString &name) const
    {
        T *child = w->findChild<T *>(name);
        if (!child)
            qFatal("no control %s", qPrintable(name));
        return child;
    }
    QLineEdit *edit(const QString &name) const { return get<QLineEdit>(name); }
    QString text(const QString &name) const { return edit(name)->text(); }
    bool checked(const QString &name) const { return get<QRadioButton>(name)->isChecked(); }
    bool shown(const QString &name) const { return !get(name)->isHidden(); }
    QString title(const QString &name) const { return get<QGroupBox>(name)->title(); }
    void click(const QString &name) const { QTest::mouseClick(get(name), Qt::LeftButton); }
    void fill(const QString &wav, const QString &left, const QString &right = {}) const
    {
        edit("Wav")->setText(wav);
        edit("TimLeft")->setText(left);
        edit("TimRight")->setText(right);
    }
    // The five mode Booleans in declared order, as "00001".
    QString modes() const
    {
        QString m;
        for (bool b : {w->modeTimWav, w->modeWavTim, w->modeBkTim, w->modeVelmTim, w->modeVelmWav})
            m += b ? u'1' : u'0';
        return m;
    }
    void showActive() const
    {
        w->show();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    // Space-separated steps: a key name is pressed on the focused control
    // ("Backtab" is Shift+Tab), any other name is a mouse click on that control.
    void act(const QString &steps) const
    {
        static const QHash<QString, Qt::Key> keys = {
            {"Tab", Qt::Key_Tab}, {"Backtab", Qt::Key_Backtab}, {"Up", Qt::Key_Up},
            {"Down", Qt::Key_Down}, {"Left", Qt::Key_Left}, {"Right", Qt::Key_Right},
            {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter}, {"Space", Qt::Key_Space}};
        for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
            if (keys.contains(step))
                QTest::keyClick(QApplication::focusWidget(), keys[step]);
            else
                click(step);
        }
    }
    QString focused() const { return QApplication::focusWidget()->objectName(); }
    // The selected options of all groups, by name.
    QString selected() const
    {
        QStringList names;
        for (const QRadioButton *option : w->findChildren<QRadioButton *>())
            if (option->isChecked())
                names << option->objectName();
        names.sort();
        return names.join(u' ');
    }
};

} // namespace

class TestBrenvik : public QObject
{
    Q_OBJECT

private slots:
    void init() { filterFileName.clear(); }
    void designState();
    void startUp();
    void modeLayout();
    void modeFieldRules();
    void modeOptions();
    void focusOrderAndSelection();
    void exitAndHelp();
    void convertChecks();
    void convertOutcomes();
    void browseDialogs();
    void browseChosenName();
    void channelDetection();
    void forcePinkSwitch();
};

void TestBrenvik::designState()
{
    Window t({}, false);
    QCOMPARE(t.w->windowTitle(), QStringLiteral("Brenvik 2.5"));
    QCOMPARE(t.w->size(), QSize(372, 378));
    QVERIFY(!(t.w->windowFlags() & Qt::WindowMaximizeButtonHint));
    for (const char *name : {"wavtim", "StereoOpt", "IRmode", "Opt44"})
        QVERIFY2(t.checked(name), name);
    QVERIFY(!t.shown("bktim"));
    QCOMPARE(t.text("ExpSPL"), QStringLiteral("100.0"));
    QVERIFY(t.get<QLabel>("Panel3D1")->text().startsWith(QStringLiteral("  Conversion Between")));
    QCOMPARE(t.get("Frame3D6")->geometry(), QRect(16, 128, 245, 37));
    QCOMPARE(t.get("velmwav")->geometry(), QRect(144, 16, 113, 13));
    QCOMPARE(t.modes(), QStringLiteral("00000"));
}

void TestBrenvik::startUp()
{
    // Regional test: only the decimal symbol counts at start-up.
    const struct { const char *decimal, *grouping; bool loads; } symbols[] = {
        {".", ",", true}, {",", ".", false}, {".", "'", true}};
    for (const auto &r : symbols) {
        Window t({}, false);
        t.platform.symbols = {r.decimal, r.grouping};
        ROW_COMPARE(r.decimal, startConverterWindow(*t.w), r.loads ? ExitStatus::Ok : ExitStatus::StartFailed);
        ROW_COMPARE(r.decimal, t.w->isVisible(), r.loads);
        ROW_COMPARE(r.decimal, t.platform.endCalls, r.loads ? 0 : 1);
        ROW_COMPARE(r.decimal, t.platform.messages.size(), r.loads ? 0 : 1);
        if (!r.loads) {
            QCOMPARE(t.platform.messages[0].style, 16);
            QCOMPARE(t.platform.messages[0].title, QStringLiteral("Unrecoverable Error"));
            QCOMPARE(t.modes(), QStringLiteral("00000"));  // no further step ran
        }
    }
    const struct { const char *keyword, *modes, *title; } keywords[] = {
        {"", "00001", "Velmora -> .WAV"}, {"timtowav", "10000", ".TIM ---> .WAV"},
        {"WAVTOTIM", "01000", ".WAV ---> .TIM"}, {"BKTOTIM", "00100", "B&&K ---> .TIM"},
        {"VELMTOTIM", "00010", "Velmora -> .TIM"}, {"TIMTOWAV X", "00001", "Velmora -> .WAV"}};
    for (const auto &r : keywords) {
        Window t(r.keyword);
        ROW_COMPARE(r.keyword, t.modes(), QString::fromLatin1(r.modes));
        ROW_COMPARE(r.keyword, t.get<QPushButton>("Command3D1")->text(), QString::fromLatin1(r.title));
        ROW_COMPARE(r.keyword, t.w->CMDialog1.InitDir, QStringLiteral("/opt/brenvik"));
    }
    Window bk("BKTOTIM");
    QVERIFY(bk.checked("bktim") && !bk.shown("bktim"));
}

void TestBrenvik::modeLayout()
{
    const struct {
        const char *keyword; int wavTop; const char *wavTitle; int timTop; const char *timTitle;
        const char *panel; const char *expSpl; bool channels, stereo, scope, simulation;
    } rows[] = {
        {"TIMTOWAV", 248, ".WAV file name", 168, ".TIM file names", "", "100.0", true, true, false, false},
        {"WAVTOTIM", 168, ".WAV file name", 248, ".TIM file names", "Expected SPL Value (dB) =", "100.0", true, true, true, false},
        {"BKTOTIM", 168, "B&&K 2133 file name", 248, ".TIM file names", "Expected SPL Value (dB) =", "100.0", true, true, true, false},
        {"VELMTOTIM", 168, "._* File name", 248, ".TIM file name", "Microphone Number =", "1", false, false, false, true},
        {"VELMTOWAV", 168, "._* File name", 248, ".WAV File name", "Microphone Number =", "1", false, false, false, true},
    };
    for (const auto &r : rows) {
        Window t(r.keyword);
        const QString row = QString::fromLatin1(r.keyword);
        ROW_COMPARE(row, t.get("Frame3D2")->y(), r.wavTop);
        ROW_COMPARE(row, t.title("Frame3D2"), QString::fromLatin1(r.wavTitle));
        ROW_COMPARE(row, t.get("Frame3D3")->y(), r.timTop);
        ROW_COMPARE(row, t.title("Frame3D3"), QString::fromLatin1(r.timTitle));
        const bool panel = *r.panel;
        ROW_COMPARE(row, t.shown("Panel3D2") && t.shown("ExpSPL"), panel);
        if (panel) {
            ROW_COMPARE(row, t.get<QLabel>("Panel3D2")->text(), QString::fromLatin1(r.panel));
            ROW_COMPARE(row, t.text("ExpSPL"), QString::fromLatin1(r.expSpl));
        }
        ROW_COMPARE(row, t.shown("Frame3D4"), r.channels);
        ROW_COMPARE(row, t.checked("StereoOpt"), r.stereo);
        ROW_COMPARE(row, t.shown("TimRight") && t.shown("CommRight"), r.stereo);
        ROW_COMPARE(row, t.shown("Frame3D5"), r.scope);
        ROW_COMPARE(row, t.shown("Frame3D6") && t.shown("Frame3D7"), r.simulation);
    }
}

void TestBrenvik::modeFieldRules()
{
    const struct { bool ignoreCase; const char *wav, *left, *option, *wavAfter, *leftAfter; } rows[] = {
        {true, "Hall.WAV", "Room.WAV", "wavtim", "hall.wav", "room.tim"},
        {true, "Hall.TIM", "Room.WAV", "timwav", "hall.wav", "room.tim"},
        {true, "Hall._1A", "Room.WAV", "velmtim", "hall._1a", "room.tim"},
        {true, "Hall._1A", "Room.TIM", "velmwav", "hall._1a", "room.wav"},
        {false, "Hall._1A", "Room.WAV", "velmtim", "Hall._1A", "Room.TIM"},
        {false, "Hall._1A", "ROOM.WAV", "velmwav", "Hall._1A", "ROOM.WAV"},  // via Mono's "tim" and back
        {true, "hall._1a", "a.tim", "wavtim", "", "a.tim"},
        {true, "hall.wav", "a.wav", "velmwav", "", "a.wav"},
        {true, "x.wav", "room.txt", "timwav", "x.wav", ""},
    };
    for (const auto &r : rows) {
        Window t("BKTOTIM");  // a mode that adapts nothing
        t.platform.ignoreCase = r.ignoreCase;
        t.fill(r.wav, r.left);
        t.click(r.option);
        ROW_COMPARE(r.option, t.text("Wav"), QString::fromLatin1(r.wavAfter));
        ROW_COMPARE(r.option, t.text("TimLeft"), QString::fromLatin1(r.leftAfter));
    }
    Window bk("BKTOTIM");
    bk.fill("M.DTI", "Room.TXT");
    bk.click("Command3D1");  // outside the title cycle
    QCOMPARE(bk.modes(), QStringLiteral("00100"));
    QCOMPARE(bk.text("TimLeft"), QStringLiteral("Room.TXT"));
}

void TestBrenvik::modeOptions()
{
    Window t;
    t.click("OptBin");
    t.click("velmtim");
    QVERIFY(!t.get("OptBin")->isEnabled() && t.checked("Opt44"));
    t.click("velmwav");
    QVERIFY(t.get("OptBin")->isEnabled() && !t.checked("OptBin"));

    QStringList cycle;
    for (int i = 0; i < 4; ++i) {
        t.click("Command3D1");
        cycle << t.modes();
    }
    QCOMPARE(cycle, QStringList({"00010", "01000", "10000", "00001"}));

    t.w->timwav_Click(0);  // the option losing the selection changes nothing
    t.w->wavtim_Click(0);
    QCOMPARE(t.modes(), QStringLiteral("00001"));
    t.edit("ExpSPL")->setText("7");
    t.click("velmwav");  // the selected mode again: its handler runs again
    QCOMPARE(t.text("ExpSPL"), QStringLiteral("1"));

    Window s("TIMTOWAV");
    s.fill("o.wav", "Left.WAV", "r.tim");
    s.click("MonoOpt");
    QVERIFY(!s.shown("TimRight") && !s.shown("CommRight"));
    QCOMPARE(s.title("Frame3D3"), QStringLiteral(".TIM file name"));
    QCOMPARE(s.text("TimLeft"), QStringLiteral("Left.TIM"));  // Mono adapts the left name
    QCOMPARE(s.text("TimRight"), QStringLiteral("r.tim"));    // hidden, kept
    s.edit("TimLeft")->setText("Other.WAV");
    s.click("StereoOpt");
    QVERIFY(s.shown("TimRight"));
    QCOMPARE(s.title("Frame3D3"), QStringLiteral(".TIM file names"));
    QCOMPARE(s.text("TimLeft"), QStringLiteral("Other.WAV"));
    s.click("velmtim");
    s.click("wavtim");  // Mono stays, and can be changed there
    QVERIFY(s.checked("MonoOpt") && s.shown("Frame3D4"));
}

void TestBrenvik::focusOrderAndSelection()
{
    // Three Tab cycles from the title button; between them clicks and arrow keys that
    // end in the starting mode. Whatever had the focus, each cycle is the designed one.
    const QString front = "Command3D2 Command3D3 Wav CommWav ExpSPL TimLeft CommLeft ";
    const struct { const char *keyword; QString cycle; const char *between; } rows[] = {
        {"WAVTOTIM", front + "TimRight CommRight StereoOpt IRmode wavtim SSCommand1 Command3D1",
         "MonoOpt Right Scopemode Left timwav Up"},
        {"BKTOTIM", front + "TimRight CommRight StereoOpt IRmode wavtim SSCommand1 Command3D1",
         "MonoOpt Left Scopemode Right"},
        {"TIMTOWAV", "Command3D2 Command3D3 Wav CommWav TimLeft CommLeft TimRight CommRight StereoOpt "
                     "wavtim SSCommand1 Command3D1", "MonoOpt StereoOpt velmtim Up"},
        {"VELMTOTIM", front + "wavtim SSCommand1 Command3D1", "Opt48 Right velmwav Up"},
        {"VELMTOWAV", front + "wavtim SSCommand1 Command3D1", "OptBin Left Left Right velmtim Down"},
    };
    for (const auto &r : rows) {
        Window t(r.keyword);
        t.showActive();
        const QString modes = t.modes();
        for (int round = 1; round <= 3; ++round) {
            if (round > 1)
                t.act(QString::fromLatin1(r.between));
            ROW_COMPARE(r.keyword, t.modes(), modes);
            t.get("Command3D1")->setFocus(Qt::OtherFocusReason);
            QStringList visited;
            for (qsizetype i = 0; i < r.cycle.count(u' ') + 1; ++i) {
                t.act("Tab");
                visited << t.focused();
            }
            ROW_COMPARE(QStringLiteral("%1, cycle %2").arg(r.keyword).arg(round), visited.join(u' '), r.cycle);
        }
    }

    // Arrow keys select among the shown, enabled options of their own group only,
    // running the handler a click runs, also from a designed Tab stop left unselected.
    const struct { const char *keyword, *steps, *focus, *modes, *selected; } arrows[] = {
        {"VELMTOWAV", "Backtab Backtab Left Left", "velmtim", "00010", "IRmode MonoOpt Opt44 velmtim"},
        {"WAVTOTIM", "Backtab Backtab Down Down", "velmtim", "00010", "IRmode MonoOpt Opt44 velmtim"},
        {"BKTOTIM", "Backtab Backtab Up", "velmwav", "00001", "IRmode MonoOpt Opt44 velmwav"},
        {"WAVTOTIM", "Backtab Backtab Backtab Right Right Right", "Scopemode", "01000", "Opt44 Scopemode StereoOpt wavtim"},
        {"TIMTOWAV", "MonoOpt Up", "StereoOpt", "10000", "IRmode Opt44 StereoOpt timwav"},
        {"VELMTOTIM", "Opt44 Right Right Tab", "wavtim", "00010", "IRmode MonoOpt Opt44 velmtim"},
        // Tab from an option that is no Tab stop goes on to the next Tab index.
        {"WAVTOTIM", "Backtab Backtab Backtab Backtab Right Tab Tab", "IRmode", "01000", "IRmode MonoOpt Opt44 wavtim"},
    };
    for (const auto &r : arrows) {
        Window t(r.keyword);
        t.showActive();
        t.act(QString::fromLatin1(r.steps));
        const QString row = QStringLiteral("%1: %2").arg(r.keyword, r.steps);
        ROW_COMPARE(row, t.focused() + " " + t.modes() + " " + t.selected(),
                    QStringLiteral("%1 %2 %3").arg(r.focus, r.modes, r.selected));
        ROW_COMPARE(row, t.shown("TimRight"), t.checked("StereoOpt"));
    }

    // Enter and Space press the focused button; Enter in a box presses none.
    const struct { const char *keyword, *focus, *key, *after; } buttons[] = {
        {"VELMTOWAV", "Command3D1", "Return", "00010 0 0 0"},
        {"WAVTOTIM", "Command3D2", "Enter", "01000 1 0 0"},
        {"WAVTOTIM", "Command3D3", "Return", "01000 1 0 0"},
        {"WAVTOTIM", "SSCommand1", "Return", "01000 0 1 0"},
        {"WAVTOTIM", "CommWav", "Return", "01000 0 0 1"},
        {"WAVTOTIM", "CommLeft", "Space", "01000 0 0 1"},
        {"WAVTOTIM", "ExpSPL", "Return", "01000 0 0 0"},
    };
    for (const auto &r : buttons) {
        Window t(r.keyword);
        t.showActive();
        t.get(r.focus)->setFocus(Qt::TabFocusReason);
        t.act(QString::fromLatin1(r.key));
        ROW_COMPARE(QStringLiteral("%1 %2").arg(r.focus, r.key),
                    QStringLiteral("%1 %2 %3 %4").arg(t.modes()).arg(t.platform.messages.size())
                        .arg(t.platform.starts.size()).arg(t.platform.dialogs.size()),
                    QString::fromLatin1(r.after));
    }

    // A mouse click selects the whole text and does not undo it at once.
    Window t("WAVTOTIM");
    t.showActive();
    QLineEdit *spl = t.edit("ExpSPL");
    QTest::mouseClick(spl, Qt::LeftButton, {}, QPoint(3, spl->height() / 2));
    QTRY_COMPARE(spl->selectedText(), QStringLiteral("100.0"));
}

void TestBrenvik::exitAndHelp()
{
    Window t({}, false);
    t.platform.exeFolder = "C:\\Program Files\\Conv";
    t.platform.ignoreCase = true;
    t.platform.separator = u'\\';
    t.w->Form_Load();
    t.platform.answers = {MsgBox::AnswerNo, MsgBox::AnswerYes};
    t.click("Command3D3");
    QCOMPARE(t.platform.endCalls, 0);
    t.click("Command3D3");
    QCOMPARE(t.platform.endCalls, 1);
    QCOMPARE(t.platform.beeps, 2);
    QCOMPARE(t.platform.messages[0].prompt, QStringLiteral("Really do You want to exit ?"));
    QCOMPARE(t.platform.messages[0].title, QStringLiteral("Warning!"));
    QCOMPARE(t.platform.messages[0].style, 52);

    t.click("SSCommand1");
    QCOMPARE(t.platform.starts.size(), 1);
    QCOMPARE(t.platform.starts[0].commandLine,
             QStringLiteral("Explorer C:\\PROGRAM FILES\\CONV\\Manual\\MBrenvik.mht"));
    QCOMPARE(t.platform.starts[0].windowStyle, 1);
    t.platform.startError = "The manual is missing.";
    t.click("SSCommand1");
    QCOMPARE(t.platform.messages.last().prompt, t.platform.startError);

    Window linux({}, false);  // a "\" in a folder name stays
    linux.platform.exeFolder = "/opt/a\\b";
    linux.w->Form_Load();
    linux.click("SSCommand1");
    QCOMPARE(linux.platform.starts.value(0).commandLine, QStringLiteral("Explorer /opt/a\\b/Manual/MBrenvik.mht"));
}

void TestBrenvik::convertChecks()
{
    // Regional settings: the question, Yes opens the panel, and the click ends.
    const struct { const char *decimal, *grouping; int answer; } regional[] = {
        {",", ".", MsgBox::AnswerNo}, {",", ".", MsgBox::AnswerYes}, {".", " ", MsgBox::AnswerYes}};
    for (const auto &r : regional) {
        Window t("WAVTOTIM");
        t.platform.symbols = {r.decimal, r.grouping};
        t.platform.answers = {r.answer};
        t.fill("IN", "L", "R");
        t.click("Command3D2");
        ROW_COMPARE(r.grouping, t.platform.messages.size(), 1);
        ROW_COMPARE(r.grouping, t.platform.messages[0].style, 20);
        ROW_COMPARE(r.grouping, t.platform.messages[0].title, QStringLiteral("Warning - incompatible settings!"));
        ROW_COMPARE(r.grouping, t.platform.starts.size(), r.answer == MsgBox::AnswerYes ? 1 : 0);
        if (r.answer == MsgBox::AnswerYes)
            QCOMPARE(t.platform.starts[0].commandLine,
                     QStringLiteral("rundll32.exe shell32.dll,Control_RunDLL intl.cpl"));
        ROW_COMPARE(r.grouping, t.text("Wav"), QStringLiteral("IN"));  // nothing completed
    }

    const struct { const char *keyword; bool stereo; const char *wav, *left, *right; bool refused; } names[] = {
        {"TIMTOWAV", true, "a", "b", "", true}, {"BKTOTIM", false, "a", "b", "", false},
        {"VELMTOWAV", false, "", "b", "", true}, {"VELMTOTIM", false, "a._1", "", "", true},
    };
    for (const auto &r : names) {
        Window t(r.keyword);
        t.click(r.stereo ? "StereoOpt" : "MonoOpt");
        t.fill(r.wav, r.left, r.right);
        t.click("Command3D2");
        const QString row = QStringLiteral("%1 %2|%3|%4").arg(r.keyword, r.wav, r.left, r.right);
        ROW_COMPARE(row, t.platform.starts.size(), r.refused ? 0 : 1);
        if (r.refused) {
            ROW_COMPARE(row, t.platform.messages.value(0).prompt,
                        QStringLiteral("CAUTION! - You Must Specify the name of all the files!"));
            ROW_COMPARE(row, t.platform.messages[0].style, 48);
            ROW_COMPARE(row, t.text("Wav"), QString::fromLatin1(r.wav));
        }
    }

    Window q("WAVTOTIM");
    q.fill("IN\"x", "L", "R");
    q.click("Command3D2");
    QVERIFY(q.platform.starts.isEmpty());
    QVERIFY(q.platform.messages.value(0).prompt.contains(QStringLiteral("name IN\"x cannot")));  // as the field shows it
    QCOMPARE(q.text("Wav"), QStringLiteral("IN\"x"));  // every field as it was
}

void TestBrenvik::convertOutcomes()
{
    Window t("WAVTOTIM");
    t.click("MonoOpt");
    t.fill("IN", "L", "R");
    t.edit("ExpSPL")->setText("100");
    t.platform.existingFolders = {"/elsewhere"};  // workDir cannot be entered
    t.click("Command3D2");
    QVERIFY(t.platform.starts.isEmpty());
    QVERIFY(t.platform.messages.value(0).prompt.contains(t.w->workDir));
    t.platform.existingFolders.clear();
    t.click("Command3D2");
    QCOMPARE(t.platform.starts.value(0).commandLine, QStringLiteral("KELDT.EXE \"IN.WAV\" \"L.TIM\" \"NONE\" 100.0 1"));
    QCOMPARE(t.platform.starts[0].windowStyle, 1);
    QCOMPARE(t.platform.starts[0].currentDirectory, t.w->workDir);
    QCOMPARE(QStringList({t.text("Wav"), t.text("TimLeft"), t.text("TimRight")}),
             QStringList({"IN.WAV", "L.TIM", "R.TIM"}));  // right completed, though mono
    t.platform.startError = "The converter KELDT.EXE cannot be found.";
    t.click("Command3D2");
    QCOMPARE(t.platform.messages.value(1).prompt, t.platform.startError);
    QCOMPARE(t.platform.messages.value(1).style, 48);

    // A Windows converter under Wine gets the names in Windows form, the
    // fields keep the host's; a name that cannot be written so is refused;
    // a converter the host cannot start is reported as the host says.
    Window win("TIMTOWAV");
    win.click("MonoOpt");
    win.fill("/data/out", "rel/l");
    win.platform.converter.wineDrives = QList<WineDrive>{{u'Z', "/"}};
    win.click("Command3D2");
    QCOMPARE(win.platform.converterLookups, QStringList{"ZARVO.EXE"});
    QCOMPARE(win.platform.starts.value(0).commandLine, QStringLiteral(R"(ZARVO.EXE "Z:\data\out.WAV" "rel\l.TIM")"));
    QCOMPARE(win.text("Wav"), QStringLiteral("/data/out.WAV"));
    win.fill("/data/out", "a:b");
    win.click("Command3D2");
    win.platform.converter = {};
    win.platform.converter.error = QStringLiteral("The program \"ZARVO.EXE\" is a Windows program...");
    win.click("Command3D2");
    QCOMPARE(win.platform.starts.size(), 1);
    QCOMPARE(win.platform.messages.size(), 2);
    QCOMPARE(win.platform.messages[0].prompt,
             QStringLiteral("The file name a:b.TIM cannot be handed to the Windows converter ZARVO.EXE: it holds a "
                            "character that Windows does not allow in names (: * ? < > | or a control character). "
                            "Please correct it."));
    QCOMPARE(win.platform.messages[0].title, QStringLiteral("File Specification Error"));
    QCOMPARE(win.platform.messages[1].prompt, win.platform.converter.error);
    QCOMPARE(win.platform.messages[1].title, QStringLiteral("Conversion Error"));
    QCOMPARE(win.platform.messages[1].style, 48);

    Window none({}, false);  // no mode selected: nothing to start
    none.fill("a", "b", "c");
    none.w->Command3D2_Click();
    QVERIFY(none.platform.starts.isEmpty());
    QCOMPARE(none.platform.messages.size(), 1);
}

void TestBrenvik::browseDialogs()
{
    const QString wav = "MS RIFF Audio File (*.WAV)|*.WAV", tim = "MLSSA Imp.Resp. File (*.TIM)|*.TIM";
    const QString bk = "2Ch. Time File (*.DTI)|*.DTI|Ch.A Time File (*.TIA)|*.TIA|Ch.B Time File (*.TIB)|*.TIB";
    const struct { const char *keyword, *button, *field, *text; int action; QString filter; const char *preset; } rows[] = {
        {"TIMTOWAV", "CommLeft", "TimLeft", "Room.TIM", 1, tim, "Room.TIM"},
        {"WAVTOTIM", "CommLeft", "TimLeft", "room.wav", 2, tim, "*.TIM"},
        {"VELMTOWAV", "CommLeft", "TimLeft", "Room.WAV", 2, wav, "Room.WAV"},
        {"VELMTOWAV", "CommLeft", "TimLeft", "room.tim", 2, wav, "*.WAV"},
        {"TIMTOWAV", "CommRight", "TimRight", "R.x", 1, tim, "R.x"},
        {"WAVTOTIM", "CommRight", "TimRight", "", 2, tim, "*.TIM"},
        {"TIMTOWAV", "CommWav", "Wav", "keep.wav", 2, wav, "*.WAV"},
        {"WAVTOTIM", "CommWav", "Wav", "keep.wav", 1, wav, "*.WAV"},
        {"BKTOTIM", "CommWav", "Wav", "", 1, bk, "*.DTI"},
        {"VELMTOTIM", "CommWav", "Wav", "", 1, "Velmora files (*._*)|*._*", "*._*"},
    };
    for (const auto &r : rows) {
        Window t(r.keyword);
        t.edit(r.field)->setText(r.text);
        t.click(r.button);  // the unscripted dialog is cancelled
        const QString row = QStringLiteral("%1 %2").arg(r.keyword, r.button);
        const FakePlatform::Dialog &d = t.platform.dialogs.value(0);
        ROW_COMPARE(row, d.action, r.action);
        ROW_COMPARE(row, d.settings.Filter, r.filter);
        ROW_COMPARE(row, d.settings.FileName, QString::fromLatin1(r.preset));
        ROW_COMPARE(row, d.settings.FilterIndex + d.settings.Flags, 1);
        ROW_COMPARE(row, d.settings.InitDir, t.w->workDir);
        ROW_COMPARE(row, t.text(r.field), QString::fromLatin1(r.text));  // cancelled: unchanged
    }
}

void TestBrenvik::browseChosenName()
{
    const struct { const char *keyword, *button, *field; bool ignoreCase; const char *chosen, *expected; } rows[] = {
        {"WAVTOTIM", "CommLeft", "TimLeft", true, "C:\\DATA\\take1", "c:\\data\\take1.tim"},
        {"VELMTOWAV", "CommLeft", "TimLeft", true, "C:\\DATA\\take1", "c:\\data\\take1.wav"},
        {"WAVTOTIM", "CommLeft", "TimLeft", true, "c:\\my.data\\take1", "c:\\my.data\\take1"},
        {"TIMTOWAV", "CommRight", "TimRight", true, "R", "r.tim"},
        {"WAVTOTIM", "CommLeft", "TimLeft", false, "/Data/Take 1", "/Data/Take 1.tim"},
        {"TIMTOWAV", "CommWav", "Wav", false, "/m/Out", "/m/Out.wav"},
        {"BKTOTIM", "CommWav", "Wav", false, "/m/take", "/m/take.dti"},
        {"VELMTOWAV", "CommWav", "Wav", false, "/m/hall", "/m/hall"},
        {"VELMTOTIM", "CommWav", "Wav", true, "C:\\SÄLE\\HALL._1A", "c:\\säle\\hall._1a"},
    };
    for (const auto &r : rows) {
        Window t(r.keyword);
        t.platform.ignoreCase = r.ignoreCase;
        t.platform.dialogResults = {QString::fromUtf8(r.chosen)};
        t.click(r.button);
        ROW_COMPARE(r.chosen, t.text(r.field), QString::fromUtf8(r.expected));
        ROW_COMPARE(r.chosen, t.w->CMDialog1.InitDir, QString());  // later dialogs leave workDir
    }
}

void TestBrenvik::channelDetection()
{
    QByteArray wavMono(44, '\0'), wavStereo(44, '\0'), wav257(44, '\0'), bkStereo(2048, '\0');
    wavMono[22] = 1;
    wavStereo[22] = 2;
    wav257[22] = wav257[23] = 1;
    bkStereo[1604] = 3;
    bkStereo[1605] = 7;
    QByteArray bkOneZero = bkStereo;
    bkOneZero[1605] = 0;
    const QByteArray missing = "<missing>", folder = "<dir>", pipe = "<pipe>";  // a pipe is never waited for
    const struct { const char *row, *keyword; QByteArray content; bool stereo; } rows[] = {
        {"wav mono", "WAVTOTIM", wavMono, false}, {"wav stereo", "WAVTOTIM", wavStereo, true},
        {"wav 257 channels", "WAVTOTIM", wav257, true}, {"wav 21 bytes", "WAVTOTIM", QByteArray(21, '\1'), true},
        {"wav missing", "WAVTOTIM", missing, true},
        {"wav folder", "WAVTOTIM", folder, true}, {"wav pipe", "WAVTOTIM", pipe, true},
        {"bk pipe", "BKTOTIM", pipe, false}, {"bk stereo", "BKTOTIM", bkStereo, true},
        {"bk one zero", "BKTOTIM", bkOneZero, false}, {"bk short", "BKTOTIM", QByteArray(1605, '\1'), false},
    };
    for (const auto &r : rows) {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("Take One.wav"));
        if (r.content == folder) {
            QDir().mkdir(name);
        } else if (r.content == pipe) {
            QVERIFY(::mkfifo(QFile::encodeName(name).constData(), 0644) == 0);
        } else if (r.content != missing) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(r.content) == r.content.size());
        }
        Window t(r.keyword);
        t.click(r.stereo ? "MonoOpt" : "StereoOpt");  // start from the other choice
        t.platform.dialogResults = {name};
        t.click("CommWav");
        ROW_COMPARE(r.row, t.checked("StereoOpt"), r.stereo);
        ROW_COMPARE(r.row, t.shown("TimRight"), r.stereo);
    }
}

void TestBrenvik::forcePinkSwitch()
{
    Window t;
    t.click("Label4");  // the text toggles like the box
    QCOMPARE(t.get<QLabel>("Label3")->text(), QStringLiteral("\u221A"));
    QCOMPARE(t.platform.messages.size(), 1);
    QCOMPARE(t.platform.messages[0].title, QStringLiteral("Force Pink Information"));
    QCOMPARE(t.platform.messages[0].style, 0);
    QCOMPARE(t.platform.messages[0].prompt.split(u'\r').size(), 5);
    t.click("Label3");
    QCOMPARE(t.get<QLabel>("Label3")->text(), QString());
    QCOMPARE(t.platform.messages.size(), 1);  // off silently
    t.click("Label3");
    t.click("wavtim");
    t.click("velmwav");  // the state survives other modes
    QCOMPARE(t.get<QLabel>("Label3")->text(), QStringLiteral("\u221A"));

    // A double-click through the window system is one click.
    t.click("Label3");
    t.showActive();
    QWidget *text = t.get("Label4");
    QTest::mouseDClick(t.w->windowHandle(), Qt::LeftButton, {}, text->mapTo(t.w.get(), text->rect().center()));
    QCOMPARE(t.get<QLabel>("Label3")->text(), QStringLiteral("\u221A"));
    QCOMPARE(t.platform.messages.size(), 3);
}

QTEST_MAIN(TestBrenvik)
#include "tst_brenvik.moc"
