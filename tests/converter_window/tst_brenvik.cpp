#include "Brenvik.h"
#include "FakePlatform.h"
#include "Module1.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Field and control look-ups by design name.
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
    template<typename T> T *get(const char *name) const
    {
        T *child = w->findChild<T *>(QLatin1String(name));
        if (!child)
            qFatal("no control %s", name);
        return child;
    }
    QLineEdit *edit(const char *name) const { return get<QLineEdit>(name); }
    QRadioButton *option(const char *name) const { return get<QRadioButton>(name); }
    QGroupBox *frame(const char *name) const { return get<QGroupBox>(name); }
    QString text(const char *name) const { return edit(name)->text(); }
    void click(const char *name) const { QTest::mouseClick(get<QWidget>(name), Qt::LeftButton); }
    // Marks which of the five mode Booleans are set, in declared order.
    QString modes() const
    {
        QString m;
        for (bool b : {w->modeTimWav, w->modeWavTim, w->modeBkTim, w->modeVelmTim, w->modeVelmWav})
            m += b ? u'1' : u'0';
        return m;
    }
};

} // namespace

class TestBrenvik : public QObject
{
    Q_OBJECT

private slots:
    void init() { filterFileName.clear(); }

    void designState();
    void startUpRegionalTest_data();
    void startUpRegionalTest();
    void startUpKeyword_data();
    void startUpKeyword();
    void modeLayout_data();
    void modeLayout();
    void modeFieldRules_data();
    void modeFieldRules();
    void binauralOption();
    void titleButtonCycle();
    void monoStereo();
    void valueZeroChangesNothing();
    void focusOrder();
    void exitButton();
    void helpButton();

    void convertRegionalQuestion_data();
    void convertRegionalQuestion();
    void convertRequiredNames_data();
    void convertRequiredNames();
    void convertStartsInWorkDir();
    void convertRefusesUnsafeName();
    void convertReportsFailures();

    void browseDialogs_data();
    void browseDialogs();
    void browseChosenName_data();
    void browseChosenName();
    void browseCancelAndInitDir();
    void channelDetection_data();
    void channelDetection();
    void focusSelectsText();

    void forcePinkSwitch();
};

