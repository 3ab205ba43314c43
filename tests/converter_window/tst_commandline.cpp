#include "CommandLineBuilder.h"
#include "WinCommandLine.h"

#include <QTest>

namespace {

enum Mode { TimWav, WavTim, BkTim, VelmTim, VelmWav, NoMode };

LaunchInput input(Mode mode, const QString &wav, const QString &left, const QString &right = {})
{
    LaunchInput in;
    in.wav = wav;
    in.timLeft = left;
    in.timRight = right;
    in.modeTimWav = mode == TimWav;
    in.modeWavTim = mode == WavTim;
    in.modeBkTim = mode == BkTim;
    in.modeVelmTim = mode == VelmTim;
    in.modeVelmWav = mode == VelmWav;
    in.opt44 = true;
    return in;
}

} // namespace

Q_DECLARE_METATYPE(LaunchInput)

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void completedNames_data();
    void completedNames();
    void splitsBackToArguments_data();
    void splitsBackToArguments();
    void unsafeNames_data();
    void unsafeNames();
    void regionalSettings_data();
    void regionalSettings();
    void requiredNames_data();
    void requiredNames();
};

void TestCommandLine::commandLine_data()
{
    QTest::addColumn<LaunchInput>("in");
    QTest::addColumn<QString>("expected");

    LaunchInput in = input(TimWav, "OUT.WAV", "L.TIM", "R.TIM");
    in.stereo = true;
    QTest::newRow("tim->wav stereo") << in << "ZARVO.EXE \"OUT.WAV\" \"L.TIM\" \"R.TIM\"";
    in.stereo = false;
    QTest::newRow("tim->wav mono leaves right out") << in << "ZARVO.EXE \"OUT.WAV\" \"L.TIM\"";

    in = input(WavTim, "IN.WAV", "L.TIM");
    in.expSpl = "100.0";
    QTest::newRow("wav->tim mono IR") << in << "KELDT.EXE \"IN.WAV\" \"L.TIM\" \"NONE\" 100.0 1";
    in.stereo = true;
    in.timRight = "R.TIM";
    in.irMode = false;
    in.expSpl = "94.256";
    QTest::newRow("wav->tim stereo scope") << in << "KELDT.EXE \"IN.WAV\" \"L.TIM\" \"R.TIM\" 94.26 0";

    in = input(BkTim, "M.DTI", "L.TIM");
    in.expSpl = "94.25";
    in.irMode = false;
    QTest::newRow("bk mono scope") << in << "TOMBRA.EXE \"M.DTI\" \"L.TIM\" NONE 94.25 0";
    in.stereo = true;
    in.timRight = "R.TIM";
    in.expSpl = "abc";
    QTest::newRow("bk stereo, no number") << in << "TOMBRA.EXE \"M.DTI\" \"L.TIM\" \"R.TIM\" .0 0";
    in.expSpl = "1,5";
    QTest::newRow("bk, reading stops at comma") << in << "TOMBRA.EXE \"M.DTI\" \"L.TIM\" \"R.TIM\" 1.0 0";
    in.expSpl = ".5";
    QTest::newRow("bk, no leading zero") << in << "TOMBRA.EXE \"M.DTI\" \"L.TIM\" \"R.TIM\" .5 0";
    in.expSpl = "-3";
    QTest::newRow("negative SPL stays its own argument")
        << in << "TOMBRA.EXE \"M.DTI\" \"L.TIM\" \"R.TIM\" -3.0 0";

    in = input(VelmTim, "ROOM._01", "OUT.TIM");
    in.expSpl = "1";
    in.octaveFilter = true;
    in.filterFileName = "F.DAT";
    QTest::newRow("velm->tim filter on") << in << "pashet.exe \"ROOM._01\" \"OUT.TIM\" 1 44100 White \"F.DAT\"";
    in.forcePink = true;
    in.octaveFilter = false;
    QTest::newRow("velm->tim pink, switch off") << in << "pashet.exe \"ROOM._01\" \"OUT.TIM\" 1 44100 Pink ";
    in.octaveFilter = true;
    in.filterFileName.clear();
    QTest::newRow("velm->tim switch on, no name") << in << "pashet.exe \"ROOM._01\" \"OUT.TIM\" 1 44100 Pink ";

    in = input(VelmWav, "ROOM._01", "OUT.WAV");
    in.expSpl = "2";
    in.opt44 = false;
    in.opt48 = true;
    in.forcePink = true;
    QTest::newRow("velm->wav 48k pink") << in << "pashet.exe \"ROOM._01\" \"OUT.WAV\" 2 48000 P ";
    in.opt48 = false;
    in.expSpl = "";
    QTest::newRow("no rate, no microphone") << in << "pashet.exe \"ROOM._01\" \"OUT.WAV\"  22050 P ";
    in.expSpl = "12";
    in.opt44 = true;
    in.opt48 = true;
    QTest::newRow("last selected rate decides") << in << "pashet.exe \"ROOM._01\" \"OUT.WAV\" 12 48000 P ";
    in.opt44 = in.opt48 = false;
    in.optBin = true;
    in.expSpl = "1";
    in.forcePink = false;
    QTest::newRow("binaural") << in << "frelio.exe \"ROOM._01\" \"OUT.WAV\" 1 W ";
    in.octaveFilter = true;
    in.filterFileName = "C:\\EQ\\F.DAT";
    in.expSpl = "2.6";
    QTest::newRow("binaural, filter, rounded microphone")
        << in << "frelio.exe \"ROOM._01\" \"OUT.WAV\" 3 W \"C:\\EQ\\F.DAT\"";

    in = input(NoMode, "A", "B");
    QTest::newRow("no mode, no line") << in << "";
}

