// SPDX-License-Identifier: MIT
#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// A run of a stand-in and parts of the line it must print.
struct Call { QString program; QStringList args, said; };

// Runs the stand-in converters built beside this test, in a folder holding
// the input files they may read, and reads back the line each run records.
class TestConverters : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_work;
    QString m_record;

    QStringList contents() const
    {
        QStringList found;
        for (QDirIterator it(m_work, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories); it.hasNext();)
            found << it.next() + QString::number(it.fileInfo().size());
        return found;
    }

    // Runs `program`, checks what every run must do, returns its printed line.
    QString run(const QString &program, const QStringList &args, int exitCode)
    {
        QFile::remove(m_record);
        const QStringList before = contents();
        QProcess process;
        process.setWorkingDirectory(m_work);
        process.setEnvironment(QProcess::systemEnvironment() << "BRENVIK_CONVERTER_RECORD=" + m_record);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QDir(QCoreApplication::applicationDirPath()).filePath(program), args);
        if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != exitCode)
            return QStringLiteral("exit code %1 instead of %2").arg(process.exitCode()).arg(exitCode);
        QFile record(m_record);
        const QList<QByteArray> lines = record.open(QIODevice::ReadOnly) ? record.readAll().split('\n') : QList<QByteArray>();
        const QJsonObject object = QJsonDocument::fromJson(lines.value(0)).object();
        const QStringList recorded = object.value("args").toVariant().toStringList();
        if (lines.size() != 2 || object.value("program") != program || object.value("cwd") != m_work || recorded != args)
            return "bad record: " + QString::fromUtf8(lines.value(0));
        if (contents() != before)
            return "the folder changed";
        const QString output = QString::fromUtf8(process.readAll());
        return output.count(u'\n') == 1 && output.startsWith(program + ": ") ? output : "bad output: " + output;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid() && QDir(m_tmp.path()).mkpath("work/out folder"));
        m_work = QFileInfo(m_tmp.filePath("work")).canonicalFilePath();
        m_record = m_tmp.filePath("record.jsonl");
        for (const char *name : {"in.wav", "l.tim", "r.tim", "m.dti", "room._01", "f.dat", "out folder/ütfør.tim"}) {
            QFile file(QDir(m_work).filePath(QString::fromUtf8(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("data") == 4);
        }
    }

    void good_data()
    {
        QTest::addColumn<Call>("c");
        QTest::newRow("zarvo mono") << Call{"zarvo", {"out.wav", "l.tim"}, {"mono", "\"l.tim\"", "\"out.wav\""}};
        QTest::newRow("zarvo stereo") << Call{"zarvo", {"out.wav", "l.tim", "r.tim"}, {"stereo", "\"r.tim\""}};
        QTest::newRow("zarvo odd names") << Call{"zarvo", {"we\"ird\\ Résultat 東京.wav", "out folder/ütfør.tim"}, {"ütfør.tim"}};
        QTest::newRow("keldt mono") << Call{"keldt", {"in.wav", "l.tim", "NONE", "100.0", "1"}, {"mono", "100.0 dB", "impulse-response"}};
        QTest::newRow("keldt stereo") << Call{"keldt", {"in.wav", "l2.tim", "r2.tim", "94.25", "0"}, {"stereo", "\"r2.tim\"", "scope"}};
        QTest::newRow("keldt SPL -3.0") << Call{"keldt", {"in.wav", "l.tim", "NONE", "-3.0", "1"}, {"-3.0 dB"}};
        QTest::newRow("tombra") << Call{"tombra", {"m.dti", "l.tim", "r.tim", "94.25", "1"}, {"B&K 2133", "stereo"}};
        QTest::newRow("pashet TIM, filter") << Call{"pashet", {"room._01", "out.tim", "1", "44100", "White", "f.dat"}, {".TIM", "microphone 1", "44100 Hz", "white", "\"f.dat\""}};
        QTest::newRow("pashet WAV pink") << Call{"pashet", {"room._01", "out.wav", "2", "48000", "P"}, {".WAV", "48000 Hz", "pink", "no filter"}};
        QTest::newRow("pashet 22050, no microphone") << Call{"pashet", {"room._01", "OUT.TIM", "22050", "Pink", "f.dat"}, {"microphone (none)", "22050 Hz", "\"f.dat\""}};
        QTest::newRow("frelio") << Call{"frelio", {"room._01", "out.wav", "1", "W"}, {"binaural", "microphone 1", "white", "no filter"}};
        QTest::newRow("frelio filter, no microphone") << Call{"frelio", {"room._01", "out.wav", "P", "f.dat"}, {"microphone (none)", "pink", "\"f.dat\""}};
    }
    void good()
    {
        QFETCH(Call, c);
        const QString output = run(c.program, c.args, 0);
        for (const QString &part : c.said << "stand-in")
            QVERIFY2(output.contains(part), qPrintable(part + " not in: " + output));
    }

    void bad_data()
    {
        QTest::addColumn<Call>("c");  // the message names the bad argument
        QTest::newRow("zarvo 1 argument") << Call{"zarvo", {"out.wav"}, {"got 1 argument"}};
        QTest::newRow("zarvo right missing") << Call{"zarvo", {"out.wav", "l.tim", "nope.tim"}, {"argument 3 (right .TIM file to read): \"nope.tim\""}};
        QTest::newRow("zarvo no output folder") << Call{"zarvo", {"nodir/out.wav", "l.tim"}, {"argument 1 (.WAV file to write): the folder \"nodir\""}};
        QTest::newRow("keldt SPL 94.256") << Call{"keldt", {"in.wav", "l.tim", "NONE", "94.256", "1"}, {"argument 4 (expected SPL in dB): \"94.256\""}};
        QTest::newRow("keldt flag 2") << Call{"keldt", {"in.wav", "l.tim", "NONE", "100.0", "2"}, {"argument 5 (mode flag): \"2\""}};
        QTest::newRow("pashet rate 32000") << Call{"pashet", {"room._01", "out.tim", "1", "32000", "White"}, {"argument 4 (sampling rate): \"32000\""}};
        QTest::newRow("pashet P for TIM") << Call{"pashet", {"room._01", "out.tim", "1", "44100", "P"}, {"argument 5 (noise): \"P\" is not Pink or White"}};
        QTest::newRow("pashet White for WAV") << Call{"pashet", {"room._01", "out.WAV", "1", "44100", "White"}, {"argument 5 (noise): \"White\" is not P or W"}};
        QTest::newRow("pashet microphone 2.5") << Call{"pashet", {"room._01", "out.tim", "2.5", "44100", "White"}, {"argument 3 (microphone number): \"2.5\""}};
        QTest::newRow("pashet filter missing") << Call{"pashet", {"room._01", "out.tim", "1", "44100", "White", "no.dat"}, {"argument 6 (octave filter file): \"no.dat\""}};
        QTest::newRow("pashet noise missing") << Call{"pashet", {"room._01", "out.tim", "1", "44100"}, {"noise word is missing"}};
        QTest::newRow("pashet after the filter") << Call{"pashet", {"room._01", "out.tim", "44100", "White", "f.dat", "x"}, {"argument 6 (unexpected): \"x\""}};
        QTest::newRow("frelio noise White") << Call{"frelio", {"room._01", "out.wav", "1", "White"}, {"argument 4 (noise): \"White\""}};
    }
    void bad()
    {
        QFETCH(Call, c);
        const QString output = run(c.program, c.args, 2);
        QVERIFY2(output.startsWith(c.program + ": bad request: ") && output.contains(c.said.value(0)), qPrintable(output));
    }

    // Control characters are escaped, so a record stays one line.
    void recordEscapes()
    {
        const QStringList args{"line\nfeed", "tab\there", QString(QChar(1)), "", "\\\""};
        QVERIFY(!run("keldt", args, 2).startsWith("bad record"));
        QFile record(m_record);
        const QByteArray line = record.open(QIODevice::ReadOnly) ? record.readLine() : QByteArray();
        QVERIFY2(line.contains("\"line\\nfeed\", \"tab\\there\", \"\\u0001\", \"\", \"\\\\\\\"\""), line.constData());
        QCOMPARE(run("keldt", {}, 2), "keldt: bad request: expects 5 arguments: source, left .TIM, right .TIM or NONE, expected SPL, 1 or 0, got 0 arguments\n");
    }
};

QTEST_GUILESS_MAIN(TestConverters)
#include "tst_converters.moc"
