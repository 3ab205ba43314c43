// SPDX-License-Identifier: MIT
#include "RowCheck.h"

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
    void refusals()
    {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid() && QDir(tmp.path()).mkpath("work"));
        const QString work = QFileInfo(tmp.filePath("work")).canonicalFilePath();
        const QString recordName = tmp.filePath("record.jsonl");
        for (const char *name : {"in.wav", "room._01"}) {
            QFile file(QDir(work).filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("data") == 4);
        }
        // program, arguments, what the printed line names (each mode's accepted line runs end to
        // end elsewhere)
        const struct
        {
            QString program;
            QStringList args;
            QString said;
        } rows[] = {
            {"zarvo", {"out.wav"}, "got 1 argument"},
            {"keldt",
             {"in.wav", "l.tim", "NONE", "94.256", "1"},
             "argument 4 (expected SPL in dB): \"94.256\""},
            {"pashet",
             {"room._01", "out.tim", "1", "32000", "White"},
             "argument 4 (sampling rate): \"32000\""},
            {"pashet",
             {"room._01", "out.tim", "1", "44100", "P"},
             "argument 5 (noise): \"P\" is not Pink or White"},
            {"pashet",
             {"room._01", "out.tim", "1", "44100", "White", "no.dat"},
             "argument 6 (octave filter file): \"no.dat\""},
            {"frelio", {"room._01", "out.wav", "1", "White"}, "argument 4 (noise): \"White\""},
            // Control characters are escaped, so that the record stays one line and reads back as
            // it was.
            {"keldt",
             {"in.wav", "tab\there", "line\nfeed", "\\\"", QString(QChar(1))},
             "argument 4 (expected SPL in dB): \"\\\"\""},
        };
        for (const auto &r : rows) {
            QFile::remove(recordName);
            QProcess process;
            process.setWorkingDirectory(work);
            process.setEnvironment(QProcess::systemEnvironment()
                                   << "BRENVIK_CONVERTER_RECORD=" + recordName);
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.start(QDir(QCoreApplication::applicationDirPath()).filePath(r.program), r.args);
            ROW_COMPARE(r.said,
                        process.waitForFinished(10000)
                            && process.exitStatus() == QProcess::NormalExit,
                        true);
            ROW_COMPARE(r.said, process.exitCode(), 2);
            QFile record(recordName);
            const QList<QByteArray> lines = record.open(QIODevice::ReadOnly)
                                                ? record.readAll().split('\n')
                                                : QList<QByteArray>();
            const QJsonObject run = QJsonDocument::fromJson(lines.value(0)).object();
            ROW_COMPARE(lines.value(0),
                        lines.size() == 2 && run["program"] == r.program && run["cwd"] == work
                            && run["args"].toVariant().toStringList() == r.args,
                        true);
            const QString output = QString::fromUtf8(process.readAll());
            ROW_COMPARE(output,
                        output.count(u'\n') == 1 && output.startsWith(r.program + ": bad request: ")
                            && output.contains(r.said),
                        true);
        }
    }
};

QTEST_GUILESS_MAIN(TestConverters)
#include "tst_converters.moc"
