#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Runs the stand-in converters built beside this test on good and bad
// argument lists, in a folder holding the input files they may read.
class TestConverters : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void run_data();
    void run();
    void recordsBeforeChecks();
    void unwritableRecord();

private:
    struct Result
    {
        int exitCode = -1;
        QString output;
    };
    Result runConverter(const QString &program, const QStringList &args,
                        const QString &record) const;

    QTemporaryDir m_tmp;
    QString m_work;
    QStringList m_contents;  // what the folder holds before any run
};

void TestConverters::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    QDir root(m_tmp.path());
    QVERIFY(root.mkpath("work/sub"));
    QVERIFY(root.mkpath("work/out folder"));
    m_work = QFileInfo(root.filePath("work")).canonicalFilePath();
    for (const char *name : {"in.wav", "l.tim", "r.tim", "m.dti", "room._01", "f.dat",
                             "out folder/ütfør.tim"}) {
        QFile file(QDir(m_work).filePath(QString::fromUtf8(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("data");
    }
    QDirIterator it(m_work, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        m_contents << it.next();
    m_contents.sort();
}

TestConverters::Result TestConverters::runConverter(const QString &program,
                                                    const QStringList &args,
                                                    const QString &record) const
{
    QProcess process;
    process.setProgram(QDir(QCoreApplication::applicationDirPath()).filePath(program));
    process.setArguments(args);
    process.setWorkingDirectory(m_work);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (record.isEmpty())
        env.remove("BRENVIK_CONVERTER_RECORD");
    else
        env.insert("BRENVIK_CONVERTER_RECORD", record);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    Result result;
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

void TestConverters::run_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("message");  // parts the printed line must hold

    const QString standIn = "stand-in";
    using L = QStringList;

    QTest::newRow("zarvo mono") << "zarvo" << L{"out.wav", "l.tim"} << 0
                                << L{standIn, "mono", "\"l.tim\"", "\"out.wav\""};
    QTest::newRow("zarvo stereo") << "zarvo" << L{"out.wav", "l.tim", "r.tim"} << 0
                                  << L{standIn, "stereo", "\"r.tim\""};
    QTest::newRow("zarvo odd name") << "zarvo" << L{R"(we"ird\name.wav)", "l.tim"} << 0
                                    << L{standIn};
    QTest::newRow("zarvo non-ASCII") << "zarvo" << L{QString::fromUtf8("Résultat 東京.wav"),
                                                     QString::fromUtf8("out folder/ütfør.tim")}
                                     << 0 << L{QString::fromUtf8("ütfør.tim")};
    QTest::newRow("zarvo one argument") << "zarvo" << L{"out.wav"} << 2
                                        << L{"got 1 argument"};
    QTest::newRow("zarvo four arguments") << "zarvo" << L{"out.wav", "l.tim", "r.tim", "x"} << 2
                                          << L{"got 4 arguments"};
    QTest::newRow("zarvo left missing") << "zarvo" << L{"out.wav", "missing.tim"} << 2
                                        << L{"argument 2", "\"missing.tim\""};
    QTest::newRow("zarvo right missing") << "zarvo" << L{"out.wav", "l.tim", "nope.tim"} << 2
                                         << L{"argument 3", "\"nope.tim\""};
    QTest::newRow("zarvo input is a folder") << "zarvo" << L{"out.wav", "sub"} << 2
                                             << L{"argument 2", "\"sub\""};
    QTest::newRow("zarvo output folder missing") << "zarvo" << L{"nodir/out.wav", "l.tim"} << 2
                                                 << L{"argument 1", "\"nodir\""};

    QTest::newRow("keldt mono") << "keldt" << L{"in.wav", "l.tim", "NONE", "100.0", "1"} << 0
                                << L{standIn, "mono", "100.0", "impulse-response"};
    QTest::newRow("keldt stereo scope") << "keldt"
                                        << L{"in.wav", "l2.tim", "r2.tim", "94.25", "0"} << 0
                                        << L{standIn, "stereo", "\"r2.tim\"", "scope"};
    QTest::newRow("keldt SPL .5") << "keldt" << L{"in.wav", "l.tim", "NONE", ".5", "1"} << 0
                                  << L{".5 dB"};
    QTest::newRow("keldt SPL negative") << "keldt" << L{"in.wav", "l.tim", "NONE", "-3.0", "1"}
                                        << 0 << L{"-3.0 dB"};
    QTest::newRow("keldt SPL huge") << "keldt"
                                    << L{"in.wav", "l.tim", "NONE", "1" + QString(300, u'0') + ".0",
                                         "1"}
                                    << 0 << L{standIn};
    QTest::newRow("keldt SPL no decimals") << "keldt" << L{"in.wav", "l.tim", "NONE", "100", "1"}
                                           << 2 << L{"argument 4", "\"100\""};
    QTest::newRow("keldt SPL three decimals") << "keldt"
                                              << L{"in.wav", "l.tim", "NONE", "94.256", "1"} << 2
                                              << L{"argument 4", "\"94.256\""};
    QTest::newRow("keldt SPL comma") << "keldt" << L{"in.wav", "l.tim", "NONE", "94,25", "1"}
                                     << 2 << L{"argument 4", "\"94,25\""};
    QTest::newRow("keldt SPL split sign") << "keldt" << L{"in.wav", "l.tim", "NONE", "-", "1"}
                                          << 2 << L{"argument 4"};
    QTest::newRow("keldt SPL point only") << "keldt" << L{"in.wav", "l.tim", "NONE", ".", "1"}
                                          << 2 << L{"argument 4"};
    QTest::newRow("keldt flag 2") << "keldt" << L{"in.wav", "l.tim", "NONE", "100.0", "2"} << 2
                                  << L{"argument 5", "\"2\""};
    QTest::newRow("keldt four arguments") << "keldt" << L{"in.wav", "l.tim", "100.0", "1"} << 2
                                          << L{"got 4 arguments"};
    QTest::newRow("keldt source missing") << "keldt"
                                          << L{"gone.wav", "l.tim", "NONE", "100.0", "1"} << 2
                                          << L{"argument 1", "\"gone.wav\""};
    QTest::newRow("keldt output is a folder") << "keldt"
                                              << L{"in.wav", "sub", "NONE", "100.0", "1"} << 2
                                              << L{"argument 2", "\"sub\""};
    QTest::newRow("keldt right output folder missing")
        << "keldt" << L{"in.wav", "l.tim", "nodir/r.tim", "100.0", "1"} << 2
        << L{"argument 3", "\"nodir\""};

    QTest::newRow("tombra mono") << "tombra" << L{"m.dti", "l.tim", "NONE", "94.25", "0"} << 0
                                 << L{standIn, "B&K 2133", "mono", "scope"};
    QTest::newRow("tombra stereo") << "tombra" << L{"m.dti", "l.tim", "r.tim", "94.25", "1"} << 0
                                   << L{standIn, "stereo"};
    QTest::newRow("tombra flag word") << "tombra" << L{"m.dti", "l.tim", "NONE", "94.25", "IR"}
                                      << 2 << L{"argument 5", "\"IR\""};

    QTest::newRow("pashet to TIM with filter")
        << "pashet" << L{"room._01", "out.tim", "1", "44100", "White", "f.dat"} << 0
        << L{standIn, ".TIM", "microphone 1", "44100 Hz", "white", "\"f.dat\""};
    QTest::newRow("pashet to WAV pink") << "pashet"
                                        << L{"room._01", "out.wav", "2", "48000", "P"} << 0
                                        << L{standIn, ".WAV", "48000 Hz", "pink", "no filter"};
    QTest::newRow("pashet 22050") << "pashet" << L{"room._01", "OUT.TIM", "3", "22050", "Pink"}
                                  << 0 << L{"22050 Hz"};
    QTest::newRow("pashet no microphone") << "pashet" << L{"room._01", "out.wav", "44100", "W"}
                                          << 0 << L{"microphone (none)", "44100 Hz"};
    QTest::newRow("pashet no microphone filter")
        << "pashet" << L{"room._01", "out.tim", "22050", "Pink", "f.dat"} << 0
        << L{"microphone (none)", "\"f.dat\""};
    QTest::newRow("pashet other ending either pair")
        << "pashet" << L{"room._01", "out.xyz", "1", "44100", "W"} << 0 << L{standIn};
    QTest::newRow("pashet rate 32000") << "pashet"
                                       << L{"room._01", "out.tim", "1", "32000", "White"} << 2
                                       << L{"argument 4", "\"32000\""};
    QTest::newRow("pashet P for TIM") << "pashet" << L{"room._01", "out.tim", "1", "44100", "P"}
                                      << 2 << L{"argument 5", "Pink or White"};
    QTest::newRow("pashet White for WAV") << "pashet"
                                          << L{"room._01", "out.WAV", "1", "44100", "White"} << 2
                                          << L{"argument 5", "P or W"};
    QTest::newRow("pashet microphone decimal") << "pashet"
                                               << L{"room._01", "out.tim", "2.5", "44100", "White"}
                                               << 2 << L{"argument 3", "\"2.5\""};
    QTest::newRow("pashet filter missing")
        << "pashet" << L{"room._01", "out.tim", "1", "44100", "White", "nofilter.dat"} << 2
        << L{"argument 6", "\"nofilter.dat\""};
    QTest::newRow("pashet source missing") << "pashet"
                                           << L{"room._02", "out.tim", "1", "44100", "White"} << 2
                                           << L{"argument 1", "\"room._02\""};
    QTest::newRow("pashet noise missing") << "pashet" << L{"room._01", "out.tim", "1", "44100"}
                                          << 2 << L{"noise word is missing"};
    QTest::newRow("pashet extra after filter")
        << "pashet" << L{"room._01", "out.tim", "44100", "White", "f.dat", "x"} << 2
        << L{"argument 6", "\"x\""};
    QTest::newRow("pashet seven arguments")
        << "pashet" << L{"room._01", "out.tim", "1", "44100", "White", "f.dat", "x"} << 2
        << L{"got 7 arguments"};

    QTest::newRow("frelio") << "frelio" << L{"room._01", "out.wav", "1", "W"} << 0
                            << L{standIn, "binaural", "microphone 1", "white", "no filter"};
    QTest::newRow("frelio filter") << "frelio" << L{"room._01", "out.wav", "12", "P", "f.dat"}
                                   << 0 << L{"pink", "\"f.dat\""};
    QTest::newRow("frelio no microphone") << "frelio" << L{"room._01", "out.wav", "W"} << 0
                                          << L{"microphone (none)"};
    QTest::newRow("frelio long noise word") << "frelio" << L{"room._01", "out.wav", "1", "White"}
                                            << 2 << L{"argument 4", "\"White\""};
    QTest::newRow("frelio microphone word") << "frelio" << L{"room._01", "out.wav", "x", "W"}
                                            << 2 << L{"argument 3", "\"x\""};
    QTest::newRow("frelio filter missing") << "frelio"
                                           << L{"room._01", "out.wav", "1", "W", "none.dat"} << 2
                                           << L{"argument 5", "\"none.dat\""};
    QTest::newRow("frelio six arguments")
        << "frelio" << L{"room._01", "out.wav", "1", "W", "f.dat", "x"} << 2
        << L{"got 6 arguments"};
}

void TestConverters::run()
{
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QStringList, message);

    const QString record = QDir(m_tmp.path()).filePath("record.jsonl");
    QFile::remove(record);
    const Result result = runConverter(program, args, record);

    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.output.endsWith(u'\n') && result.output.count(u'\n') == 1,
             qPrintable(result.output));
    QVERIFY2(result.output.startsWith(program + ": "), qPrintable(result.output));
    if (exitCode != 0)
        QVERIFY2(result.output.contains("bad request"), qPrintable(result.output));
    for (const QString &part : message)
        QVERIFY2(result.output.contains(part), qPrintable(part + " not in: " + result.output));

    // One record line, whatever the outcome.
    QFile file(record);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(1).isEmpty());
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(lines.at(0), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(object.value("program").toString(), program);
    QCOMPARE(object.value("cwd").toString(), m_work);
    QStringList recorded;
    for (const QJsonValue &arg : object.value("args").toArray())
        recorded << arg.toString();
    QCOMPARE(recorded, args);

    // Nothing was created or changed in the folder.
    QStringList contents;
    QDirIterator it(m_work, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        contents << it.next();
    contents.sort();
    QCOMPARE(contents, m_contents);
    QFile input(QDir(m_work).filePath("l.tim"));
    QVERIFY(input.open(QIODevice::ReadOnly));
    QCOMPARE(input.readAll(), QByteArray("data"));
}

// A run with nothing valid still leaves its line, with control characters
// escaped so that the line stays one line.
void TestConverters::recordsBeforeChecks()
{
    const QString record = QDir(m_tmp.path()).filePath("record2.jsonl");
    QFile::remove(record);
    const QStringList args{"line\nfeed", "tab\there", QString(QChar(1)), "", "\\\""};
    QCOMPARE(runConverter("keldt", args, record).exitCode, 2);
    QCOMPARE(runConverter("keldt", {}, record).exitCode, 2);
    QFile file(record);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).contains("line\\nfeed"));
    QVERIFY(lines.at(0).contains("\\u0001"));
    const QJsonArray first = QJsonDocument::fromJson(lines.at(0)).object().value("args").toArray();
    QStringList recorded;
    for (const QJsonValue &arg : first)
        recorded << arg.toString();
    QCOMPARE(recorded, args);
    const QByteArray empty = "{\"program\": \"keldt\", \"cwd\": \"" + m_work.toUtf8()
                           + "\", \"args\": []}";
    QCOMPARE(lines.at(1), empty);
}

// A record that cannot be written is reported but does not stop the run.
void TestConverters::unwritableRecord()
{
    const QString record = QDir(m_tmp.path()).filePath("no folder/record.jsonl");
    const Result result = runConverter("zarvo", {"out.wav", "l.tim"}, record);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.output.contains("cannot append") && result.output.contains(record)
                 && result.output.contains("stand-in"),
             qPrintable(result.output));
    QVERIFY(!QFile::exists(record));
}

QTEST_GUILESS_MAIN(TestConverters)
#include "tst_converters.moc"
