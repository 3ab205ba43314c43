// SPDX-License-Identifier: MIT
#include "CommandLineBuilder.h"
#include "FieldRules.h"

#include <QTest>

// The rows name only the input fields they set; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

Q_DECLARE_METATYPE(LaunchInput)
Q_DECLARE_METATYPE(NumberSymbols)

class TestConverterLogic : public QObject
{
    Q_OBJECT

private slots:
    // A mode's ending replaces the other one in the case the old ending had; where names ignore
    // case the whole name is lower-cased.
    void adaptExtension_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<QString>("expected");
        QTest::newRow("names ignore case: lower-cased") << "Room.WAV" << true << "room.tim";
        QTest::newRow("the ending keeps its case, letter by letter")
            << "Room.Wav" << false << "Room.Tim";
        QTest::newRow("already the wanted ending") << "Room.TIM" << false << "Room.TIM";
        QTest::newRow("another ending: no name") << "room.txt" << true << "";
        QTest::newRow("only the last three letters count") << "roomwav" << true << "roomtim";
        QTest::newRow("non-ASCII letters lower-cased")
            << "C:\\SÄLE\\RAUM.WAV" << true << "c:\\säle\\raum.tim";
    }
    void adaptExtension()
    {
        QFETCH(QString, text);
        QFETCH(bool, ignoreCase);
        QFETCH(QString, expected);
        QCOMPARE(::adaptExtension(text, u"tim", u"wav", ignoreCase), expected);
    }

    // A result file's name: "._" and two more characters at its end, or no name.
    void checkResultName_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<QString>("expected");
        QTest::newRow("names ignore case: lower-cased") << "Hall._1A" << true << "hall._1a";
        QTest::newRow("names keep their case") << "Hall._1A" << false << "Hall._1A";
        QTest::newRow("one character too few") << "hall._1" << true << "";
        QTest::newRow("a sound file") << "hall.wav" << true << "";
    }
    void checkResultName()
    {
        QFETCH(QString, text);
        QFETCH(bool, ignoreCase);
        QFETCH(QString, expected);
        QCOMPARE(::checkResultName(text, ignoreCase), expected);
    }

    // A name without a dot gets the default ending; a dot anywhere after the first character,
    // even in a folder's name, counts as one.
    void completeName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("completed");
        QTest::newRow("no ending") << "OUT"
                                   << "OUT.WAV";
        QTest::newRow("a leading dot is no ending") << ".X"
                                                    << ".X.WAV";
        QTest::newRow("a dot in the folder's name") << "C:\\DATA.1\\OUT"
                                                    << "C:\\DATA.1\\OUT";
    }
    void completeName()
    {
        QFETCH(QString, name);
        QFETCH(QString, completed);
        QCOMPARE(::completeName(name, u".WAV"), completed);
    }

    // Installed for all users: below /usr or /opt (as whole folder names), or a folder the user may
    // not write.
    void sharedCopy_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("shared");
        QTest::newRow("the package's folder") << "/usr/lib/brenvik" << true << true;
        QTest::newRow("/opt itself, spelt with a slash") << "/opt/" << true << true;
        QTest::newRow("a name that only begins so") << "/usrdata/brenvik" << true << false;
        QTest::newRow("a folder the user may not write") << "/srv/tools/brenvik" << false << true;
    }
    void sharedCopy()
    {
        QFETCH(QString, folder);
        QFETCH(bool, writable);
        QFETCH(bool, shared);
        QCOMPARE(isSharedCopy(folder, writable), shared);
    }

    // The converters of a copy on a Windows desktop, or in a folder of five characters, work in
    // c:\velmora2.
    void deriveWorkDir_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<QString>("workDir");
        QTest::newRow("on a Windows desktop")
            << "C:\\USERS\\USER1\\DESKTOP\\TOOL" << true << "c:\\velmora2";
        QTest::newRow("a folder of five characters") << "C:\\USB-KIT" << true << "c:\\velmora2";
        QTest::newRow("elsewhere on Windows: upper-cased")
            << "C:\\Program Files\\Conv" << true << "C:\\PROGRAM FILES\\CONV";
        QTest::newRow("names keep their case")
            << "/home/ann/Brenvik" << false << "/home/ann/Brenvik";
    }
    void deriveWorkDir()
    {
        QFETCH(QString, folder);
        QFETCH(bool, ignoreCase);
        QFETCH(QString, workDir);
        QCOMPARE(::deriveWorkDir(folder, ignoreCase), workDir);
    }

    // The window's tests start every mode by its keyword; here only case and extra words.
    void modeForKeyword_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<int>("mode");
        QTest::newRow("no keyword: Velmora to WAV") << "" << int(ConversionMode::VelmWav);
        QTest::newRow("any letter case") << "BkToTim" << int(ConversionMode::BkTim);
        QTest::newRow("a word more: no keyword") << "TIMTOWAV X" << int(ConversionMode::VelmWav);
    }
    void modeForKeyword()
    {
        QFETCH(QString, argument);
        QFETCH(int, mode);
        QCOMPARE(int(::modeForKeyword(argument)), mode);
    }

    // What "OK - Convert!" starts: names are completed, the mode's switches added.
    void commandLine_data()
    {
        QTest::addColumn<LaunchInput>("input");
        QTest::addColumn<QString>("line");
        QTest::newRow("mono: the right name unused") << LaunchInput{.wav = "OUT.WAV",
                                                                    .timLeft = "L.TIM",
                                                                    .timRight = "R\"x.TIM",
                                                                    .modeTimWav = true}
                                                     << R"(ZARVO.EXE "OUT.WAV" "L.TIM")";
        QTest::newRow("WAV to TIM, mono: NONE quoted in the right name's place")
            << LaunchInput{.wav = "IN.WAV", .timLeft = "L.TIM", .modeWavTim = true}
            << R"(KELDT.EXE "IN.WAV" "L.TIM" "NONE" .0 1)";
        QTest::newRow("B&K: endings added, NONE bare, a negative level")
            << LaunchInput{.wav = "M", .timLeft = "L", .expSpl = "-3", .modeBkTim = true}
            << R"(TOMBRA.EXE "M.WAV" "L.TIM" NONE -3.0 1)";
        QTest::newRow("a filter file unused while the octave filter is off")
            << LaunchInput{.wav = "ROOM._01",
                           .timLeft = "OUT.TIM",
                           .expSpl = "1",
                           .opt44 = true,
                           .filterFileName = "F.DAT",
                           .modeVelmTim = true}
            << R"(pashet.exe "ROOM._01" "OUT.TIM" 1 44100 White )";
        QTest::newRow("both rates: the last one decides; pink for a WAV file")
            << LaunchInput{.wav = "R._01",
                           .timLeft = "O",
                           .expSpl = "12",
                           .opt44 = true,
                           .opt48 = true,
                           .forcePink = true,
                           .modeVelmWav = true}
            << R"(pashet.exe "R._01" "O.WAV" 12 48000 P )";
    }
    void commandLine()
    {
        QFETCH(LaunchInput, input);
        QFETCH(QString, line);
        const LaunchPlan plan = buildLaunch(input);
        QCOMPARE(plan.unsafeName, QString());
        QCOMPARE(plan.command.line(), line);
    }

    // A name the converter would not receive whole inside double quotes is refused, as its field
    // holds it.
    void refusedName_data()
    {
        QTest::addColumn<LaunchInput>("input");
        QTest::addColumn<QString>("refused");
        QTest::newRow("stereo: a double quote in the right name")
            << LaunchInput{.wav = "OUT.WAV",
                           .timLeft = "L.TIM",
                           .timRight = "R\"x.TIM",
                           .stereo = true,
                           .modeTimWav = true}
            << "R\"x.TIM";
        QTest::newRow("a NUL character in a name")
            << LaunchInput{.wav = QString("room") + QChar(0) + "evil._01",
                           .timLeft = "O.WAV",
                           .opt44 = true,
                           .modeVelmWav = true}
            << QString("room") + QChar(0) + "evil._01";
        QTest::newRow("a name ending in a backslash")
            << LaunchInput{.wav = "C:\\d.x\\", .timLeft = "L.TIM", .modeWavTim = true}
            << "C:\\d.x\\";
    }
    void refusedName()
    {
        QFETCH(LaunchInput, input);
        QFETCH(QString, refused);
        QCOMPARE(buildLaunch(input).unsafeName, refused);
    }

    // The converters read "." as the decimal symbol and "," as the grouping one.
    void regionalSettings_data()
    {
        QTest::addColumn<NumberSymbols>("symbols");
        QTest::addColumn<bool>("compatible");
        QTest::newRow("decimal point, grouping comma") << NumberSymbols{".", ","} << true;
        QTest::newRow("decimal comma, grouping point") << NumberSymbols{",", "."} << false;
        QTest::newRow("grouping apostrophe") << NumberSymbols{".", "'"} << false;
    }
    void regionalSettings()
    {
        QFETCH(NumberSymbols, symbols);
        QFETCH(bool, compatible);
        QCOMPARE(regionalSettingsCompatible(symbols), compatible);
    }
};

QTEST_APPLESS_MAIN(TestConverterLogic)
#include "tst_converter_logic.moc"