void TestBrenvik::designState()
{
    Window t({}, false);
    QCOMPARE(t.w->windowTitle(), QStringLiteral("Brenvik 2.5"));
    QCOMPARE(t.w->size(), QSize(372, 378));
    QVERIFY(!(t.w->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(t.option("wavtim")->isChecked());
    QVERIFY(t.option("StereoOpt")->isChecked());
    QVERIFY(t.option("IRmode")->isChecked());
    QVERIFY(t.option("Opt44")->isChecked());
    QVERIFY(t.option("bktim")->isHidden());
    QCOMPARE(t.text("ExpSPL"), QStringLiteral("100.0"));
    QCOMPARE(t.get<QPushButton>("Command3D1")->text(), QStringLiteral(".WAV ---> .TIM"));
    QVERIFY(t.get<QLabel>("Panel3D1")->text().startsWith(QStringLiteral("  Conversion Between")));
    QCOMPARE(t.get<QLabel>("Label2")->text(), QString());
    QCOMPARE(t.get<QLabel>("Label3")->text(), QString());
    // Geometry in twips / 15, children relative to their frame.
    QCOMPARE(t.frame("Frame3D6")->geometry(), QRect(16, 128, 245, 37));
    QCOMPARE(t.option("velmwav")->geometry(), QRect(144, 16, 113, 13));
    QCOMPARE(t.option("StereoOpt")->parentWidget(), t.frame("Frame3D4"));
    QCOMPARE(t.modes(), QStringLiteral("00000"));
}

void TestBrenvik::startUpRegionalTest_data()
{
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("grouping");
    QTest::addColumn<bool>("loads");

    QTest::newRow("English") << "." << "," << true;
    QTest::newRow("German") << "," << "." << false;
    QTest::newRow("decimal point, other grouping") << "." << "'" << true;
}

void TestBrenvik::startUpRegionalTest()
{
    QFETCH(QString, decimal);
    QFETCH(QString, grouping);
    QFETCH(bool, loads);
    Window t({}, false);
    t.platform.symbols = {decimal, grouping};
    QCOMPARE(t.w->Form_Load(), loads);
    QCOMPARE(t.platform.endCalls, loads ? 0 : 1);
    if (loads) {
        QVERIFY(t.platform.messages.isEmpty());
        return;
    }
    QCOMPARE(t.platform.messages.size(), 1);
    QCOMPARE(t.platform.messages[0].style, 16);
    QCOMPARE(t.platform.messages[0].title, QStringLiteral("Unrecoverable Error"));
    QVERIFY(t.platform.messages[0].prompt.startsWith(
        QStringLiteral("Your Regional Settings are not properly set !!! Velmora requires")));
    QCOMPARE(t.modes(), QStringLiteral("00000"));  // no further step ran
}

void TestBrenvik::startUpKeyword_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("modes");
    QTest::addColumn<QString>("title");

    QTest::newRow("none") << "" << "00001" << "Velmora -> .WAV";
    QTest::newRow("timtowav") << "timtowav" << "10000" << ".TIM ---> .WAV";
    QTest::newRow("WAVTOTIM") << "WAVTOTIM" << "01000" << ".WAV ---> .TIM";
    QTest::newRow("BKTOTIM") << "BKTOTIM" << "00100" << "B&&K ---> .TIM";
    QTest::newRow("VELMTOTIM") << "VELMTOTIM" << "00010" << "Velmora -> .TIM";
    QTest::newRow("unknown") << "TIMTOWAV X" << "00001" << "Velmora -> .WAV";
}

void TestBrenvik::startUpKeyword()
{
    QFETCH(QString, keyword);
    Window t(keyword);
    QTEST(t.modes(), "modes");
    QTEST(t.get<QPushButton>("Command3D1")->text(), "title");
    QCOMPARE(t.w->CMDialog1.InitDir, t.w->workDir);
    QCOMPARE(t.w->workDir, QStringLiteral("/opt/brenvik"));
    if (keyword.toUpper() == u"BKTOTIM") {
        QVERIFY(t.option("bktim")->isChecked());
        QVERIFY(t.option("bktim")->isHidden());
    }
}

void TestBrenvik::modeLayout_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<int>("wavTop");
    QTest::addColumn<QString>("wavCaption");
    QTest::addColumn<int>("timTop");
    QTest::addColumn<QString>("timCaption");
    QTest::addColumn<QString>("panel");  // "" = Panel3D2 and ExpSPL hidden
    QTest::addColumn<QString>("expSpl");
    QTest::addColumn<bool>("channels");
    QTest::addColumn<bool>("stereo");
    QTest::addColumn<bool>("scope");
    QTest::addColumn<bool>("simulation");

    QTest::newRow("tim->wav") << "TIMTOWAV" << 248 << ".WAV file name" << 168 << ".TIM file names"
                              << "" << "100.0" << true << true << false << false;
    QTest::newRow("wav->tim") << "WAVTOTIM" << 168 << ".WAV file name" << 248 << ".TIM file names"
                              << "Expected SPL Value (dB) =" << "100.0" << true << true << true << false;
    QTest::newRow("bk->tim") << "BKTOTIM" << 168 << "B&&K 2133 file name" << 248 << ".TIM file names"
                             << "Expected SPL Value (dB) =" << "100.0" << true << true << true << false;
    QTest::newRow("sim->tim") << "VELMTOTIM" << 168 << "._* File name" << 248 << ".TIM file name"
                              << "Microphone Number =" << "1" << false << false << false << true;
    QTest::newRow("sim->wav") << "VELMTOWAV" << 168 << "._* File name" << 248 << ".WAV File name"
                              << "Microphone Number =" << "1" << false << false << false << true;
}

