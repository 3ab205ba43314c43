// SPDX-License-Identifier: MIT
#include "CommandLineBuilder.h"
#include "FieldRules.h"
#include "RowCheck.h"
#include "WinCommandLine.h"

#include <QTest>

namespace {

enum Mode { TimWav, WavTim, BkTim, VelmTim, VelmWav, NoMode };

LaunchInput input(Mode mode, const QString &wav, const QString &left, const QString &right = {},
                  const QString &expSpl = {})
{
    LaunchInput in;
    in.wav = wav;
    in.timLeft = left;
    in.timRight = right;
    in.expSpl = expSpl;
    in.modeTimWav = mode == TimWav;
    in.modeWavTim = mode == WavTim;
    in.modeBkTim = mode == BkTim;
    in.modeVelmTim = mode == VelmTim;
    in.modeVelmWav = mode == VelmWav;
    in.opt44 = true;
    return in;
}

template<typename F> LaunchInput with(LaunchInput in, F change)
{
    change(in);
    return in;
}

} // namespace

class TestConverterLogic : public QObject
{
    Q_OBJECT

private slots:
    void fieldRules();
    void workDirAndKeyword();
    void commandLines();
    void namesSurviveTheConverterSplitting();
    void unsafeNames();
    void windowsLines();
    void regionalSettings();
};

void TestConverterLogic::fieldRules()
{
    // text, wanted, other, ignore case, expected
    const struct { const char *text, *wanted, *other; bool ignoreCase; const char *expected; } adapt[] = {
        {"", "tim", "wav", true, ""},
        {"Room.WAV", "tim", "wav", true, "room.tim"},
        {"Room.WAV", "tim", "wav", false, "Room.TIM"},     // a replaced ending keeps the letter case
        {"Room.Wav", "tim", "wav", false, "Room.Tim"},
        {"ROOM.tim", "wav", "tim", false, "ROOM.wav"},
        {"Room.TIM", "tim", "wav", true, "room.tim"},
        {"Room.TIM", "tim", "wav", false, "Room.TIM"},
        {"room.txt", "tim", "wav", true, ""},
        {"ab", "tim", "wav", true, ""},
        {"roomwav", "tim", "wav", true, "roomtim"},         // only the last three count
        {"WAV", "tim", "wav", false, "TIM"},
        {"C:\\SÄLE\\RAUM.WAV", "wav", "tim", true, "c:\\säle\\raum.wav"},
        {"C:\\SÄLE\\RAUM.TIM", "wav", "tim", true, "c:\\säle\\raum.wav"},
    };
    for (const auto &r : adapt)
        ROW_COMPARE(r.text, adaptExtension(QString::fromUtf8(r.text), QString::fromLatin1(r.wanted),
                                           QString::fromLatin1(r.other), r.ignoreCase),
                    QString::fromUtf8(r.expected));

    const struct { const char *text; bool ignoreCase; const char *expected; } result[] = {
        {"", true, ""}, {"Hall._1A", true, "hall._1a"}, {"Hall._1A", false, "Hall._1A"},
        {"hall._1", true, ""}, {"hall.wav", true, ""}, {"_a", true, "_a"}, {"ab", true, ""},
    };
    for (const auto &r : result)
        ROW_COMPARE(r.text, checkResultName(QString::fromLatin1(r.text), r.ignoreCase),
                    QString::fromLatin1(r.expected));

    const struct { const char *name, *completed; } names[] = {
        {"OUT", "OUT.WAV"}, {"OUT.wav", "OUT.wav"}, {"A.B", "A.B"}, {".X", ".X.WAV"},
        {"C:\\DATA.1\\OUT", "C:\\DATA.1\\OUT"}, {"..\\x.tim", "..\\x.tim.WAV"}, {"   ", "   .WAV"},
    };
    for (const auto &r : names)
        ROW_COMPARE(r.name, completeName(QString::fromLatin1(r.name), u".WAV"),
                    QString::fromLatin1(r.completed));
}

