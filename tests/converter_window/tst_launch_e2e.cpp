// "OK - Convert!" end to end: the real window, the real detached start and
// the stand-in converters, which record what arrived.

#include "Brenvik.h"
#include "FakePlatform.h"
#include "Module1.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Record
{
    QString program;
    QString cwd;
    QStringList args;
};

// Waits until the record file holds `count` lines; the start never waits.
QList<Record> waitForRecords(const QString &file, int count)
{
    QList<Record> records;
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QFile f(file);
        if (f.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> lines = f.readAll().split('\n');
            records.clear();
            for (const QByteArray &line : lines) {
                if (line.trimmed().isEmpty())
                    continue;
                const QJsonObject o = QJsonDocument::fromJson(line).object();
                QStringList args;
                for (const QJsonValue &v : o.value("args").toArray())
                    args << v.toString();
                records.append({o.value("program").toString(), o.value("cwd").toString(), args});
            }
            if (records.size() >= count)
                return records;
        }
        QTest::qWait(20);
    }
    return records;
}

} // namespace

class TestLaunchEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void everyMode_data();
    void everyMode();
    void twoClicksTwoProcesses();
    void missingConverterIsReported();

private:
    QTemporaryDir m_data;
    QString m_record;
    QString m_source, m_filter;
};

void TestLaunchEndToEnd::initTestCase()
{
    QVERIFY(m_data.isValid());
    // Names with blanks and non-ASCII letters travel through the quoting.
    m_source = m_data.filePath(QStringLiteral("Säle Messung/hall one"));
    QVERIFY(QDir().mkpath(QFileInfo(m_source).absolutePath()));
    for (const char *ext : {".wav", ".dti", "._01", ".TIM", ".R.TIM"}) {
        QFile f(m_source + ext);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    m_filter = m_data.filePath(QStringLiteral("eq curve.DAT"));
    QFile f(m_filter);
    QVERIFY(f.open(QIODevice::WriteOnly));
    m_record = m_data.filePath(QStringLiteral("record.jsonl"));
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(m_record));
}

void TestLaunchEndToEnd::init()
{
    QFile::remove(m_record);
    filterFileName.clear();
}

void TestLaunchEndToEnd::everyMode_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QStringList>("clicks");    // options to click, in order
    QTest::addColumn<QStringList>("fields");    // Wav, TimLeft, TimRight, ExpSPL
    QTest::addColumn<bool>("filter");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");      // "@" stands for the source stem, "%" for the output folder

    const QString out = QStringLiteral("%/out");
    QTest::newRow("tim->wav stereo") << "TIMTOWAV" << QStringList() << QStringList{out + ".wav", "@.TIM", "@.R.TIM", ""}
        << false << "zarvo" << QStringList{"%/out.wav", "@.TIM", "@.R.TIM"};
    QTest::newRow("tim->wav mono") << "TIMTOWAV" << QStringList{"MonoOpt"} << QStringList{out + ".wav", "@.TIM", "", ""}
        << false << "zarvo" << QStringList{"%/out.wav", "@.TIM"};
    QTest::newRow("wav->tim mono IR") << "WAVTOTIM" << QStringList{"MonoOpt"} << QStringList{"@.wav", out, "", "94.256"}
        << false << "keldt" << QStringList{"@.wav", "%/out.TIM", "NONE", "94.26", "1"};
    QTest::newRow("wav->tim stereo scope") << "WAVTOTIM" << QStringList{"StereoOpt", "Scopemode"}
        << QStringList{"@.wav", out + ".tim", out + "R", "100"}
        << false << "keldt" << QStringList{"@.wav", "%/out.tim", "%/outR.TIM", "100.0", "0"};
    QTest::newRow("bk mono") << "BKTOTIM" << QStringList{"MonoOpt"} << QStringList{"@.dti", out, "", ".5"}
        << false << "tombra" << QStringList{"@.dti", "%/out.TIM", "NONE", ".5", "1"};
    QTest::newRow("bk stereo") << "BKTOTIM" << QStringList{"StereoOpt"} << QStringList{"@.dti", out, out + "R", "abc"}
        << false << "tombra" << QStringList{"@.dti", "%/out.TIM", "%/outR.TIM", ".0", "1"};
    QTest::newRow("sim->tim 48k filter") << "VELMTOTIM" << QStringList{"Opt48"} << QStringList{"@._01", out, "", "2"}
        << true << "pashet" << QStringList{"@._01", "%/out.TIM", "2", "48000", "White", "$"};
    QTest::newRow("sim->wav 44.1k pink") << "VELMTOWAV" << QStringList{"Opt44", "Label3"} << QStringList{"@._01", out, "", "1"}
        << false << "pashet" << QStringList{"@._01", "%/out.WAV", "1", "44100", "P"};
    QTest::newRow("sim->wav binaural filter") << "VELMTOWAV" << QStringList{"OptBin"} << QStringList{"@._01", out, "", "3"}
        << true << "frelio" << QStringList{"@._01", "%/out.WAV", "3", "W", "$"};
    QTest::newRow("sim->wav no microphone") << "VELMTOWAV" << QStringList() << QStringList{"@._01", out, "", ""}
        << false << "pashet" << QStringList{"@._01", "%/out.WAV", "44100", "W"};
}

