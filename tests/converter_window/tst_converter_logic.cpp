// SPDX-License-Identifier: MIT
#include "CommandLineBuilder.h"
#include "FieldRules.h"
#include "RowCheck.h"

#include <QTest>

class TestConverterLogic : public QObject
{
    Q_OBJECT

private slots:
    void fieldRules()
    {
        const struct
        {
            const char *text, *wanted, *other;
            bool ignoreCase;
            const char *expected;
        } adapt[] = {
            {"Room.WAV", "tim", "wav", true, "room.tim"},
            {"Room.WAV", "tim", "wav", false, "Room.TIM"}, // the ending keeps its case
            {"Room.Wav", "tim", "wav", false, "Room.Tim"},
            {"Room.TIM", "tim", "wav", false, "Room.TIM"},
            {"room.txt", "tim", "wav", true, ""},
            {"roomwav", "tim", "wav", true, "roomtim"}, // only the last three count
            {"C:\\SÄLE\\RAUM.TIM", "wav", "tim", true, "c:\\säle\\raum.wav"},
        };
        for (const auto &r : adapt)
            ROW_COMPARE(r.text,
                        adaptExtension(r.text, QString(r.wanted), QString(r.other), r.ignoreCase),
                        r.expected);
        const struct
        {
            const char *text;
            bool ignoreCase;
            const char *expected;
        } result[] = {
            {"Hall._1A", true, "hall._1a"},
            {"Hall._1A", false, "Hall._1A"},
            {"hall._1", true, ""},
            {"hall.wav", true, ""},
        };
        for (const auto &r : result)
            ROW_COMPARE(r.text, checkResultName(QString::fromLatin1(r.text), r.ignoreCase),
                        QString::fromLatin1(r.expected));
        const struct
        {
            const char *name, *completed;
        } names[] = {{"OUT", "OUT.WAV"},
                     {"A.B", "A.B"},
                     {".X", ".X.WAV"},
                     {"C:\\DATA.1\\OUT", "C:\\DATA.1\\OUT"}};
        for (const auto &r : names)
            ROW_COMPARE(r.name, completeName(QString::fromLatin1(r.name), u".WAV"),
                        QString::fromLatin1(r.completed));
    }