void TestConverterLogic::workDirAndKeyword()
{
    const struct { const char *folder; bool ignoreCase; const char *workDir; } dirs[] = {
        {"C:\\USERS\\USER1\\DESKTOP\\TOOL", true, "c:\\velmora2"},
        {"c:\\users\\user1\\desktop\\tool", true, "c:\\velmora2"},
        {"D:\\USERS\\TOOL", true, "D:\\USERS\\TOOL"},
        {"C:\\USB-KIT", true, "c:\\velmora2"},              // five characters only
        {"c:\\Software\\x", true, "c:\\velmora2"},
        {"C:\\Program Files\\Conv", true, "C:\\PROGRAM FILES\\CONV"},
        {"/home/ann/Brenvik", false, "/home/ann/Brenvik"},  // a POSIX path keeps its case
    };
    for (const auto &r : dirs)
        ROW_COMPARE(r.folder, deriveWorkDir(QString::fromLatin1(r.folder), r.ignoreCase),
                    QString::fromLatin1(r.workDir));

    const struct { const char *argument; ConversionMode mode; } keywords[] = {
        {"", ConversionMode::VelmWav}, {"timtowav", ConversionMode::TimWav},
        {"WAVTOTIM", ConversionMode::WavTim}, {"BkToTim", ConversionMode::BkTim},
        {"VELMTOTIM", ConversionMode::VelmTim}, {"TIMTOWAV X", ConversionMode::VelmWav},
        {" TIMTOWAV", ConversionMode::VelmWav}, {"HELP", ConversionMode::VelmWav},
    };
    for (const auto &r : keywords)
        ROW_COMPARE(r.argument, int(modeForKeyword(QString::fromLatin1(r.argument))), int(r.mode));
}

void TestConverterLogic::commandLines()
{
    const auto stereo = [](LaunchInput &in) { in.stereo = true; };
    const auto scope = [](LaunchInput &in) { in.irMode = false; };
    const auto filter = [](LaunchInput &in) { in.octaveFilter = true; in.filterFileName = "F.DAT"; };
    const auto pink = [](LaunchInput &in) { in.forcePink = true; };
    const auto rate = [](bool o44, bool o48, bool bin) {
        return [=](LaunchInput &in) { in.opt44 = o44; in.opt48 = o48; in.optBin = bin; };
    };
    const struct { const char *row; LaunchInput in; const char *line; } rows[] = {
        {"tim->wav stereo", with(input(TimWav, "OUT.WAV", "L.TIM", "R.TIM"), stereo),
         R"(ZARVO.EXE "OUT.WAV" "L.TIM" "R.TIM")"},
        {"tim->wav mono", input(TimWav, "OUT.WAV", "L.TIM", "R.TIM"), R"(ZARVO.EXE "OUT.WAV" "L.TIM")"},
        {"wav->tim mono IR", input(WavTim, "IN.WAV", "L.TIM", {}, "100.0"),
         R"(KELDT.EXE "IN.WAV" "L.TIM" "NONE" 100.0 1)"},
        {"wav->tim stereo scope", with(with(input(WavTim, "IN.WAV", "L.TIM", "R.TIM", "94.256"), stereo), scope),
         R"(KELDT.EXE "IN.WAV" "L.TIM" "R.TIM" 94.26 0)"},
        {"bk mono scope", with(input(BkTim, "M.DTI", "L.TIM", {}, "94.25"), scope),
         R"(TOMBRA.EXE "M.DTI" "L.TIM" NONE 94.25 0)"},
        {"bk stereo, no number", with(input(BkTim, "M.DTI", "L.TIM", "R.TIM", "abc"), stereo),
         R"(TOMBRA.EXE "M.DTI" "L.TIM" "R.TIM" .0 1)"},
        {"reading stops at comma", input(BkTim, "M", "L", {}, "1,5"), R"(TOMBRA.EXE "M.WAV" "L.TIM" NONE 1.0 1)"},
        {"half a decibel", input(BkTim, "M", "L", {}, ".5"), R"(TOMBRA.EXE "M.WAV" "L.TIM" NONE .5 1)"},
        {"negative SPL stays an argument", input(BkTim, "M", "L", {}, "-3"), R"(TOMBRA.EXE "M.WAV" "L.TIM" NONE -3.0 1)"},
        {"sim->tim filter", with(input(VelmTim, "ROOM._01", "OUT.TIM", {}, "1"), filter),
         R"(pashet.exe "ROOM._01" "OUT.TIM" 1 44100 White "F.DAT")"},
        {"filter name, switch off", with(with(input(VelmTim, "ROOM._01", "OUT.TIM", {}, "1"), filter),
                                         [](LaunchInput &in) { in.octaveFilter = false; }),
         R"(pashet.exe "ROOM._01" "OUT.TIM" 1 44100 White )"},
        {"switch on, no name", with(with(input(VelmTim, "R._01", "O", {}, "1"), pink),
                                    [](LaunchInput &in) { in.octaveFilter = true; }),
         R"(pashet.exe "R._01" "O.TIM" 1 44100 Pink )"},
        {"sim->wav 48k pink", with(with(input(VelmWav, "ROOM._01", "OUT.WAV", {}, "2"), rate(false, true, false)), pink),
         R"(pashet.exe "ROOM._01" "OUT.WAV" 2 48000 P )"},
        {"no rate, no microphone", with(input(VelmWav, "R._01", "O", {}, ""), rate(false, false, false)),
         R"(pashet.exe "R._01" "O.WAV"  22050 W )"},
        {"last selected rate decides", with(input(VelmWav, "R._01", "O", {}, "12"), rate(true, true, false)),
         R"(pashet.exe "R._01" "O.WAV" 12 48000 W )"},
        {"binaural", with(input(VelmWav, "ROOM._01", "OUT.WAV", {}, "1"), rate(false, false, true)),
         R"(frelio.exe "ROOM._01" "OUT.WAV" 1 W )"},
        {"binaural, filter, rounded microphone",
         with(with(input(VelmWav, "R._01", "O", {}, "2.6"), rate(false, false, true)), filter),
         R"(frelio.exe "R._01" "O.WAV" 3 W "F.DAT")"},
        {"no mode", input(NoMode, "A", "B"), ""},
    };
    for (const auto &r : rows) {
        const LaunchPlan plan = buildLaunch(r.in);
        ROW_COMPARE(r.row, plan.commandLine, QString::fromUtf8(r.line));
        ROW_COMPARE(r.row, plan.unsafeName, QString());
    }
}