void TestCommandLine::commandLine()
{
    QFETCH(LaunchInput, in);
    QFETCH(QString, expected);
    const LaunchPlan plan = buildLaunch(in);
    QCOMPARE(plan.commandLine, expected);
    QVERIFY(plan.unsafeName.isNull());
}

void TestCommandLine::completedNames_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("wav");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("wavAfter");
    QTest::addColumn<QString>("leftAfter");
    QTest::addColumn<QString>("rightAfter");

    QTest::newRow("tim->wav") << int(TimWav) << "OUT" << "L" << "R" << "OUT.WAV" << "L.TIM" << "R.TIM";
    QTest::newRow("sim->wav output gets .WAV") << int(VelmWav) << "ROOM" << "OUT" << "" << "ROOM.WAV" << "OUT.WAV" << "";
    QTest::newRow("sim->tim output gets .TIM") << int(VelmTim) << "ROOM._01" << "OUT" << "" << "ROOM._01" << "OUT.TIM" << "";
    QTest::newRow("bk source gets .WAV") << int(BkTim) << "M" << "L.tim" << "" << "M.WAV" << "L.tim" << "";
    QTest::newRow("right completed in mono too") << int(WavTim) << "A.B" << ".X" << "R" << "A.B" << ".X.TIM" << "R.TIM";
    QTest::newRow("blanks only") << int(WavTim) << "   " << "L" << "" << "   .WAV" << "L.TIM" << "";
    QTest::newRow("dot in folder") << int(WavTim) << "C:\\DATA.1\\OUT" << "L" << "" << "C:\\DATA.1\\OUT" << "L.TIM" << "";
    QTest::newRow("no mode leaves left") << int(NoMode) << "A" << "B" << "" << "A.WAV" << "B" << "";
}

void TestCommandLine::completedNames()
{
    QFETCH(int, mode);
    QFETCH(QString, wav);
    QFETCH(QString, left);
    QFETCH(QString, right);
    const LaunchPlan plan = buildLaunch(input(Mode(mode), wav, left, right));
    QTEST(plan.wav, "wavAfter");
    QTEST(plan.timLeft, "leftAfter");
    QTEST(plan.timRight, "rightAfter");
}

