// SPDX-License-Identifier: MIT
// Windows converters started through Wine by the real start path, as an
// installed Brenvik starts them: this program runs from a folder that holds,
// like Brenvik's own folder, the Linux stand-ins, the Windows stand-ins
// (ZARVO.EXE ... frelio.exe) and the starters, and the program's own search
// must pick the Windows ones. Each Windows stand-in records its raw command
// line, which must be the built line with its names in Windows form, byte
// for byte. Run by run_wine_launch_check.sh, which makes that folder, the
// Wine prefix and a wineserver that lasts for the whole run.

#include "Brenvik.h"
#include "CommandLineBuilder.h"
#include "QtPlatform.h"
#include "WinCommandLine.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <unistd.h>

namespace {

// The real host; messages are recorded instead of shown, and the program's
// folder can be another one.
class TestPlatform : public QtPlatform
{
public:
    explicit TestPlatform(const QString &keyword = {}) : QtPlatform(keyword) {}
    int messageBox(const QString &prompt, int style, const QString &title) override
    {
        messages << QStringList{prompt, QString::number(style), title};
        return MsgBox::AnswerOk;
    }
    QString executableFolder() const override
    {
        return folder.isEmpty() ? QtPlatform::executableFolder() : folder;
    }

    QList<QStringList> messages;
    QString folder;
};

QString env(const char *name)
{
    return qEnvironmentVariable(name);
}

// Our children still running or not yet reaped; the program reaps them
// while events run.
int childCount()
{
    QCoreApplication::processEvents();
    QFile list(QStringLiteral("/proc/%1/task/%1/children").arg(::getpid()));
    if (!list.open(QIODevice::ReadOnly))
        return 0;
    return int(QString::fromLatin1(list.readAll()).split(u' ', Qt::SkipEmptyParts).size());
}

bool waitForChildren(int atMost, int seconds)
{
    for (QDeadlineTimer deadline(seconds * 1000); !deadline.hasExpired(); QThread::msleep(20))
        if (childCount() <= atMost)
            return true;
    return false;
}

// The complete record lines of `file`, each as a JSON object, once `count`
// have arrived or `seconds` have passed. Wine starts a converter from the
// starter, not from us, so it may still run after our children have ended.
QList<QJsonObject> awaitRecords(int count, int seconds, const QString &file = env("BRENVIK_CONVERTER_RECORD"))
{
    QList<QJsonObject> got;
    for (QDeadlineTimer deadline(seconds * 1000);; QThread::msleep(50)) {
        QCoreApplication::processEvents();
        QFile f(file);
        QByteArray text = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        text.truncate(text.lastIndexOf('\n') + 1);
        got.clear();
        for (const QByteArray &line : text.split('\n'))
            if (!line.trimmed().isEmpty())
                got << QJsonDocument::fromJson(line).object();
        if (got.size() >= count || deadline.hasExpired())
            return got;
    }
}

// The line with its quoted names as the converter must see them, by plain
// text rules: names below the folder of drive d: on D:, other absolute
// names on Z:, "\" for "/" throughout.
QString windowsLine(const QString &line, const QString &driveD)
{
    static const QRegularExpression quotedName(QStringLiteral("\"([^\"]*)\""));
    QString out;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &m : quotedName.globalMatch(line)) {
        QString name = m.captured(1);
        if (name.startsWith(driveD + u'/'))
            name = QStringLiteral("D:") + name.mid(driveD.size());
        else if (name.startsWith(u'/'))
            name = QStringLiteral("Z:") + name;
        out += line.mid(done, m.capturedStart(1) - done) + name.replace(u'/', u'\\');
        done = m.capturedEnd(1);
    }
    return out + line.mid(done);
}

QString role(const QString &program)
{
    return program.toLower().chopped(4);
}

struct LaunchCase { QString name; LaunchInput in; };