    // Installed for all users: below /usr or /opt (as whole folder names), or a folder the user may
    // not write.
    void sharedCopy_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("shared");
        QTest::newRow("the package's folder") << "/usr/lib/brenvik" << true << true;
        QTest::newRow("below /usr/local") << "/usr/local/bin" << true << true;
        QTest::newRow("below /opt") << "/opt/brenvik" << true << true;
        QTest::newRow("/opt itself, spelt with a slash") << "/opt/" << true << true;
        QTest::newRow("a name that only begins so") << "/usrdata/brenvik" << true << false;
        QTest::newRow("a folder named opt elsewhere") << "/home/ana/opt/brenvik" << true << false;
        QTest::newRow("a build tree") << "/home/ana/brenvik/build/bin" << true << false;
        QTest::newRow("a folder the user may not write") << "/srv/tools/brenvik" << false << true;
    }
    void sharedCopy()
    {
        QFETCH(QString, folder);
        QFETCH(bool, writable);
        QFETCH(bool, shared);
        QCOMPARE(isSharedCopy(folder, writable), shared);
    }

    void workDirAndKeyword()
    {
        const struct
        {
            const char *folder;
            bool ignoreCase;
            const char *workDir;
        } dirs[] = {
            {"C:\\USERS\\USER1\\DESKTOP\\TOOL", true, "c:\\velmora2"},
            {"C:\\USB-KIT", true, "c:\\velmora2"}, // five characters only
            {"C:\\Program Files\\Conv", true, "C:\\PROGRAM FILES\\CONV"},
            {"/home/ann/Brenvik", false, "/home/ann/Brenvik"},
        };
        for (const auto &r : dirs)
            ROW_COMPARE(r.folder, deriveWorkDir(QString::fromLatin1(r.folder), r.ignoreCase),
                        QString::fromLatin1(r.workDir));
        // The window's tables start every mode by its keyword; here only case and extra words.
        const struct
        {
            const char *argument;
            ConversionMode mode;
        } keywords[] = {{"", ConversionMode::VelmWav},
                        {"BkToTim", ConversionMode::BkTim},
                        {"TIMTOWAV X", ConversionMode::VelmWav}};
        for (const auto &r : keywords)
            ROW_COMPARE(r.argument, int(modeForKeyword(QString::fromLatin1(r.argument))),
                        int(r.mode));
    }

    // The command line, or the name it refuses (as the field holds it). Switches: s stereo, c
    // scope, p pink, o octave filter, 4 8 b the rate options, w a Windows converter under Wine (Z:
    // on /, D: on /home/ana). A "~" in a name stands for NUL.
    void launches()
    {
        const struct
        {
            const char *mode, *wav, *left, *right, *spl, *switches, *filter, *line, *refused;
        } rows[] = {
            {"timwav", "OUT.WAV", "L.TIM", "R\"x.TIM", "", "", "", R"(ZARVO.EXE "OUT.WAV" "L.TIM")",
             ""}, // the right name unused in mono
            {"timwav", "OUT.WAV", "L.TIM", "R\"x.TIM", "", "s", "", "", "R\"x.TIM"},
            {"wavtim", "IN.WAV", "L.TIM", "", "100.0", "", "",
             R"(KELDT.EXE "IN.WAV" "L.TIM" "NONE" 100.0 1)", ""},
            {"bktim", "M", "L", "", "-3", "", "", R"(TOMBRA.EXE "M.WAV" "L.TIM" NONE -3.0 1)", ""},
            {"velmtim", "ROOM._01", "OUT.TIM", "", "1", "4", "F.DAT",
             R"(pashet.exe "ROOM._01" "OUT.TIM" 1 44100 White )", ""},
            {"velmwav", "R._01", "O", "", "12", "48", "",
             R"(pashet.exe "R._01" "O.WAV" 12 48000 W )", ""}, // the last rate decides
            {"wavtim", "a\"b", "L.TIM", "", "", "", "", "", "a\"b"},
            {"velmwav", "room~evil._01", "O.WAV", "", "", "4", "", "", "room~evil._01"},
            {"wavtim", "C:\\d.x\\", "L.TIM", "", "", "", "", "", "C:\\d.x\\"},
            {"velmwav", "R._01", "O.WAV", "", "", "4o", "f\".dat", "", "f\".dat"},
            {"velmtim", "/home/ana/hall._01", "out/Säle é", "", "1", "4o", "/tmp/eq/F.DAT",
             R"(pashet.exe "/home/ana/hall._01" "out/Säle é.TIM" 1 44100 White "/tmp/eq/F.DAT")",
             ""},
        };
        for (const auto &r : rows) {
            const auto text = [](const char *s) {
                return QString::fromUtf8(s).replace(u'~', QChar(0));
            };
            const QString sw = QString::fromLatin1(r.switches), mode = QString::fromLatin1(r.mode);
            LaunchInput in;
            in.wav = text(r.wav);
            in.timLeft = text(r.left);
            in.timRight = text(r.right);
            in.expSpl = r.spl;
            in.filterFileName = text(r.filter);
            in.stereo = sw.contains(u's');
            in.irMode = !sw.contains(u'c');
            in.forcePink = sw.contains(u'p');
            in.octaveFilter = sw.contains(u'o');
            in.opt44 = sw.contains(u'4');
            in.opt48 = sw.contains(u'8');
            in.optBin = sw.contains(u'b');
            in.modeTimWav = mode == "timwav";
            in.modeWavTim = mode == "wavtim";
            in.modeBkTim = mode == "bktim";
            in.modeVelmTim = mode == "velmtim";
            in.modeVelmWav = mode == "velmwav";
            const LaunchPlan plan = buildLaunch(in);
            ROW_COMPARE(r.wav, plan.unsafeName, text(r.refused));
            if (!*r.refused)
                ROW_COMPARE(r.wav, plan.command.line(), QString::fromUtf8(r.line));
        }
    }

    void regionalSettings()
    {
        const NumberSymbols symbols[] = {{".", ","}, {",", "."}, {".", "'"}, {",", ","}};
        QString compatible;
        for (const NumberSymbols &s : symbols)
            compatible += QString::number(regionalSettingsCompatible(s));
        QCOMPARE(compatible, "1000");
    }
};

QTEST_APPLESS_MAIN(TestConverterLogic)
#include "tst_converter_logic.moc"
