// SPDX-License-Identifier: MIT
#include "RowCheck.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Runs the stand-in converters built beside this test, in a folder holding
// the input files they may read, and reads back the line each run records.
class TestConverters : public QObject
{
    Q_OBJECT
    QTemporaryDir m_tmp;
    QString m_work, m_record;

    // Runs `program` and checks what every run must do: record one line and print one.
    // Returns that line, or what went wrong.
    QString run(const QString &program, const QStringList &args, int exitCode)
    {
        QFile::remove(m_record);
        QProcess process;
        process.setWorkingDirectory(m_work);
        process.setEnvironment(QProcess::systemEnvironment() << "BRENVIK_CONVERTER_RECORD=" + m_record);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QDir(QCoreApplication::applicationDirPath()).filePath(program), args);
        if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != exitCode)
            return QStringLiteral("exit code %1 instead of %2").arg(process.exitCode()).arg(exitCode);
        QFile record(m_record);
        const QList<QByteArray> lines = record.open(QIODevice::ReadOnly) ? record.readAll().split('\n') : QList<QByteArray>();
        const QJsonObject run = QJsonDocument::fromJson(lines.value(0)).object();
        const QString output = QString::fromUtf8(process.readAll());
        if (lines.size() != 2 || run["program"] != program || run["cwd"] != m_work || run["args"].toVariant().toStringList() != args)
            return "bad record: " + QString::fromUtf8(lines.value(0));
        return output.count(u'\n') == 1 && output.startsWith(program + ": ") ? output : "bad output: " + output;
    }

private slots:
    void runs()
    {
        QVERIFY(m_tmp.isValid() && QDir(m_tmp.path()).mkpath("work/out folder"));
        m_work = QFileInfo(m_tmp.filePath("work")).canonicalFilePath();
        m_record = m_tmp.filePath("record.jsonl");
        for (const char *name : {"in.wav", "l.tim", "r.tim", "m.dti", "room._01", "f.dat", "out folder/ütfør.tim"}) {
            QFile file(QDir(m_work).filePath(QString::fromUtf8(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("data") == 4);
        }
        // program, arguments, exit code, parts of the printed line (a refusal names the bad argument);
        // every mode's accepted line runs end to end elsewhere
        const struct { QString program; QStringList args; int exitCode; QStringList said; } rows[] = {
            {"zarvo", {"we\"ird\\ Résultat 東京.wav", "out folder/ütfør.tim"}, 0, {"mono", "ütfør.tim", "stand-in"}},
            {"keldt", {"in.wav", "l2.tim", "r2.tim", "94.25", "0"}, 0, {"stereo", "\"r2.tim\"", "scope"}},
            {"tombra", {"m.dti", "l.tim", "r.tim", "94.25", "1"}, 0, {"B&K 2133", "stereo"}},
            {"pashet", {"room._01", "out.tim", "1", "44100", "White", "f.dat"}, 0, {".TIM", "microphone 1", "white", "\"f.dat\""}},
            {"frelio", {"room._01", "out.wav", "P", "f.dat"}, 0, {"binaural", "microphone (none)", "pink", "\"f.dat\""}},
            {"zarvo", {"out.wav"}, 2, {"bad request: ", "got 1 argument"}},
            {"keldt", {"in.wav", "l.tim", "NONE", "94.256", "1"}, 2, {"argument 4 (expected SPL in dB): \"94.256\""}},
            {"pashet", {"room._01", "out.tim", "1", "32000", "White"}, 2, {"argument 4 (sampling rate): \"32000\""}},
            {"pashet", {"room._01", "out.tim", "1", "44100", "P"}, 2, {"argument 5 (noise): \"P\" is not Pink or White"}},
            {"pashet", {"room._01", "out.tim", "1", "44100", "White", "no.dat"}, 2, {"argument 6 (octave filter file): \"no.dat\""}},
            {"frelio", {"room._01", "out.wav", "1", "White"}, 2, {"argument 4 (noise): \"White\""}},
        };
        for (const auto &r : rows) {
            const QString output = run(r.program, r.args, r.exitCode);
            for (const QString &part : r.said)
                ROW_COMPARE(output, output.contains(part), true);
        }
        // Control characters are escaped, so that a record stays one line and reads back as it was.
        const QString escaped = run("keldt", {"line\nfeed", "tab\there", QString(QChar(1)), "", "\\\""}, 2);
        QVERIFY2(!escaped.startsWith("bad record"), qPrintable(escaped));
    }
};

QTEST_GUILESS_MAIN(TestConverters)
#include "tst_converters.moc"