// Each mode with names a user might type, chosen for what the quoting and
// the name translation must get through: blanks, dots in folders, letters
// beyond ASCII, leading blanks, "..", absolute names (below `root`), names
// left to be completed. Each mode's sub-cases reach the Linux stand-ins in
// tst_launch_e2e; their lines are the builder's table.
QList<LaunchCase> launchCases(const QString &root)
{
    const QStringList sets[] = {  // label, source, left, right, filter
        {"completed", "IN", "L", "R", "F.DAT"},
        {"relative", "hall one/Säle Ørsted è.wav", "DATA.2/links ä", "sub/../  r ight", "  eq é/ü.dat"},
        {"absolute", root + "/sub dir/a.wav", root + "/DATA.1/OUT", root + "/Zał ñ 音/prawy ł.tim", root + "/EQ.1/F"},
    };
    QList<LaunchCase> cases;
    for (const QStringList &s : sets) {
        for (int mode = 0; mode < 5; ++mode) {
            LaunchInput in;
            in.wav = s[1], in.timLeft = s[2], in.timRight = s[3], in.filterFileName = s[4];
            in.expSpl = "94.25", in.stereo = mode != 2, in.irMode = mode != 1, in.opt44 = true;
            in.optBin = mode == 4, in.forcePink = mode == 3, in.octaveFilter = true;
            (mode == 0 ? in.modeTimWav : mode == 1 ? in.modeWavTim : mode == 2 ? in.modeBkTim
             : mode == 3 ? in.modeVelmTim : in.modeVelmWav) = true;
            cases << LaunchCase{QStringLiteral("mode %1, %2").arg(mode).arg(s[0]), in};
        }
    }
    return cases;
}

// Lines typed by hand for the splitting rules the builder never produces.
const QList<QPair<QString, QString>> rawLaunchLines = {
    {"raw: backslashes before a quote", "KELDT.EXE a\\\\\"b c\" d\\\\\\\"e \"f\\\\\" g\\\\\\\\"},
    {"raw: doubled quote inside quotes", "KELDT.EXE \"a\"\"b\" \"c\"\"\" \"\"\"d\" x\"\"y"},
    {"raw: empty arguments", "ZARVO.EXE \"\" \"\" x \"\""},
    {"raw: tabs and trailing blanks", "ZARVO.EXE\ta\t\"b\tc\"   d   \t"},
    {"raw: quote opens mid-argument", "TOMBRA.EXE ab\"c d\"ef \"g h\"i j"},
    {"raw: unterminated quote", "frelio.exe \"a b\\ c"},
    {"raw: lone backslashes", "pashet.exe \\ \\\\ C:\\ C:\\a\\ \"C:\\b\\\\\""},
};

} // namespace

class TestWineStart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyLaunchCase();
    void messages();
    void cleanupTestCase();

private:
    QString m_work, m_driveD, m_root;
};

void TestWineStart::initTestCase()
{
    m_work = env("BRENVIK_TEST_WORK");
    QVERIFY2(!m_work.isEmpty() && !env("WINEPREFIX").isEmpty() && !env("BRENVIK_CONVERTER_RECORD").isEmpty(),
             "run by run_wine_launch_check.sh");
    // Drive d: leads into the work folder: names below it go on D:, the rest
    // on Z:, and a folder whose name merely begins the same stays on Z:.
    m_driveD = m_work + QStringLiteral("/Brenvik Launch.1");
    m_root = m_driveD + QStringLiteral("/Wörk Ü");
    QDir(m_work).removeRecursively();
    QVERIFY(QDir().mkpath(m_root) && QDir().mkpath(m_work + QStringLiteral("/Brenvik Launch.10")));
    const QString link = env("WINEPREFIX") + QStringLiteral("/dosdevices/d:");
    QFile::remove(link);
    QVERIFY(QFile::link(m_driveD, link));
    QFile::remove(env("BRENVIK_CONVERTER_RECORD"));
}

void TestWineStart::cleanupTestCase()
{
    QFile::remove(env("WINEPREFIX") + QStringLiteral("/dosdevices/d:"));
}