void TestCommandLine::splitsBackToArguments_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks") << "C:\\My Data\\hall one.wav";
    QTest::newRow("backslashes") << "\\\\server\\share\\a.wav";
    QTest::newRow("dot in folder") << "C:\\DATA.1\\OUT";
    QTest::newRow("non-ASCII") << "C:\\Säle\\Ørsted è.wav";
    QTest::newRow("relative with blanks") << "  a b .wav";
}

void TestCommandLine::splitsBackToArguments()
{
    QFETCH(QString, name);
    LaunchInput in = input(WavTim, name, name, name);
    in.stereo = true;
    in.expSpl = "100";
    const LaunchPlan plan = buildLaunch(in);
    QVERIFY(plan.unsafeName.isNull());
    const QStringList args = splitWindowsCommandLine(plan.commandLine);
    QCOMPARE(args, QStringList({"KELDT.EXE", plan.wav, plan.timLeft, plan.timRight, "100.0", "1"}));
}

void TestCommandLine::unsafeNames_data()
{
    QTest::addColumn<LaunchInput>("in");
    QTest::addColumn<QString>("unsafe");

    QTest::newRow("quote in source") << input(WavTim, "a\"b.wav", "L.TIM") << "a\"b.wav";
    QTest::newRow("trailing backslash completed away") << input(WavTim, "C:\\dir\\", "L.TIM") << "";
    QTest::newRow("trailing backslash with extension") << input(WavTim, "C:\\d.x\\", "L.TIM") << "C:\\d.x\\";
    LaunchInput in = input(TimWav, "O.WAV", "L.TIM", "R\"x.TIM");
    QTest::newRow("right unused in mono") << in << "";
    in.stereo = true;
    QTest::newRow("right used in stereo") << in << "R\"x.TIM";
    in = input(VelmWav, "R._01", "O.WAV");
    in.filterFileName = "f\".dat";
    QTest::newRow("filter with quote, switch off") << in << "";
    in.octaveFilter = true;
    QTest::newRow("filter with quote, switch on") << in << "f\".dat";
}

void TestCommandLine::unsafeNames()
{
    QFETCH(LaunchInput, in);
    QFETCH(QString, unsafe);
    QCOMPARE(buildLaunch(in).unsafeName, unsafe);
}

void TestCommandLine::regionalSettings_data()
{
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("grouping");
    QTest::addColumn<bool>("compatible");

    QTest::newRow("English") << "." << "," << true;
    QTest::newRow("German") << "," << "." << false;
    QTest::newRow("decimal point, blank grouping") << "." << " " << false;
    QTest::newRow("decimal point, apostrophe grouping") << "." << "'" << false;
    QTest::newRow("comma decimal, comma grouping") << "," << "," << false;
}

void TestCommandLine::regionalSettings()
{
    QFETCH(QString, decimal);
    QFETCH(QString, grouping);
    QFETCH(bool, compatible);
    QCOMPARE(regionalSettingsCompatible(NumberSymbols{decimal, grouping}), compatible);
}

void TestCommandLine::requiredNames_data()
{
    QTest::addColumn<QString>("wav");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("stereo");
    QTest::addColumn<bool>("missing");

    QTest::newRow("all there") << "a" << "b" << "c" << true << false;
    QTest::newRow("stereo without right") << "a" << "b" << "" << true << true;
    QTest::newRow("mono without right") << "a" << "b" << "" << false << false;
    QTest::newRow("no source") << "" << "b" << "" << false << true;
    QTest::newRow("no output") << "a" << "" << "" << false << true;
    QTest::newRow("blank counts as filled") << " " << " " << " " << true << false;
}

void TestCommandLine::requiredNames()
{
    QFETCH(QString, wav);
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, stereo);
    QFETCH(bool, missing);
    LaunchInput in = input(WavTim, wav, left, right);
    in.stereo = stereo;
    QCOMPARE(requiredNamesMissing(in), missing);
}

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
