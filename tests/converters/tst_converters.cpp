// SPDX-License-Identifier: MIT
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The stand-in converters built beside this test: what each refusal prints, and the line it
// records. Each mode's accepted line runs end to end in the converter window's tests.
class TestConverters : public QObject
{
    Q_OBJECT

private slots:
    void refusals_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("fault");
        QTest::newRow("an argument too few")
            << "zarvo" << QStringList{"out.wav"}
            << "expects 2 arguments (mono) or 3 (stereo): .WAV to write, left .TIM, right .TIM, "
               "got 1 argument";
        QTest::newRow("a level with three decimals")
            << "keldt" << QStringList{"in.wav", "l.tim", "NONE", "94.256", "1"}
            << "argument 4 (expected SPL in dB): \"94.256\" is not a number with one or two "
               "decimals";
        QTest::newRow("binaural takes W or P")
            << "frelio" << QStringList{"room._01", "out.wav", "1", "White"}
            << "argument 4 (noise): \"White\" is not P or W";
        // Control characters are escaped, so that the record stays one line and reads back as it
        // was.
        QTest::newRow("control characters in the arguments")
            << "keldt"
            << QStringList{"in.wav", "tab\there", "line\nfeed", "\\\"", QString(QChar(1))}
            << "argument 4 (expected SPL in dB): \"\\\"\" is not a number with one or two "
               "decimals";
    }
    void refusals()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QString, fault);
        QTemporaryDir tmp;
        QVERIFY(QDir(tmp.path()).mkpath("work"));
        const QString work = QFileInfo(tmp.filePath("work")).canonicalFilePath();
        const QString recordName = tmp.filePath("record.jsonl");
        for (const char *name : {"in.wav", "room._01"}) {
            QFile file(QDir(work).filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write("data"), 4);
        }
        QProcess process;
        process.setWorkingDirectory(work);
        process.setEnvironment(QProcess::systemEnvironment()
                               << "BRENVIK_CONVERTER_RECORD=" + recordName);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QDir(QCoreApplication::applicationDirPath()).filePath(program), args);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 2);
        QCOMPARE(QString::fromUtf8(process.readAll()), program + ": bad request: " + fault + "\n");
        QFile record(recordName);
        QVERIFY(record.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = record.readAll().split('\n');
        QCOMPARE(lines.size(), 2);
        const QJsonObject run = QJsonDocument::fromJson(lines[0]).object();
        QCOMPARE(run["program"].toString(), program);
        QCOMPARE(run["cwd"].toString(), work);
        QCOMPARE(run["args"].toVariant().toStringList(), args);
        QCOMPARE(run["fault"].toString(), fault);
    }
};

QTEST_GUILESS_MAIN(TestConverters)
#include "tst_converters.moc"
