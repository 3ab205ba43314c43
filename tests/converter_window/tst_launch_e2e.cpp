// SPDX-License-Identifier: MIT
// "OK - Convert!" end to end: the real window, the real detached start and
// the stand-in converters, which record what arrived.

#include "Brenvik.h"
#include "FakePlatform.h"
#include "Module1.h"
#include "RowCheck.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The record lines once `count` have arrived (the start itself never waits).
QList<QJsonObject> waitForRecords(const QString &file, int count)
{
    QList<QJsonObject> records;
    for (QDeadlineTimer deadline(10000); !deadline.hasExpired(); QTest::qWait(20)) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        records.clear();
        for (const QByteArray &line : f.readAll().split('\n'))
            if (!line.trimmed().isEmpty())
                records << QJsonDocument::fromJson(line).object();
        if (records.size() >= count)
            break;
    }
    return records;
}

QStringList strings(const QJsonValue &array)
{
    QStringList list;
    for (const QJsonValue &v : array.toArray())
        list << v.toString();
    return list;
}

} // namespace

class TestLaunchEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void everyMode();
};

void TestLaunchEndToEnd::everyMode()
{
    QTemporaryDir data;
    // Names with blanks and non-ASCII letters travel through the quoting.
    const QString src = data.filePath(QStringLiteral("Säle Messung/hall one"));
    QVERIFY(QDir().mkpath(QFileInfo(src).absolutePath()));
    for (const char *ext : {".wav", ".dti", "._01", ".TIM", ".R.TIM"}) {
        QFile f(src + QLatin1String(ext));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QString filter = data.filePath(QStringLiteral("eq curve.DAT"));
    QFile(filter).open(QIODevice::WriteOnly);
    const QString record = data.filePath(QStringLiteral("record.jsonl"));
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));

    // Fields and expected arguments: "@" is the source stem, "%" the output
    // folder, "$" the filter file.
    const struct { const char *keyword, *clicks, *wav, *left, *right, *spl; bool filter; const char *program, *args; } rows[] = {
        {"TIMTOWAV", "", "%/out.wav", "@.TIM", "@.R.TIM", "", false, "zarvo", "%/out.wav|@.TIM|@.R.TIM"},
        {"TIMTOWAV", "MonoOpt", "%/out.wav", "@.TIM", "", "", false, "zarvo", "%/out.wav|@.TIM"},
        {"WAVTOTIM", "MonoOpt", "@.wav", "%/out", "", "94.256", false, "keldt", "@.wav|%/out.TIM|NONE|94.26|1"},
        {"WAVTOTIM", "StereoOpt Scopemode", "@.wav", "%/o.tim", "%/r", "100", false, "keldt", "@.wav|%/o.tim|%/r.TIM|100.0|0"},
        {"BKTOTIM", "MonoOpt", "@.dti", "%/out", "", ".5", false, "tombra", "@.dti|%/out.TIM|NONE|.5|1"},
        {"BKTOTIM", "StereoOpt", "@.dti", "%/o", "%/r", "abc", false, "tombra", "@.dti|%/o.TIM|%/r.TIM|.0|1"},
        {"VELMTOTIM", "Opt48", "@._01", "%/out", "", "2", true, "pashet", "@._01|%/out.TIM|2|48000|White|$"},
        {"VELMTOWAV", "Opt44 Label3", "@._01", "%/out", "", "1", false, "pashet", "@._01|%/out.WAV|1|44100|P"},
        {"VELMTOWAV", "OptBin", "@._01", "%/out", "", "3", true, "frelio", "@._01|%/out.WAV|3|W|$"},
        {"VELMTOWAV", "", "@._01", "%/out", "", "", false, "pashet", "@._01|%/out.WAV|44100|W"},
    };
    for (const auto &r : rows) {
        QFile::remove(record);
        QTemporaryDir out;
        auto expand = [&](QString s) {
            return s.replace(u'@', src).replace(u'%', out.path()).replace(u'$', filter);
        };
        FakePlatform platform;
        platform.realStart = true;
        platform.exeFolder = QCoreApplication::applicationDirPath();
        platform.arguments = r.keyword;
        Brenvik w(platform);
        QVERIFY(w.Form_Load());
        for (const QString &name : QString::fromLatin1(r.clicks).split(u' ', Qt::SkipEmptyParts))
            QTest::mouseClick(w.findChild<QWidget *>(name), Qt::LeftButton);
        platform.messages.clear();  // force pink's note
        const char *fields[][2] = {{"Wav", r.wav}, {"TimLeft", r.left}, {"TimRight", r.right}, {"ExpSPL", r.spl}};
        for (const auto &f : fields)
            w.findChild<QLineEdit *>(f[0])->setText(expand(QString::fromLatin1(f[1])));
        filterFileName = r.filter ? filter : QString();
        w.findChild<QLabel *>("Label2")->setText(r.filter ? QStringLiteral("\u221A") : QString());

        QTest::mouseClick(w.findChild<QWidget *>("Command3D2"), Qt::LeftButton);
        const QString row = QStringLiteral("%1 %2").arg(r.keyword, r.clicks);
        ROW_COMPARE(row, platform.messages.size(), 0);
        const QList<QJsonObject> records = waitForRecords(record, 1);
        ROW_COMPARE(row, records.size(), 1);
        ROW_COMPARE(row, records[0].value("program").toString(), QString::fromLatin1(r.program));
        ROW_COMPARE(row, records[0].value("cwd").toString(), QDir(w.workDir).canonicalPath());
        ROW_COMPARE(row, strings(records[0].value("args")), expand(QString::fromLatin1(r.args)).split(u'|'));
        ROW_COMPARE(row, QDir(out.path()).isEmpty(), true);  // stand-ins never write
    }
    filterFileName.clear();
}

QTEST_MAIN(TestLaunchEndToEnd)
#include "tst_launch_e2e.moc"