void TestBrenvik::modeLayout()
{
    QFETCH(QString, keyword);
    QFETCH(QString, panel);
    QFETCH(bool, channels);
    QFETCH(bool, stereo);
    QFETCH(bool, scope);
    QFETCH(bool, simulation);
    Window t(keyword);
    QTEST(t.frame("Frame3D2")->y(), "wavTop");
    QTEST(t.frame("Frame3D2")->title(), "wavCaption");
    QTEST(t.frame("Frame3D3")->y(), "timTop");
    QTEST(t.frame("Frame3D3")->title(), "timCaption");
    QCOMPARE(!t.get<QLabel>("Panel3D2")->isHidden(), !panel.isEmpty());
    QCOMPARE(!t.edit("ExpSPL")->isHidden(), !panel.isEmpty());
    if (!panel.isEmpty()) {
        QCOMPARE(t.get<QLabel>("Panel3D2")->text(), panel);
        QTEST(t.text("ExpSPL"), "expSpl");
    }
    QCOMPARE(!t.frame("Frame3D4")->isHidden(), channels);
    QCOMPARE(t.option("StereoOpt")->isChecked(), stereo);
    QCOMPARE(!t.edit("TimRight")->isHidden(), stereo);
    QCOMPARE(!t.get<QPushButton>("CommRight")->isHidden(), stereo);
    QCOMPARE(!t.frame("Frame3D5")->isHidden(), scope);
    QCOMPARE(!t.frame("Frame3D6")->isHidden(), simulation);
    QCOMPARE(!t.frame("Frame3D7")->isHidden(), simulation);
}

void TestBrenvik::modeFieldRules_data()
{
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QString>("wav");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("wavAfter");
    QTest::addColumn<QString>("leftAfter");

    QTest::newRow("wav->tim") << true << "Hall.WAV" << "Room.WAV" << "wavtim" << "hall.wav" << "room.tim";
    QTest::newRow("tim->wav") << true << "Hall.TIM" << "Room.WAV" << "timwav" << "hall.wav" << "room.tim";
    QTest::newRow("sim->tim") << true << "Hall._1A" << "Room.WAV" << "velmtim" << "hall._1a" << "room.tim";
    QTest::newRow("sim->wav") << true << "Hall._1A" << "Room.TIM" << "velmwav" << "hall._1a" << "room.wav";
    QTest::newRow("case kept where names are case-sensitive")
        << false << "Hall._1A" << "Room.WAV" << "velmtim" << "Hall._1A" << "Room.tim";
    QTest::newRow("result name cleared in wav mode") << true << "hall._1a" << "a.tim" << "wavtim" << "" << "a.tim";
    QTest::newRow("wav cleared in sim mode") << true << "hall.wav" << "a.wav" << "velmwav" << "" << "a.wav";
    QTest::newRow("foreign ending cleared") << true << "x.wav" << "room.txt" << "timwav" << "x.wav" << "";
    QTest::newRow("two letters cleared") << true << "x.wav" << "ab" << "velmwav" << "" << "";
}

void TestBrenvik::modeFieldRules()
{
    QFETCH(bool, ignoreCase);
    QFETCH(QString, wav);
    QFETCH(QString, left);
    QFETCH(QString, option);
    Window t("BKTOTIM");
    t.platform.ignoreCase = ignoreCase;
    t.edit("Wav")->setText(wav);
    t.edit("TimLeft")->setText(left);
    t.click(option.toLatin1());
    QTEST(t.text("Wav"), "wavAfter");
    QTEST(t.text("TimLeft"), "leftAfter");
}

void TestBrenvik::binauralOption()
{
    Window t;  // sim->wav
    t.click("OptBin");
    QVERIFY(t.option("OptBin")->isChecked());
    t.click("velmtim");
    QVERIFY(!t.option("OptBin")->isEnabled());
    QVERIFY(t.option("Opt44")->isChecked());
    t.click("velmwav");
    QVERIFY(t.option("OptBin")->isEnabled());
    QVERIFY(!t.option("OptBin")->isChecked());
    // B&K mode untouched by the title button; a B&K name is left alone.
    Window bk("BKTOTIM");
    bk.edit("TimLeft")->setText("Room.TXT");
    bk.click("Command3D1");
    QCOMPARE(bk.modes(), QStringLiteral("00100"));
    bk.click("wavtim");
    QCOMPARE(bk.text("TimLeft"), QString());
}

void TestBrenvik::titleButtonCycle()
{
    Window t;
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        t.click("Command3D1");
        seen << t.modes();
    }
    QCOMPARE(seen, QStringList({"00010", "01000", "10000", "00001"}));
}