void TestConverterLogic::namesSurviveTheConverterSplitting()
{
    for (const char *name : {"C:\\My Data\\hall one.wav", "\\\\server\\share\\a.wav",
                             "C:\\DATA.1\\OUT", "C:\\Säle\\Ørsted è.wav", "  a b .wav"}) {
        LaunchInput in = input(WavTim, QString::fromUtf8(name), QString::fromUtf8(name),
                               QString::fromUtf8(name), "100");
        in.stereo = true;
        const LaunchPlan plan = buildLaunch(in);
        ROW_COMPARE(name, splitWindowsCommandLine(plan.commandLine),
                    QStringList({"KELDT.EXE", plan.wav, plan.timLeft, plan.timRight, "100.0", "1"}));
    }
}

void TestConverterLogic::unsafeNames()
{
    const auto stereo = [](LaunchInput &in) { in.stereo = true; };
    const auto quotedFilter = [](LaunchInput &in) { in.filterFileName = "f\".dat"; };
    const QString nul(QChar(0));
    const struct { const char *row; LaunchInput in; QString unsafe; } rows[] = {
        {"quote in source", input(WavTim, "a\"b.wav", "L.TIM"), "a\"b.wav"},
        {"named as the field holds it", input(WavTim, "a\"b", "L.TIM"), "a\"b"},
        {"NUL in source", input(VelmWav, "room" + nul + "evil._01", "O.WAV"), "room" + nul + "evil._01"},
        {"NUL in output", input(VelmTim, "R._01", "O" + nul + "x"), "O" + nul + "x"},
        {"NUL in filter, switch on", with(input(VelmWav, "R._01", "O.WAV"), [&](LaunchInput &in) {
             in.filterFileName = "f" + nul + ".dat";
             in.octaveFilter = true;
         }), "f" + nul + ".dat"},
        {"trailing backslash completed away", input(WavTim, "C:\\dir\\", "L.TIM"), ""},
        {"trailing backslash kept", input(WavTim, "C:\\d.x\\", "L.TIM"), "C:\\d.x\\"},
        {"right unused in mono", input(TimWav, "O.WAV", "L.TIM", "R\"x.TIM"), ""},
        {"right used in stereo", with(input(TimWav, "O.WAV", "L.TIM", "R\"x.TIM"), stereo), "R\"x.TIM"},
        {"filter, switch off", with(input(VelmWav, "R._01", "O.WAV"), quotedFilter), ""},
        {"filter, switch on", with(with(input(VelmWav, "R._01", "O.WAV"), quotedFilter),
                                   [](LaunchInput &in) { in.octaveFilter = true; }), "f\".dat"},
    };
    for (const auto &r : rows)
        ROW_COMPARE(r.row, buildLaunch(r.in).unsafeName, r.unsafe);
}