void TestWineStart::everyLaunchCase()
{
    QList<LaunchCase> cases = launchCases(m_root);
    LaunchCase trap;  // beside d:'s folder, not in it
    trap.name = QStringLiteral("results->tim beside the folder of d:");
    trap.in.modeVelmTim = trap.in.opt44 = true;
    trap.in.wav = m_work + QStringLiteral("/Brenvik Launch.10/room._01");
    trap.in.timLeft = QStringLiteral("out");
    trap.in.expSpl = QStringLiteral("1");
    cases << trap;
    const int builtCases = int(cases.size());
    const auto &raw = rawLaunchLines;

    struct Expected { QString name, program, line; };
    QMap<QString, Expected> expected;  // by the converter's current folder, in Windows form
    TestPlatform platform;
    for (int i = 0; i < builtCases + raw.size(); ++i) {
        const bool built = i < builtCases;
        const QString name = built ? cases[i].name : raw[i - builtCases].first;
        const QString workDir = m_root + QStringLiteral("/case %1").arg(i);
        QVERIFY(QDir().mkpath(workDir));
        QString line = built ? QString() : raw[i - builtCases].second;
        QString program = splitWindowsCommandLine(line).value(0);
        if (built) {
            const LaunchInput &in = cases[i].in;
            const LaunchPlan plan = buildLaunch(in);
            // What the converter reads must exist; what it writes needs its folder.
            const QStringList inputs = in.modeTimWav ? QStringList{plan.timLeft, plan.timRight}
                                                     : QStringList{plan.wav, in.filterFileName};
            for (const QString &file : inputs + QStringList{plan.wav, plan.timLeft, plan.timRight}) {
                if (file.isEmpty())
                    continue;
                // "sub/../x" names "x" for Windows, whether "sub" exists or not.
                const QString path = QDir::cleanPath(QDir(workDir).absoluteFilePath(file));
                QVERIFY2(QDir().mkpath(QFileInfo(path).absolutePath()), qPrintable(path));
                if (inputs.contains(file))
                    QVERIFY2(QFile(path).open(QIODevice::WriteOnly), qPrintable(path));
            }
            line = plan.commandLine;
            program = plan.program;
        }
        QVERIFY(platform.setCurrentDirectory(workDir));
        const FoundProgram found = platform.findConverter(program);
        QVERIFY2(found.error.isEmpty() && found.wineDrives, qPrintable(name + ": " + found.error));
        QString windowsLineBuilt = line;
        if (built) {
            LaunchInput in = cases[i].in;
            in.wineDrives = found.wineDrives;
            const LaunchPlan plan = buildLaunch(in);
            QVERIFY2(plan.untranslatableName.isEmpty(), qPrintable(name + ": " + plan.untranslatableName));
            windowsLineBuilt = plan.commandLine;
        }
        // A few Wine processes at a time: each takes a share of the machine.
        QVERIFY2(waitForChildren(1, 120), "started converters do not end");
        // A record file for each case: no two converters append to one file.
        qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(workDir + QStringLiteral("/record.jsonl")));
        const QString error = platform.startConverter(found, windowsLineBuilt, QString());
        QVERIFY2(error.isEmpty(), qPrintable(name + ": " + error));
        expected.insert(QStringLiteral("D:\\Wörk Ü\\case %1").arg(i),
                        {name, role(program), built ? windowsLine(line, m_driveD) : line});
    }
    QVERIFY2(waitForChildren(0, 300), "started converters do not end");

    int checked = 0;
    QDeadlineTimer deadline(180000);
    for (int i = 0; i < builtCases + raw.size(); ++i) {
        const QString file = m_root + QStringLiteral("/case %1/record.jsonl").arg(i);
        const QList<QJsonObject> got = awaitRecords(1, int(deadline.remainingTime() / 1000), file);
        const QString cwd = QStringLiteral("D:\\Wörk Ü\\case %1").arg(i);
        QVERIFY2(got.size() == 1, qPrintable(QString::number(got.size()) + " runs for " + expected.value(cwd).name));
        const QJsonObject &record = got[0];
        QCOMPARE(record.value("cwd").toString(), cwd);
        const Expected e = expected.take(cwd);
        const QString row = e.name + " (" + cwd + ")";
        // Only a Windows build records the raw line and its word size.
        QVERIFY2(record.contains("commandLine"), qPrintable(row + ": the Linux stand-in ran"));
        QCOMPARE(record.value("program").toString(), e.program);
        QVERIFY2(record.value("commandLine").toString() == e.line,
                 qPrintable(row + "\n  got:      " + record.value("commandLine").toString()
                            + "\n  expected: " + e.line));
        // The Windows C runtime splits the line as the host's own splitter does.
        QStringList args;
        for (const QJsonValue &arg : record.value("args").toArray())
            args << arg.toString();
        QCOMPARE(args, splitWindowsCommandLine(e.line).mid(1));
        QCOMPARE(record.value("bits").toString(), QStringLiteral("64"));
        // The names reached their files: a fault may only concern a number.
        const QString fault = record.value("fault").toString();
        if (!e.name.startsWith(QLatin1String("raw:")))
            QVERIFY2(!fault.contains("does not exist") && !fault.contains("cannot be")
                         && !fault.contains("not a file name"),
                     qPrintable(row + ": " + fault));
        ++checked;
    }
    qInfo("%d converters started through Wine, each with its exact line", checked);
}