void TestBrenvik::monoStereo()
{
    Window t("TIMTOWAV");
    t.edit("TimLeft")->setText("Left.WAV");
    t.edit("TimRight")->setText("r.tim");
    t.click("MonoOpt");
    QVERIFY(t.edit("TimRight")->isHidden());
    QVERIFY(t.get<QPushButton>("CommRight")->isHidden());
    QCOMPARE(t.frame("Frame3D3")->title(), QStringLiteral(".TIM file name"));
    QCOMPARE(t.text("TimLeft"), QStringLiteral("Left.tim"));  // Mono adapts the left name
    QCOMPARE(t.text("TimRight"), QStringLiteral("r.tim"));    // hidden but kept
    t.edit("TimLeft")->setText("Other.WAV");
    t.click("StereoOpt");
    QVERIFY(!t.edit("TimRight")->isHidden());
    QCOMPARE(t.frame("Frame3D3")->title(), QStringLiteral(".TIM file names"));
    QCOMPARE(t.text("TimLeft"), QStringLiteral("Other.WAV"));  // Stereo adapts nothing

    // A simulation mode leaves Mono selected for the next .WAV -> .TIM.
    t.click("velmtim");
    t.click("wavtim");
    QVERIFY(t.option("MonoOpt")->isChecked());
    QVERIFY(!t.frame("Frame3D4")->isHidden());
}

void TestBrenvik::valueZeroChangesNothing()
{
    Window t;
    t.w->timwav_Click(0);
    t.w->wavtim_Click(0);
    t.w->velmtim_Click(0);
    t.w->bktim_Click(0);
    QCOMPARE(t.modes(), QStringLiteral("00001"));
    QCOMPARE(t.get<QPushButton>("Command3D1")->text(), QStringLiteral("Velmora -> .WAV"));
    // Selecting the current mode again runs its handler again.
    t.edit("ExpSPL")->setText("7");
    t.click("velmwav");
    QCOMPARE(t.text("ExpSPL"), QStringLiteral("1"));
}

void TestBrenvik::focusOrder()
{
    Window t("WAVTOTIM");
    t.w->show();
    QApplication::setActiveWindow(t.w.get());
    QVERIFY(QTest::qWaitForWindowActive(t.w.get()));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command3D1"));
    QStringList visited;
    for (int i = 0; i < 14; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, QStringList({"Command3D2", "Command3D3", "Wav", "CommWav", "ExpSPL",
                                   "TimLeft", "CommLeft", "TimRight", "CommRight", "StereoOpt",
                                   "IRmode", "wavtim", "SSCommand1", "Command3D1"}));
}

void TestBrenvik::exitButton()
{
    Window t;
    t.edit("Wav")->setText("keep._01");
    t.platform.answers = {MsgBox::AnswerNo};
    t.click("Command3D3");
    QCOMPARE(t.platform.beeps, 1);
    QCOMPARE(t.platform.messages.size(), 1);
    QCOMPARE(t.platform.messages[0].prompt, QStringLiteral("Really do You want to exit ?"));
    QCOMPARE(t.platform.messages[0].title, QStringLiteral("Warning!"));
    QCOMPARE(t.platform.messages[0].style, 52);
    QCOMPARE(t.platform.endCalls, 0);
    QCOMPARE(t.text("Wav"), QStringLiteral("keep._01"));
    t.platform.answers = {MsgBox::AnswerYes};
    t.click("Command3D3");
    QCOMPARE(t.platform.endCalls, 1);
}

void TestBrenvik::helpButton()
{
    Window t({}, false);
    t.platform.exeFolder = "C:\\Program Files\\Conv";
    t.platform.ignoreCase = true;
    t.w->Form_Load();
    t.click("SSCommand1");
    QCOMPARE(t.platform.starts.size(), 1);
    QCOMPARE(t.platform.starts[0].commandLine,
             QStringLiteral("Explorer C:\\PROGRAM FILES\\CONV\\Manual\\MBrenvik.mht"));
    QCOMPARE(t.platform.starts[0].windowStyle, 1);
    QVERIFY(t.platform.messages.isEmpty());
    t.platform.startError = "The manual /x/Manual/MBrenvik.mht is missing.";
    t.click("SSCommand1");
    QCOMPARE(t.platform.messages.size(), 1);
    QCOMPARE(t.platform.messages[0].prompt, t.platform.startError);
}

