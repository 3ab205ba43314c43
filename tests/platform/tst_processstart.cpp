#include "ProcessStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

// Real detached starts: of the stand-in converters built beside this test,
// and of small scripts that stand for the desktop's helper programs.
class TestProcessStart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startsConverter_data();
    void startsConverter();
    void leavesNoZombie();
    void missingProgram_data();
    void missingProgram();
    void programThatCannotRun();
    void explorerOpensPath_data();
    void explorerOpensPath();
    void explorerMissingPath();
    void explorerWithoutOpener();
    void regionSettingsStarted();
    void regionSettingsAbsent();
    void windowsOnlyStart();

private:
    QString writeScript(const QString &folder, const QString &name);
    QList<QJsonObject> records() const;
    QStringList helperArguments() const;

    QTemporaryDir m_tmp;
    QString m_work;        // current directory of the starts
    QString m_record;      // the stand-ins' record file
    QString m_helperOut;   // where the helper scripts write their arguments
    QString m_helpers;     // a PATH folder holding only the helper scripts
    QString m_emptyPath;   // a PATH folder holding nothing
    QString m_savedCwd;
    QByteArray m_savedPath;
};

QString TestProcessStart::writeScript(const QString &folder, const QString &name)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    // printf is a shell builtin: the script runs with a PATH that has no tools.
    file.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$BRENVIK_TEST_HELPER_OUT\"\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

void TestProcessStart::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    const QDir root(m_tmp.path());
    QVERIFY(root.mkpath("work/Manual"));
    QVERIFY(root.mkpath("my docs/Manual"));
    QVERIFY(root.mkpath("helpers"));
    QVERIFY(root.mkpath("empty"));
    m_work = QFileInfo(root.filePath("work")).canonicalFilePath();
    m_record = root.filePath("record.jsonl");
    m_helperOut = root.filePath("helper-args");
    m_helpers = root.filePath("helpers");
    m_emptyPath = root.filePath("empty");
    for (const char *name : {"work/in.wav", "work/l.tim", "work/room._01", "work/f.dat",
                             "work/Manual/MBrenvik.mht", "my docs/Manual/MBrenvik.mht"}) {
        QFile file(root.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::exists(QDir(QCoreApplication::applicationDirPath()).filePath("keldt")));
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(m_record));
    qputenv("BRENVIK_TEST_HELPER_OUT", QFile::encodeName(m_helperOut));
}

void TestProcessStart::init()
{
    m_savedCwd = QDir::currentPath();
    m_savedPath = qgetenv("PATH");
    QVERIFY(QDir::setCurrent(m_work));
    QFile::remove(m_record);
    QFile::remove(m_helperOut);
}

void TestProcessStart::cleanup()
{
    QDir::setCurrent(m_savedCwd);
    qputenv("PATH", m_savedPath);
    for (const QString &name : QDir(m_helpers).entryList(QDir::Files))
        QFile::remove(QDir(m_helpers).filePath(name));
}

QList<QJsonObject> TestProcessStart::records() const
{
    QList<QJsonObject> result;
    QFile file(m_record);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.isEmpty())
            result << QJsonDocument::fromJson(line).object();
    return result;
}

QStringList TestProcessStart::helperArguments() const
{
    QFile file(m_helperOut);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text.split(u'\n');
}

void TestProcessStart::startsConverter_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");

    QTest::newRow("keldt mono") << R"(KELDT.EXE "in.wav" "L.TIM" "NONE" 100.0 1)" << "keldt"
                                << QStringList{"in.wav", "L.TIM", "NONE", "100.0", "1"};
    QTest::newRow("tombra bare NONE") << R"(TOMBRA.EXE "m.dti" "L.TIM" NONE 94.25 0)" << "tombra"
                                      << QStringList{"m.dti", "L.TIM", "NONE", "94.25", "0"};
    QTest::newRow("zarvo non-ASCII and blanks")
        << QString::fromUtf8(R"(ZARVO.EXE "Résultat 1.wav" "C:\DATA.1\OUT" "東京.tim")")
        << "zarvo"
        << QStringList{QString::fromUtf8("Résultat 1.wav"), R"(C:\DATA.1\OUT)",
                       QString::fromUtf8("東京.tim")};
    QTest::newRow("pashet no microphone") << R"(pashet.exe "room._01" "OUT.TIM"  44100 White "f.dat")"
                                          << "pashet"
                                          << QStringList{"room._01", "OUT.TIM", "44100", "White",
                                                         "f.dat"};
    QTest::newRow("frelio trailing blank") << R"(frelio.exe "room._01" "OUT.WAV" 1 W )" << "frelio"
                                           << QStringList{"room._01", "OUT.WAV", "1", "W"};
}

void TestProcessStart::startsConverter()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, program);
    QFETCH(QStringList, args);

    // The stand-ins lie beside this test, which is the "own folder" here.
    QCOMPARE(startHostCommandLine(commandLine, QCoreApplication::applicationDirPath()), QString());
    QTRY_COMPARE_WITH_TIMEOUT(records().size(), 1, 10000);
    const QJsonObject record = records().constFirst();
    QCOMPARE(record.value("program").toString(), program);
    QCOMPARE(record.value("cwd").toString(), m_work);
    QStringList recorded;
    for (const QJsonValue &arg : record.value("args").toArray())
        recorded << arg.toString();
    QCOMPARE(recorded, args);
}

