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

class TestLaunchEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void everyMode()
    {
        QTemporaryDir data;
        // Names with blanks and non-ASCII letters travel through the quoting.
        const QString src = data.filePath(QStringLiteral("Säle Messung/hall one")), filter = data.filePath("eq curve.DAT");
        QVERIFY(QDir().mkpath(QFileInfo(src).absolutePath()));
        const QString record = data.filePath(QStringLiteral("record.jsonl"));
        qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));
        // Fields and expected arguments: "@" is the source stem, "%" the output folder, "$" the filter file.
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
            auto expand = [&](const char *s) { return QString::fromLatin1(s).replace(u'@', src).replace(u'%', out.path()).replace(u'$', filter); };
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
                w.findChild<QLineEdit *>(f[0])->setText(expand(f[1]));
            filterFileName = r.filter ? filter : QString();
            w.findChild<QLabel *>("Label2")->setText(r.filter ? QStringLiteral("\u221A") : QString());
            QTest::mouseClick(w.findChild<QWidget *>("Command3D2"), Qt::LeftButton);

            // The start never waits: the record arrives later, one line per converter started.
            QByteArray text;
            for (QDeadlineTimer deadline(10000); !deadline.hasExpired() && !text.endsWith('\n'); QTest::qWait(20))
                if (QFile f(record); f.open(QIODevice::ReadOnly))
                    text = f.readAll();
            const QJsonObject got = QJsonDocument::fromJson(text).object();
            QStringList args;
            for (const QJsonValue &v : got.value("args").toArray())
                args << v.toString();
            const QString row = QStringLiteral("%1 %2").arg(r.keyword, r.clicks);
            ROW_COMPARE(row, QStringLiteral("%1 %2 %3").arg(platform.messages.size()).arg(text.count('\n')).arg(got.value("program").toString()),
                        QStringLiteral("0 1 ") + r.program);
            ROW_COMPARE(row, got.value("cwd").toString(), QDir(w.workDir).canonicalPath());
            ROW_COMPARE(row, args, expand(r.args).split(u'|'));
            ROW_COMPARE(row, QDir(out.path()).isEmpty(), true);  // stand-ins never write
        }
        filterFileName.clear();
    }
};

QTEST_MAIN(TestLaunchEndToEnd)
#include "tst_launch_e2e.moc"