void TestBrenvik::convertRegionalQuestion_data()
{
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("grouping");
    QTest::addColumn<int>("answer");

    QTest::newRow("comma decimal, No") << "," << "." << int(MsgBox::AnswerNo);
    QTest::newRow("comma decimal, Yes") << "," << "." << int(MsgBox::AnswerYes);
    QTest::newRow("other grouping, Yes") << "." << " " << int(MsgBox::AnswerYes);
}

void TestBrenvik::convertRegionalQuestion()
{
    QFETCH(QString, decimal);
    QFETCH(QString, grouping);
    QFETCH(int, answer);
    Window t("WAVTOTIM");
    t.platform.symbols = {decimal, grouping};
    t.edit("Wav")->setText("IN");
    t.edit("TimLeft")->setText("L");
    t.edit("TimRight")->setText("R");
    t.platform.answers = {answer};
    t.click("Command3D2");
    QCOMPARE(t.platform.messages.size(), 1);
    QCOMPARE(t.platform.messages[0].style, 20);
    QCOMPARE(t.platform.messages[0].title, QStringLiteral("Warning - incompatible settings!"));
    QCOMPARE(t.platform.messages[0].prompt,
             QStringLiteral("Your regional settings are not compatible with Velmora. Do You want to change them now?"));
    if (answer == MsgBox::AnswerYes) {
        QCOMPARE(t.platform.starts.size(), 1);
        QCOMPARE(t.platform.starts[0].commandLine,
                 QStringLiteral("rundll32.exe shell32.dll,Control_RunDLL intl.cpl"));
        QCOMPARE(t.platform.starts[0].windowStyle, 1);
    } else {
        QVERIFY(t.platform.starts.isEmpty());
    }
    QCOMPARE(t.text("Wav"), QStringLiteral("IN"));  // nothing completed
}

void TestBrenvik::convertRequiredNames_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<bool>("stereo");
    QTest::addColumn<QString>("wav");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("refused");

    for (const char *keyword : {"TIMTOWAV", "WAVTOTIM", "BKTOTIM"}) {
        QTest::addRow("%s stereo without right", keyword) << keyword << true << "a" << "b" << "" << true;
        QTest::addRow("%s mono without right", keyword) << keyword << false << "a" << "b" << "" << false;
    }
    QTest::newRow("no source") << "VELMTOWAV" << false << "" << "b" << "" << true;
    QTest::newRow("no output") << "VELMTOTIM" << false << "a._1" << "" << "" << true;
    QTest::newRow("blank names pass") << "VELMTOWAV" << false << "   " << " " << "" << false;
}

void TestBrenvik::convertRequiredNames()
{
    QFETCH(QString, keyword);
    QFETCH(bool, stereo);
    QFETCH(QString, wav);
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, refused);
    Window t(keyword);
    t.click(stereo ? "StereoOpt" : "MonoOpt");
    t.edit("Wav")->setText(wav);
    t.edit("TimLeft")->setText(left);
    t.edit("TimRight")->setText(right);
    t.click("Command3D2");
    QCOMPARE(t.platform.starts.size(), refused ? 0 : 1);
    if (refused) {
        QCOMPARE(t.platform.messages.size(), 1);
        QCOMPARE(t.platform.messages[0].prompt,
                 QStringLiteral("CAUTION! - You Must Specify the name of all the files!"));
        QCOMPARE(t.platform.messages[0].title, QStringLiteral("File Specification Error"));
        QCOMPARE(t.platform.messages[0].style, 48);
        QCOMPARE(t.text("Wav"), wav);
        QCOMPARE(t.text("TimLeft"), left);
    }
}

void TestBrenvik::convertStartsInWorkDir()
{
    Window t("WAVTOTIM");
    t.click("MonoOpt");
    t.edit("Wav")->setText("IN");
    t.edit("TimLeft")->setText("L");
    t.edit("TimRight")->setText("R");
    t.edit("ExpSPL")->setText("100");
    t.click("Command3D2");
    t.click("Command3D2");
    QCOMPARE(t.platform.starts.size(), 2);  // each click starts one more converter
    for (const FakePlatform::Start &start : std::as_const(t.platform.starts)) {
        QCOMPARE(start.commandLine, QStringLiteral("KELDT.EXE \"IN.WAV\" \"L.TIM\" \"NONE\" 100.0 1"));
        QCOMPARE(start.windowStyle, 1);
        QCOMPARE(start.currentDirectory, t.w->workDir);
    }
    QCOMPARE(t.text("Wav"), QStringLiteral("IN.WAV"));
    QCOMPARE(t.text("TimLeft"), QStringLiteral("L.TIM"));
    QCOMPARE(t.text("TimRight"), QStringLiteral("R.TIM"));  // completed, though mono
    QVERIFY(t.platform.messages.isEmpty());
}

