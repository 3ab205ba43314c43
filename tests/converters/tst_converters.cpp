// SPDX-License-Identifier: MIT
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The stand-in converters built beside this test: what each refusal prints, and the line it
// records.
class TestConverters : public QObject
{
    Q_OBJECT

private slots:
    // What the printed line names (each mode's accepted line runs end to end elsewhere).
    void refusals_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said");
        QTest::newRow("too few arguments") << "zarvo" << QStringList{"out.wav"} << "got 1 argument";
        QTest::newRow("SPL not a number")
            << "keldt" << QStringList{"in.wav", "l.tim", "NONE", "94.256", "1"}
            << "argument 4 (expected SPL in dB): \"94.256\"";
        QTest::newRow("unknown sampling rate")
            << "pashet" << QStringList{"room._01", "out.tim", "1", "32000", "White"}
            << "argument 4 (sampling rate): \"32000\"";
        QTest::newRow("unknown noise")
            << "pashet" << QStringList{"room._01", "out.tim", "1", "44100", "P"}
            << "argument 5 (noise): \"P\" is not Pink or White";
        QTest::newRow("missing filter file")
            << "pashet" << QStringList{"room._01", "out.tim", "1", "44100", "White", "no.dat"}
            << "argument 6 (octave filter file): \"no.dat\"";
        QTest::newRow("noise where none is taken")
            << "frelio" << QStringList{"room._01", "out.wav", "1", "White"}
            << "argument 4 (noise): \"White\"";
        // Control characters are escaped, so that the record stays one line and reads back as it
        // was.
        QTest::newRow("control characters")
            << "keldt"
            << QStringList{"in.wav", "tab\there", "line\nfeed", "\\\"", QString(QChar(1))}
            << "argument 4 (expected SPL in dB): \"\\\"\"";
    }
    void refusals()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
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
        const QString output = QString::fromUtf8(process.readAll());
        QCOMPARE(output.count(u'\n'), 1);
        QVERIFY2(output.startsWith(program + ": bad request: "), qPrintable(output));
        QVERIFY2(output.contains(said), qPrintable(output));
        // The record: one line.
        QFile record(recordName);
        QVERIFY(record.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = record.readAll().split('\n');
        QCOMPARE(lines.size(), 2);
        const QJsonObject run = QJsonDocument::fromJson(lines.value(0)).object();
        QCOMPARE(run["program"].toString(), program);
        QCOMPARE(run["cwd"].toString(), work);
        QCOMPARE(run["args"].toVariant().toStringList(), args);
    }
};

QTEST_GUILESS_MAIN(TestConverters)
#include "tst_converters.moc"