void TestLaunchEndToEnd::everyMode()
{
    QFETCH(QString, keyword);
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, fields);
    QFETCH(bool, filter);
    QFETCH(QString, program);
    QFETCH(QStringList, args);

    QTemporaryDir outDir;
    auto expand = [&](QString s) {
        return s.replace(u'@', m_source).replace(u'%', outDir.path()).replace(u'$', m_filter);
    };
    FakePlatform platform;
    platform.realStart = true;
    platform.exeFolder = QCoreApplication::applicationDirPath();
    platform.arguments = keyword;
    Brenvik w(platform);
    QVERIFY(w.Form_Load());
    for (const QString &name : std::as_const(clicks))
        QTest::mouseClick(w.findChild<QWidget *>(name), Qt::LeftButton);
    const char *names[] = {"Wav", "TimLeft", "TimRight", "ExpSPL"};
    for (int i = 0; i < 4; ++i)
        w.findChild<QLineEdit *>(names[i])->setText(expand(fields[i]));
    if (filter) {
        filterFileName = m_filter;
        w.findChild<QLabel *>("Label2")->setText(QStringLiteral("\u221A"));
    }

    QTest::mouseClick(w.findChild<QWidget *>("Command3D2"), Qt::LeftButton);
    // Only force pink's note may have been shown, before the click.
    QCOMPARE(platform.messages.size(), clicks.contains(QStringLiteral("Label3")) ? 1 : 0);
    const QList<Record> records = waitForRecords(m_record, 1);
    QCOMPARE(records.size(), 1);
    QCOMPARE(records[0].program, program);
    QCOMPARE(records[0].cwd, QDir(w.workDir).canonicalPath());
    QStringList expected;
    for (const QString &a : std::as_const(args))
        expected << expand(a);
    QCOMPARE(records[0].args, expected);
    QVERIFY(QDir(outDir.path()).isEmpty());  // stand-ins never write
}

void TestLaunchEndToEnd::twoClicksTwoProcesses()
{
    FakePlatform platform;
    platform.realStart = true;
    platform.exeFolder = QCoreApplication::applicationDirPath();
    platform.arguments = QStringLiteral("WAVTOTIM");
    Brenvik w(platform);
    QVERIFY(w.Form_Load());
    QTest::mouseClick(w.findChild<QWidget *>("MonoOpt"), Qt::LeftButton);
    w.findChild<QLineEdit *>("Wav")->setText(m_source + ".wav");
    w.findChild<QLineEdit *>("TimLeft")->setText(m_data.filePath("o"));
    QTest::mouseClick(w.findChild<QWidget *>("Command3D2"), Qt::LeftButton);
    QTest::mouseClick(w.findChild<QWidget *>("Command3D2"), Qt::LeftButton);
    const QList<Record> records = waitForRecords(m_record, 2);
    QCOMPARE(records.size(), 2);
    QCOMPARE(records[0].args, records[1].args);
}

void TestLaunchEndToEnd::missingConverterIsReported()
{
    QTemporaryDir emptyBin;
    FakePlatform platform;
    platform.realStart = true;
    platform.exeFolder = emptyBin.path();  // no converter beside the program
    platform.arguments = QStringLiteral("TIMTOWAV");
    Brenvik w(platform);
    QVERIFY(w.Form_Load());
    const qsizetype savedPath = qgetenv("PATH").size();
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    w.findChild<QLineEdit *>("Wav")->setText("a.wav");
    w.findChild<QLineEdit *>("TimLeft")->setText("b.tim");
    w.findChild<QLineEdit *>("TimRight")->setText("c.tim");
    QTest::mouseClick(w.findChild<QWidget *>("Command3D2"), Qt::LeftButton);
    qputenv("PATH", path);
    QCOMPARE(qgetenv("PATH").size(), savedPath);
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].style, 48);
    QVERIFY2(platform.messages[0].prompt.contains(QStringLiteral("ZARVO.EXE")),
             qPrintable(platform.messages[0].prompt));
    QCOMPARE(w.findChild<QLineEdit *>("Wav")->text(), QStringLiteral("a.wav"));
    QVERIFY(!QFile::exists(m_record));
}

QTEST_MAIN(TestLaunchEndToEnd)
#include "tst_launch_e2e.moc"