void TestBrenvik::convertRefusesUnsafeName()
{
    Window t("WAVTOTIM");
    t.edit("Wav")->setText("IN\"x");
    t.edit("TimLeft")->setText("L");
    t.edit("TimRight")->setText("R");
    t.click("Command3D2");
    QVERIFY(t.platform.starts.isEmpty());
    QCOMPARE(t.platform.messages.size(), 1);
    QCOMPARE(t.platform.messages[0].style, 48);
    QVERIFY(t.platform.messages[0].prompt.contains(QStringLiteral("IN\"x.WAV")));
    QCOMPARE(t.text("Wav"), QStringLiteral("IN\"x"));
    QCOMPARE(t.text("TimLeft"), QStringLiteral("L"));
}

void TestBrenvik::convertReportsFailures()
{
    Window t;
    t.edit("Wav")->setText("r._01");
    t.edit("TimLeft")->setText("out");
    t.platform.existingFolders = {"/elsewhere"};
    t.click("Command3D2");
    QVERIFY(t.platform.starts.isEmpty());
    QCOMPARE(t.platform.messages.size(), 1);
    QVERIFY(t.platform.messages[0].prompt.contains(t.w->workDir));
    QCOMPARE(t.text("TimLeft"), QStringLiteral("out.WAV"));

    t.platform.existingFolders.clear();
    t.platform.startError = "The converter pashet.exe cannot be found.";
    t.click("Command3D2");
    QCOMPARE(t.platform.starts.size(), 1);
    QCOMPARE(t.platform.messages.size(), 2);
    QCOMPARE(t.platform.messages[1].prompt, t.platform.startError);
    QCOMPARE(t.platform.messages[1].style, 48);

    // No mode at all: nothing to start.
    Window none({}, false);
    none.edit("Wav")->setText("a");
    none.edit("TimLeft")->setText("b");
    none.edit("TimRight")->setText("c");
    none.w->Command3D2_Click();
    QVERIFY(none.platform.starts.isEmpty());
    QCOMPARE(none.platform.messages.size(), 1);
}

void TestBrenvik::browseDialogs_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("fieldText");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("preset");

    const QString wav = "MS RIFF Audio File (*.WAV)|*.WAV";
    const QString tim = "MLSSA Imp.Resp. File (*.TIM)|*.TIM";
    const QString bk = "2Ch. Time File (*.DTI)|*.DTI|Ch.A Time File (*.TIA)|*.TIA|Ch.B Time File (*.TIB)|*.TIB";
    QTest::newRow("left, tim->wav") << "TIMTOWAV" << "CommLeft" << "Room.TIM" << 1 << tim << "Room.TIM";
    QTest::newRow("left, wav preset refused") << "WAVTOTIM" << "CommLeft" << "room.wav" << 2 << tim << "*.TIM";
    QTest::newRow("left, sim->wav") << "VELMTOWAV" << "CommLeft" << "Room.WAV" << 2 << wav << "Room.WAV";
    QTest::newRow("left, sim->wav tim refused") << "VELMTOWAV" << "CommLeft" << "room.tim" << 2 << wav << "*.WAV";
    QTest::newRow("right, tim->wav") << "TIMTOWAV" << "CommRight" << "R.x" << 1 << tim << "R.x";
    QTest::newRow("right, empty") << "WAVTOTIM" << "CommRight" << "" << 2 << tim << "*.TIM";
    QTest::newRow("wav, tim->wav saves") << "TIMTOWAV" << "CommWav" << "keep.wav" << 2 << wav << "*.WAV";
    QTest::newRow("wav, wav->tim opens") << "WAVTOTIM" << "CommWav" << "keep.wav" << 1 << wav << "*.WAV";
    QTest::newRow("wav, bk") << "BKTOTIM" << "CommWav" << "" << 1 << bk << "*.DTI";
    QTest::newRow("wav, sim") << "VELMTOTIM" << "CommWav" << "" << 1 << "Velmora files (*._*)|*._*" << "*._*";
}