void TestWineStart::messages()
{
    // A Wine without its 32-bit part: a wrapper as Debian's, a 64-bit loader.
    const QString wine64Only = m_work + QStringLiteral("/wine64 only");
    QVERIFY(QDir().mkpath(wine64Only + "/bin") && QDir().mkpath(wine64Only + "/lib/wine"));
    QFile wrapper(wine64Only + "/bin/wine");
    QVERIFY(wrapper.open(QIODevice::WriteOnly)
            && wrapper.write("#!/bin/sh\nexec \"$(dirname \"$0\")/../lib/wine/wine64\" \"$@\"\n") > 0
            && wrapper.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    wrapper.close();
    QVERIFY(QFile::link(env("BRENVIK_TEST_WINE64_LOADER"), wine64Only + "/lib/wine/wine64"));
    const QString noWine = m_work + QStringLiteral("/no wine");
    QVERIFY(QDir().mkpath(noWine));
    const QString path = env("PATH");

    // keyword, source, PATH, program folder, parts of the message ("" none), title, word size of
    // the Windows stand-in that must run
    const struct { const char *keyword; QString wav; QString path, folder; QStringList parts; const char *title;
                   const char *bits = ""; } rows[] = {
        {"VELMTOWAV", m_root + "/room._01", noWine, {},
         {"\"pashet.exe\"", "is a Windows program", "\"sudo apt install wine\""}, "Conversion Error"},
        {"VELMTOWAV", m_root + "/hall:one._01", path, {},
         {"The file name " + m_root + "/hall:one._01 cannot be handed to the Windows converter pashet.exe",
          "a character that Windows does not allow"}, "File Specification Error"},
        {"BKTOTIM", m_root + "/m.dti", wine64Only + "/bin:" + path, env("BRENVIK_TEST_BIN32"),
         {"\"TOMBRA.EXE\"", "is a 32-bit Windows program", "\"sudo dpkg --add-architecture i386\"",
          "\"sudo apt install wine32:i386\""}, "Conversion Error"},
        {"VELMTOWAV", m_root + "/room._01", wine64Only + "/bin:" + path, {}, {""}, "", "64"},  // 64-bit runs there
        {"BKTOTIM", m_root + "/m.dti", path, env("BRENVIK_TEST_BIN32"), {""}, "", "32"},  // through wine32
    };
    const QString recordFile = env("BRENVIK_CONVERTER_RECORD");
    int rowNumber = 0;
    for (const auto &r : rows) {
        const bool bits32 = QByteArray(r.bits) == "32";
        if (bits32 && env("BRENVIK_TEST_WINE32") != QLatin1String("1")) {
            qInfo("No 32-bit Windows stand-in is run: this computer has no working wine32");
            continue;
        }
        // A record file for each row: converters of earlier starts may still run.
        qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(recordFile + QString::number(++rowNumber)));
        qputenv("PATH", QFile::encodeName(r.path));
        TestPlatform platform(QString::fromLatin1(r.keyword));
        platform.folder = r.folder;
        Brenvik window(platform);
        QVERIFY(window.Form_Load());
        window.findChild<QLineEdit *>("Wav")->setText(r.wav);
        window.findChild<QLineEdit *>("TimLeft")->setText(m_root + "/out");
        window.findChild<QLineEdit *>("TimRight")->setText(m_root + "/right");
        window.Command3D2_Click();
        qputenv("PATH", QFile::encodeName(path));
        const QString row = QString::fromLatin1(r.keyword) + ' ' + r.wav + " with PATH " + r.path;
        if (r.parts == QStringList{""}) {
            QVERIFY2(platform.messages.isEmpty(), qPrintable(row + ": " + platform.messages.value(0).value(0)));
            // A 32-bit start may be emulated here: a minute and more.
            const QList<QJsonObject> got = awaitRecords(1, bits32 ? 900 : 120);
            QVERIFY2(got.size() == 1 && got[0].value("bits").toString() == QLatin1String(r.bits),
                     qPrintable(row + ": " + QString::number(got.size()) + " records, bits "
                                + got.value(0).value("bits").toString()));
            continue;
        }
        QVERIFY2(platform.messages.size() == 1, qPrintable(row));
        const QStringList message = platform.messages[0];
        for (const QString &part : r.parts)
            QVERIFY2(message[0].contains(part), qPrintable(row + ": " + message[0]));
        QCOMPARE(message[1], QStringLiteral("48"));
        QCOMPARE(message[2], QString::fromLatin1(r.title));
        QVERIFY2(waitForChildren(0, 60) && awaitRecords(1, 2).isEmpty(), qPrintable(row + ": a converter ran"));
    }
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(recordFile));
}

QTEST_MAIN(TestWineStart)
#include "tst_wine_start.moc"