// A Windows converter under Wine: the same line, every name on it in
// Windows form and nothing else changed; the fields keep the host's names.
void TestConverterLogic::windowsLines()
{
    const QList<WineDrive> drives = {{u'Z', "/"}, {u'D', "/home/ana"}};
    const auto wine = [&](LaunchInput in, const QList<WineDrive> &over = {}) {
        in.wineDrives = over.isEmpty() ? drives : over;
        return in;
    };
    const auto stereo = [](LaunchInput &in) { in.stereo = true; };
    const auto filter = [](const char *name) {
        return [=](LaunchInput &in) { in.octaveFilter = true; in.filterFileName = QString::fromUtf8(name); };
    };
    const struct { const char *row; LaunchInput in; const char *line, *untranslatable; WindowsNameFault fault; } rows[] = {
        {"absolute, relative, filter", wine(with(input(VelmTim, "/home/ana/hall._01", "out/Säle é", {}, "1"), filter("/tmp/eq/F.DAT"))),
         R"(pashet.exe "D:\hall._01" "out\Säle é.TIM" 1 44100 White "Z:\tmp\eq\F.DAT")", "", WindowsNameFault::None},
        {"right channel in stereo", wine(with(input(WavTim, "/home/ana/in.wav", "l", "../r", "94.256"), stereo)),
         R"(KELDT.EXE "D:\in.wav" "l.TIM" "..\r.TIM" 94.26 1)", "", WindowsNameFault::None},
        {"bare NONE and a blank", wine(input(BkTim, "/home/ana/a b.dti", "L", {}, "100")),
         R"(TOMBRA.EXE "D:\a b.dti" "L.TIM" NONE 100.0 1)", "", WindowsNameFault::None},
        {"a colon", wine(input(TimWav, "o.wav", "/home/ana/a:b")), "", "/home/ana/a:b.TIM", WindowsNameFault::ForbiddenCharacter},
        {"a backslash", wine(input(VelmWav, "in\\room._01", "o")), "", "in\\room._01", WindowsNameFault::Backslash},
        {"no drive", wine(input(TimWav, "/mnt/o.wav", "l.tim"), {{u'D', "/home"}}), "", "/mnt/o.wav", WindowsNameFault::NoDrive},
        {"right channel unused in mono", wine(input(TimWav, "o.wav", "l.tim", "a|b.tim")), R"(ZARVO.EXE "o.wav" "l.tim")", "", WindowsNameFault::None},
        {"filter unused, switch off", wine(with(with(input(VelmWav, "r._01", "o"), filter("f?.dat")), [](LaunchInput &in) { in.octaveFilter = false; })),
         R"(pashet.exe "r._01" "o.WAV"  44100 W )", "", WindowsNameFault::None},
        {"filter used", wine(with(input(VelmWav, "r._01", "o", {}, "1"), filter("f?.dat"))), "", "f?.dat", WindowsNameFault::ForbiddenCharacter},
    };
    for (const auto &r : rows) {
        const LaunchPlan plan = buildLaunch(r.in);
        LaunchInput hostInput = r.in;
        hostInput.wineDrives.reset();
        const LaunchPlan host = buildLaunch(hostInput);
        if (!*r.untranslatable)
            ROW_COMPARE(r.row, plan.commandLine, QString::fromUtf8(r.line));
        ROW_COMPARE(r.row, plan.untranslatableName, QString::fromUtf8(r.untranslatable));
        ROW_COMPARE(r.row, int(plan.untranslatableFault), int(r.fault));
        ROW_COMPARE(r.row, QStringList({plan.wav, plan.timLeft, plan.timRight, plan.program}),
                    QStringList({host.wav, host.timLeft, host.timRight, host.program}));
        ROW_COMPARE(r.row, host.untranslatableName, QString());
    }
}

void TestConverterLogic::regionalSettings()
{
    QVERIFY(regionalSettingsCompatible({".", ","}));
    QVERIFY(!regionalSettingsCompatible({",", "."}));
    QVERIFY(!regionalSettingsCompatible({".", "'"}));
    QVERIFY(!regionalSettingsCompatible({",", ","}));
}

QTEST_APPLESS_MAIN(TestConverterLogic)
#include "tst_converter_logic.moc"