void TestBrenvik::browseDialogs()
{
    QFETCH(QString, keyword);
    QFETCH(QString, button);
    QFETCH(QString, fieldText);
    Window t(keyword);
    const char *fieldName = button == u"CommLeft" ? "TimLeft" : button == u"CommRight" ? "TimRight" : "Wav";
    t.edit(fieldName)->setText(fieldText);
    t.w->findChild<QPushButton *>(button)->click();
    QCOMPARE(t.platform.dialogs.size(), 1);
    const FakePlatform::Dialog &d = t.platform.dialogs[0];
    QTEST(d.action, "action");
    QTEST(d.settings.Filter, "filter");
    QTEST(d.settings.FileName, "preset");
    QCOMPARE(d.settings.FilterIndex, 1);
    QVERIFY(d.settings.CancelError);
    QCOMPARE(d.settings.Flags, 0);
    QCOMPARE(d.settings.InitDir, t.w->workDir);
    QCOMPARE(t.text(fieldName), fieldText);  // cancelled: unchanged
}

void TestBrenvik::browseChosenName_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");

    QTest::newRow("left completed") << "WAVTOTIM" << "CommLeft" << true << "C:\\DATA\\take1" << "c:\\data\\take1.tim";
    QTest::newRow("left completed, sim->wav") << "VELMTOWAV" << "CommLeft" << true << "C:\\DATA\\take1" << "c:\\data\\take1.wav";
    QTest::newRow("dot in folder") << "WAVTOTIM" << "CommLeft" << true << "c:\\my.data\\take1" << "c:\\my.data\\take1";
    QTest::newRow("right") << "TIMTOWAV" << "CommRight" << true << "R" << "r.tim";
    QTest::newRow("case kept on POSIX") << "WAVTOTIM" << "CommLeft" << false << "/Data/Take 1" << "/Data/Take 1.tim";
    QTest::newRow("wav completed") << "TIMTOWAV" << "CommWav" << false << "/m/Out" << "/m/Out.wav";
    QTest::newRow("bk completed with dti") << "BKTOTIM" << "CommWav" << false << "/m/take" << "/m/take.dti";
    QTest::newRow("sim not completed") << "VELMTOWAV" << "CommWav" << false << "/m/hall" << "/m/hall";
    QTest::newRow("non-ASCII lowered") << "VELMTOTIM" << "CommWav" << true << "C:\\SÄLE\\HALL._1A" << "c:\\säle\\hall._1a";
}

void TestBrenvik::browseChosenName()
{
    QFETCH(QString, keyword);
    QFETCH(QString, button);
    QFETCH(bool, ignoreCase);
    QFETCH(QString, chosen);
    Window t(keyword);
    t.platform.ignoreCase = ignoreCase;
    t.platform.dialogResults = {chosen};
    t.w->findChild<QPushButton *>(button)->click();
    const char *fieldName = button == u"CommLeft" ? "TimLeft" : button == u"CommRight" ? "TimRight" : "Wav";
    QTEST(t.text(fieldName), "expected");
}

void TestBrenvik::browseCancelAndInitDir()
{
    Window t("WAVTOTIM");
    t.platform.dialogResults = {QString(), "/a/b.tim", QString()};
    t.click("CommLeft");
    QCOMPARE(t.w->CMDialog1.InitDir, t.w->workDir);  // cancel keeps it
    t.click("CommLeft");
    QCOMPARE(t.text("TimLeft"), QStringLiteral("/a/b.tim"));
    t.click("CommWav");
    QCOMPARE(t.platform.dialogs.size(), 3);
    QCOMPARE(t.platform.dialogs[2].settings.InitDir, QString());
    QCOMPARE(t.text("Wav"), QString());
}

