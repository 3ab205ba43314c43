#include "FieldRules.h"

#include <QTest>

class TestFieldRules : public QObject
{
    Q_OBJECT

private slots:
    void adaptExtension_data();
    void adaptExtension();
    void checkResultName_data();
    void checkResultName();
    void completion_data();
    void completion();
    void workDir_data();
    void workDir();
    void keyword_data();
    void keyword();
};

void TestFieldRules::adaptExtension_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty stays") << "" << "tim" << "wav" << true << "";
    QTest::newRow("other ending replaced") << "Room.WAV" << "tim" << "wav" << true << "room.tim";
    QTest::newRow("other ending, case kept") << "Room.WAV" << "tim" << "wav" << false << "Room.tim";
    QTest::newRow("to wav") << "Room.WAV" << "wav" << "tim" << true << "room.wav";
    QTest::newRow("wanted ending lower-cased") << "Room.TIM" << "tim" << "wav" << true << "room.tim";
    QTest::newRow("wanted ending kept as typed") << "Room.TIM" << "tim" << "wav" << false << "Room.TIM";
    QTest::newRow("foreign ending cleared") << "room.txt" << "tim" << "wav" << true << "";
    QTest::newRow("foreign ending cleared, case-sensitive") << "room.txt" << "tim" << "wav" << false << "";
    QTest::newRow("two letters cleared") << "ab" << "tim" << "wav" << true << "";
    QTest::newRow("no dot needed") << "roomwav" << "tim" << "wav" << true << "roomtim";
    QTest::newRow("exactly wav") << "wav" << "tim" << "wav" << true << "tim";
    QTest::newRow("exactly WAV, case-sensitive") << "WAV" << "tim" << "wav" << false << "tim";
    QTest::newRow("non-ASCII kept") << "Säle/Raum.wav" << "tim" << "wav" << false << "Säle/Raum.tim";
    QTest::newRow("non-ASCII lowered") << "C:\\SÄLE\\RAUM.WAV" << "tim" << "wav" << true << "c:\\säle\\raum.tim";
}

void TestFieldRules::adaptExtension()
{
    QFETCH(QString, text);
    QFETCH(QString, wanted);
    QFETCH(QString, other);
    QFETCH(bool, ignoreCase);
    QFETCH(QString, expected);
    QCOMPARE(::adaptExtension(text, wanted, other, ignoreCase), expected);
}

void TestFieldRules::checkResultName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << "" << true << "";
    QTest::newRow("result name lowered") << "Hall._1A" << true << "hall._1a";
    QTest::newRow("result name kept") << "Hall._1A" << false << "Hall._1A";
    QTest::newRow("underscore not third-last") << "hall._1" << true << "";
    QTest::newRow("wav cleared") << "hall.wav" << true << "";
    QTest::newRow("short text, underscore first") << "_a" << true << "_a";
    QTest::newRow("short text, no underscore") << "ab" << true << "";
}

void TestFieldRules::checkResultName()
{
    QFETCH(QString, text);
    QFETCH(bool, ignoreCase);
    QFETCH(QString, expected);
    QCOMPARE(::checkResultName(text, ignoreCase), expected);
}

void TestFieldRules::completion_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no extension") << "OUT" << "OUT.WAV";
    QTest::newRow("has extension") << "OUT.wav" << "OUT.wav";
    QTest::newRow("any extension") << "A.B" << "A.B";
    QTest::newRow("leading dot does not count") << ".X" << ".X.WAV";
    QTest::newRow("dot in folder counts") << "C:\\DATA.1\\OUT" << "C:\\DATA.1\\OUT";
    QTest::newRow("parent folder") << "..\\x.tim" << "..\\x.tim.WAV";
    QTest::newRow("blanks only") << "   " << "   .WAV";
    QTest::newRow("dot second") << "a.b\\c" << "a.b\\c";
}

void TestFieldRules::completion()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(completeName(name, u".WAV"), expected);
}

void TestFieldRules::workDir_data()
{
    QTest::addColumn<QString>("exeFolder");
    QTest::addColumn<bool>("ignoreCase");
    QTest::addColumn<QString>("expected");

    QTest::newRow("users folder") << "C:\\USERS\\USER1\\DESKTOP\\TOOL" << true << "c:\\velmora2";
    QTest::newRow("users folder, lower case") << "c:\\users\\user1\\desktop\\tool" << true << "c:\\velmora2";
    QTest::newRow("other drive") << "D:\\USERS\\TOOL" << true << "D:\\USERS\\TOOL";
    QTest::newRow("only five characters") << "C:\\USB-KIT" << true << "c:\\velmora2";
    QTest::newRow("software") << "c:\\Software\\x" << true << "c:\\velmora2";
    QTest::newRow("program files upper-cased") << "C:\\Program Files\\Conv" << true << "C:\\PROGRAM FILES\\CONV";
    QTest::newRow("posix path keeps its case") << "/home/ann/Brenvik" << false << "/home/ann/Brenvik";
    QTest::newRow("prefix test is case-blind everywhere") << "c:\\us" << false << "c:\\velmora2";
}

void TestFieldRules::workDir()
{
    QFETCH(QString, exeFolder);
    QFETCH(bool, ignoreCase);
    QFETCH(QString, expected);
    QCOMPARE(deriveWorkDir(exeFolder, ignoreCase), expected);
}

void TestFieldRules::keyword_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<int>("mode");

    QTest::newRow("none") << "" << int(ConversionMode::VelmWav);
    QTest::newRow("timtowav lower") << "timtowav" << int(ConversionMode::TimWav);
    QTest::newRow("WAVTOTIM") << "WAVTOTIM" << int(ConversionMode::WavTim);
    QTest::newRow("BkToTim") << "BkToTim" << int(ConversionMode::BkTim);
    QTest::newRow("VELMTOTIM") << "VELMTOTIM" << int(ConversionMode::VelmTim);
    QTest::newRow("VELMTOWAV") << "VELMTOWAV" << int(ConversionMode::VelmWav);
    QTest::newRow("extra word") << "TIMTOWAV X" << int(ConversionMode::VelmWav);
    QTest::newRow("leading blank") << " TIMTOWAV" << int(ConversionMode::VelmWav);
    QTest::newRow("unknown") << "HELP" << int(ConversionMode::VelmWav);
}

void TestFieldRules::keyword()
{
    QFETCH(QString, argument);
    QFETCH(int, mode);
    QCOMPARE(int(modeForKeyword(argument)), mode);
}

QTEST_APPLESS_MAIN(TestFieldRules)
#include "tst_fieldrules.moc"