void TestProcessStart::leavesNoZombie()
{
#ifdef Q_OS_LINUX
    const QString line = R"(ZARVO.EXE "out.wav" "l.tim")";
    QCOMPARE(startHostCommandLine(line, QCoreApplication::applicationDirPath()), QString());
    QCOMPARE(startHostCommandLine(line, QCoreApplication::applicationDirPath()), QString());
    QTRY_COMPARE_WITH_TIMEOUT(records().size(), 2, 10000);
    QTest::qWait(200);
    // A detached child belongs to another parent: none of ours is left over,
    // running or dead.
    const QByteArray self = QByteArray::number(qint64(::getpid()));
    for (const QString &pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat("/proc/" + pid + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        QVERIFY2(fields.size() < 2 || fields.at(1) != self,
                 qPrintable("process " + pid + " is still our child: " + text));
    }
#else
    QSKIP("Needs /proc");
#endif
}

void TestProcessStart::missingProgram_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("named");

    QTest::newRow("unknown converter") << R"(NOSUCH.EXE "in.wav" "l.tim")" << "\"NOSUCH.EXE\"";
    QTest::newRow("folder part missing") << R"("bin\ZARVO.EXE" "out.wav" "l.tim")"
                                         << R"("bin\ZARVO.EXE")";
    QTest::newRow("empty line") << "" << "command line";
    QTest::newRow("blank line") << "   " << "command line";
}

void TestProcessStart::missingProgram()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, named);
    const QString message = startHostCommandLine(commandLine, QCoreApplication::applicationDirPath());
    QVERIFY2(message.contains(named), qPrintable(message));
    QTest::qWait(100);
    QVERIFY(records().isEmpty());
}

void TestProcessStart::programThatCannotRun()
{
    // Executable, but neither a program the kernel can load nor a script.
    const QString path = QDir(m_work).filePath("broken");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(64, '\x01'));
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString message = startHostCommandLine("BROKEN.EXE a", QString());
    QFile::remove(path);
    QVERIFY2(message.contains("\"BROKEN.EXE\"") && message.contains("cannot be started"),
             qPrintable(message));
}

void TestProcessStart::explorerOpensPath_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("opened");

    const QString root = m_tmp.path();
    QTest::newRow("Windows separators") << "Explorer " + root + R"(\work\Manual\MBrenvik.mht)"
                                        << root + "/work/Manual/MBrenvik.mht";
    QTest::newRow("blank in the folder") << "explorer.exe " + root + R"(\my docs\Manual\MBrenvik.mht)"
                                         << root + "/my docs/Manual/MBrenvik.mht";
    QTest::newRow("quoted, relative") << R"(EXPLORER "Manual\MBrenvik.mht")"
                                      << "Manual/MBrenvik.mht";
}

void TestProcessStart::explorerOpensPath()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, opened);
    QVERIFY(!writeScript(m_helpers, "xdg-open").isEmpty());
    qputenv("PATH", QFile::encodeName(m_helpers));
    QCOMPARE(startHostCommandLine(commandLine, QString()), QString());
    QTRY_COMPARE_WITH_TIMEOUT(helperArguments(), QStringList{opened}, 10000);
}

void TestProcessStart::explorerMissingPath()
{
    QVERIFY(!writeScript(m_helpers, "xdg-open").isEmpty());
    qputenv("PATH", QFile::encodeName(m_helpers));
    const QString message = startHostCommandLine(R"(Explorer C:\Nowhere\Manual\MBrenvik.mht)",
                                                 QString());
    QVERIFY2(message.contains("C:/Nowhere/Manual/MBrenvik.mht"), qPrintable(message));
    QTest::qWait(100);
    QVERIFY(helperArguments().isEmpty());
}

void TestProcessStart::explorerWithoutOpener()
{
    qputenv("PATH", QFile::encodeName(m_emptyPath));
    const QString message = startHostCommandLine(R"(Explorer Manual\MBrenvik.mht)", QString());
    QVERIFY2(message.contains("xdg-open") && message.contains("Manual/MBrenvik.mht"),
             qPrintable(message));
}

void TestProcessStart::regionSettingsStarted()
{
    QVERIFY(!writeScript(m_helpers, "gnome-control-center").isEmpty());
    qputenv("PATH", QFile::encodeName(m_helpers));
    QCOMPARE(startHostCommandLine("rundll32.exe shell32.dll,Control_RunDLL intl.cpl", QString()),
             QString());
    QTRY_COMPARE_WITH_TIMEOUT(helperArguments(), QStringList{"region"}, 10000);
}

void TestProcessStart::regionSettingsAbsent()
{
    qputenv("PATH", QFile::encodeName(m_emptyPath));
    const QString message =
        startHostCommandLine("RUNDLL32.EXE shell32.dll,Control_RunDLL INTL.CPL", QString());
    QVERIFY2(message.contains("LC_NUMERIC") && message.contains("\".\"")
                 && message.contains("\",\""),
             qPrintable(message));
}

void TestProcessStart::windowsOnlyStart()
{
#ifdef Q_OS_WIN
    QSKIP("Starts for real on Windows");
#else
    const QString message = startWindowsCommandLine(R"("ZARVO.EXE" "out.wav" "l.tim")", 1);
    QVERIFY2(message.contains("\"ZARVO.EXE\"") && message.contains("only available on Windows"),
             qPrintable(message));
#endif
}

QTEST_GUILESS_MAIN(TestProcessStart)
#include "tst_processstart.moc"