void TestBrenvik::channelDetection_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QByteArray>("content");  // "<missing>" for no file, "<dir>" for a folder
    QTest::addColumn<bool>("stereo");

    QByteArray wav(44, '\0');
    wav.replace(0, 4, "RIFF");
    wav[22] = 1;
    QTest::newRow("wav mono") << "WAVTOTIM" << wav << false;
    wav[22] = 2;
    QTest::newRow("wav stereo") << "WAVTOTIM" << wav << true;
    wav[22] = 1;
    wav[23] = 1;  // 257 channels: not 1
    QTest::newRow("wav high byte counts") << "WAVTOTIM" << wav << true;
    QTest::newRow("wav 21 bytes") << "WAVTOTIM" << QByteArray(21, '\1') << true;
    QTest::newRow("wav 23 bytes, low byte 1") << "WAVTOTIM" << QByteArray(22, '\0').append('\1') << false;
    QTest::newRow("wav empty") << "WAVTOTIM" << QByteArray() << true;
    QTest::newRow("wav missing") << "WAVTOTIM" << QByteArray("<missing>") << true;
    QTest::newRow("wav folder") << "WAVTOTIM" << QByteArray("<dir>") << true;

    QByteArray bk(2048, '\0');
    bk[1604] = 3;
    bk[1605] = 7;
    QTest::newRow("bk both set") << "BKTOTIM" << bk << true;
    bk[1605] = 0;
    QTest::newRow("bk one zero") << "BKTOTIM" << bk << false;
    QTest::newRow("bk too short") << "BKTOTIM" << QByteArray(1605, '\1') << false;
    QTest::newRow("bk missing") << "BKTOTIM" << QByteArray("<missing>") << false;
}

void TestBrenvik::channelDetection()
{
    QFETCH(QString, keyword);
    QFETCH(QByteArray, content);
    QFETCH(bool, stereo);
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("Take One.wav"));
    if (content == "<dir>") {
        QVERIFY(QDir().mkdir(name));
    } else if (content != "<missing>") {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    Window t(keyword);
    t.click(stereo ? "MonoOpt" : "StereoOpt");  // start from the other choice
    t.platform.dialogResults = {name};
    t.click("CommWav");
    QCOMPARE(t.option("StereoOpt")->isChecked(), stereo);
    QCOMPARE(t.option("MonoOpt")->isChecked(), !stereo);
    QCOMPARE(!t.edit("TimRight")->isHidden(), stereo);
}

void TestBrenvik::focusSelectsText()
{
    Window t("WAVTOTIM");
    t.w->show();
    QApplication::setActiveWindow(t.w.get());
    QVERIFY(QTest::qWaitForWindowActive(t.w.get()));
    QLineEdit *spl = t.edit("ExpSPL");
    QTest::mouseClick(spl, Qt::LeftButton, {}, QPoint(3, spl->height() / 2));
    QTRY_COMPARE(spl->selectedText(), QStringLiteral("100.0"));
    QLineEdit *wav = t.edit("Wav");
    wav->setText("hall.wav");
    QTest::mouseClick(wav, Qt::LeftButton, {}, QPoint(5, wav->height() / 2));
    QTRY_COMPARE(wav->selectedText(), QStringLiteral("hall.wav"));
    QTest::keyClick(wav, Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(wav->selectedText(), QStringLiteral("hall.wav"));
}

void TestBrenvik::forcePinkSwitch()
{
    Window t;
    t.click("Label4");  // the text toggles like the box
    QCOMPARE(t.get<QLabel>("Label3")->text(), QStringLiteral("\u221A"));
    QCOMPARE(t.platform.messages.size(), 1);
    QCOMPARE(t.platform.messages[0].title, QStringLiteral("Force Pink Information"));
    QCOMPARE(t.platform.messages[0].style, 0);
    QCOMPARE(t.platform.messages[0].prompt.count(u'\r'), 4);
    QVERIFY(!t.platform.messages[0].prompt.contains(u'\n'));
    t.click("Label3");
    QCOMPARE(t.get<QLabel>("Label3")->text(), QString());
    QCOMPARE(t.platform.messages.size(), 1);  // silently off
    // The state survives a trip through another mode.
    t.click("Label3");
    t.click("wavtim");
    t.click("velmwav");
    QCOMPARE(t.get<QLabel>("Label3")->text(), QStringLiteral("\u221A"));
}

QTEST_MAIN(TestBrenvik)
#include "tst_brenvik.moc"
