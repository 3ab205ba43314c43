// SPDX-License-Identifier: MIT
// Windows converters started through Wine by the real start path, found by the
// program's own search beside the Linux stand-ins (run_wine_launch_check.sh).

#include "Brenvik.h"
#include "CommandLineBuilder.h"
#include "ConverterStart.h"
#include "PercentCodec.h"
#include "RealHost.h"
#include "RowCheck.h"
#include "TerminalStart.h"
#include "WinCommandLine.h"

#include <QDir>
#include <QJsonArray>
#include <QLineEdit>

#include <unistd.h>

class TestWineStart : public QObject
{
    Q_OBJECT

private slots:
    void messages();
    void everyLaunchCase();
    void statusThroughConsole();
    void openedFiles();
    void endingsInWords();
    void wineRefusals();

private:
    // The script makes these folders and drive d: lead into m_driveD: names below it go on D:, the
    // rest on Z:.
    const QString m_work = qEnvironmentVariable("BRENVIK_TEST_WORK");
    const QString m_driveD = m_work + QStringLiteral("/Brenvik Launch.1"),
                  m_root = m_driveD + QStringLiteral("/Wörk Ü");
};

void TestWineStart::messages()
{
    const QString path = qEnvironmentVariable("PATH"),
                  bin32 = qEnvironmentVariable("BRENVIK_TEST_BIN32");
    const QString wine64Only = qEnvironmentVariable("BRENVIK_TEST_WINE64_ONLY") + u':' + path;
    // keyword, source, PATH, program folder, part of the message ("": none), its title, word size
    // of the Windows stand-in that runs ("": none). Refusals come first, while nothing else of ours
    // runs.
    const struct
    {
        const char *keyword;
        QString wav, path, folder, part;
        const char *title, *bits;
    } rows[] = {
        {"VELMTOWAV", "room._01", m_work, {}, "is a Windows program", "Conversion Error", ""},
        {"VELMTOWAV",
         "hall:one._01",
         path,
         {},
         "The file name " + m_root
             + "/hall:one._01 cannot be handed to the "
               "Windows converter pashet.exe: it holds a character that Windows does not allow",
         "File Specification Error",
         ""},
        {"BKTOTIM", "m.dti", wine64Only, bin32, "\"sudo apt install wine32:i386\"",
         "Conversion Error", ""},
        {"VELMTOWAV",
         "nosub/../room._01",
         path,
         {},
         "the folder that its \"..\" leads from does not exist",
         "File Specification Error",
         ""},
        {"VELMTOWAV",
         "nul._01",
         path,
         {},
         "its part \"nul._01\" is a device name",
         "File Specification Error",
         ""},
        {"VELMTOWAV",
         "Aux/room._01",
         path,
         {},
         "its part \"Aux\" is a device name",
         "File Specification Error",
         ""},
        {"VELMTOWAV",
         "room._01 ",
         path,
         {},
         "its part \"room._01 \" ends in a blank or a dot",
         "File Specification Error",
         ""},
        {"VELMTOWAV",
         "d dot./room._01",
         path,
         {},
         "its part \"d dot.\" ends in a blank or a dot",
         "File Specification Error",
         ""},
        {"VELMTOWAV", "room._01", wine64Only, {}, "", "", "64"},
        {"BKTOTIM", "m.dti", path, bin32, "", "",
         "32"}, // through wine32: a minute and more where emulated
    };
    const QString children = QStringLiteral("/proc/%1/task/%1/children").arg(::getpid());
    for (const auto &r : rows) {
        if (r.bits == QByteArray("32") && qEnvironmentVariable("BRENVIK_TEST_WINE32").isEmpty())
            continue; // the script says why
        const QString row = QString::fromLatin1(r.keyword) + ' ' + r.wav + " with PATH " + r.path;
        const QString recordFile = m_work + QStringLiteral("/row %1.jsonl").arg(&r - rows);
        qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(recordFile));
        qputenv("PATH", QFile::encodeName(r.path));
        TestPlatform platform(QString::fromLatin1(r.keyword), r.folder);
        Brenvik window(platform);
        QVERIFY(window.Form_Load());
        window.findChild<QLineEdit *>("Wav")->setText(m_root + u'/' + r.wav);
        window.findChild<QLineEdit *>("TimLeft")->setText(m_root + "/out");
        window.findChild<QLineEdit *>("TimRight")->setText(m_root + "/right");
        window.Command3D2_Click();
        qputenv("PATH", QFile::encodeName(path));
        // Wine, once started, stays our child for a while.
        ROW_COMPARE(row, readAll(children).isEmpty(), !*r.bits);
        QJsonObject record;
        const int wait = QByteArray(r.bits) == "32" ? 900000 : *r.bits ? 180000 : 0;
        (void)QTest::qWaitFor([&] { return !(record = recordIn(recordFile)).isEmpty(); }, wait);
        ROW_COMPARE(row, record.value("bits").toString(), QString::fromLatin1(r.bits));
        ROW_COMPARE(row, platform.messages.size(), r.part.isEmpty() ? 0 : 1);
        const QStringList message = platform.messages.value(0, {QString(), "48", r.title});
        QVERIFY2(message[0].contains(r.part), qPrintable(row + ": " + message[0]));
        ROW_COMPARE(row, message.mid(1), (QStringList{"48", r.title}));
    }
}

void TestWineStart::everyLaunchCase()
{
    // Each mode with names, absolute and relative, that quoting and translation must get through:
    // on D: and on Z: (also in a folder whose name merely begins as d:'s), to be completed, "..".
    const QStringList sets[] = {
        // source, left, right, filter
        {"hall one/Säle Ørsted è.wav", m_root + "/DATA.1/OUT", "sub/../  r ight",
         m_driveD + "0/Zał ñ 音/ü.dat"},
        {m_root + "/sub dir/a.wav", "DATA.2/links ä", m_driveD + "0/Zał ñ 音/prawy ł.tim",
         "  eq é/ü.dat"},
    };
    // Then lines typed by hand, for the splitting rules the builder never produces: backslashes
    // before quotes, doubled quotes; empty arguments, tabs, trailing blanks; quotes opening
    // mid-argument, lone backslashes, an unterminated quote.
    const QStringList typed = {
        "KELDT.EXE a\\\\\"b c\" d\\\\\\\"e \"f\\\\\" g\\\\\\\\ \"a\"\"b\" \"c\"\"\" \"\"\"d\" "
        "x\"\"y",
        "ZARVO.EXE\t\"\" \"\" x \"\"\ta\t\"b\tc\"   d   \t",
        "TOMBRA.EXE ab\"c d\"ef \"g h\"i j \\ \\\\ C:\\ C:\\a\\ \"C:\\b\\\\\" \"a b\\ c"};
    TestPlatform platform;
    for (int i = 0; i < 5 + typed.size(); ++i) {
        const QString workDir = m_root + QStringLiteral("/case %1").arg(i),
                      recordFile = workDir + "/record.jsonl";
        QVERIFY(QDir().mkpath(workDir + "/sub") && platform.setCurrentDirectory(workDir));
        LaunchInput in;
        in.wav = sets[i % 2][0];
        in.timLeft = sets[i % 2][1];
        in.timRight = sets[i % 2][2];
        in.filterFileName = sets[i % 2][3];
        in.expSpl = "94.25";
        in.stereo = i != 2;
        in.irMode = i != 1;
        in.opt44 = true;
        in.optBin = i == 4;
        in.forcePink = i == 3;
        in.octaveFilter = true;
        in.modeTimWav = i == 0;
        in.modeWavTim = i == 1;
        in.modeBkTim = i == 2;
        in.modeVelmTim = i == 3;
        in.modeVelmWav = i == 4;
        const QString row = i < 5 ? QStringLiteral("mode %1").arg(i) : typed[i - 5];
        const LaunchPlan plan = buildLaunch(in);
        const ConverterCommand command =
            i < 5 ? plan.command
                  : ConverterCommand{splitWindowsCommandLine(row).value(0), {{row, false}}};
        // The line that Wine's starter hands on: the names in Windows form.
        const ConverterStart start = prepareConverterStart(command, platform.executableFolder());
        QVERIFY2(start.refusal.isNull() && start.throughWine,
                 qPrintable(row + ": " + start.refusal.message));
        const QString line = QString::fromStdString(
            percent_codec::decode(start.command.arguments.constLast().toStdString()).value_or(""));
        // What the converter reads must exist, what it writes needs its folder.
        for (const QString &file : {plan.wav, plan.timLeft, plan.timRight, in.filterFileName}) {
            const QString path = QDir::cleanPath(QDir(workDir).absoluteFilePath(file));
            QVERIFY2(QDir().mkpath(QFileInfo(path).absolutePath())
                         && QFile(path).open(QIODevice::WriteOnly),
                     qPrintable(path));
        }
        qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(recordFile));
        QCOMPARE(platform.startConverter(command, QString()).message, QString());
        // Wine starts the converter from the starter, not from us.
        QJsonObject record;
        (void)QTest::qWaitFor([&] { return !(record = recordIn(recordFile)).isEmpty(); }, 180000);
        ROW_COMPARE(row, record.value("cwd").toString(),
                    QStringLiteral("D:\\Wörk Ü\\case %1").arg(i));
        ROW_COMPARE(row, record.value("bits").toString(),
                    QStringLiteral("64")); // the Windows stand-in ran
        ROW_COMPARE(row, record.value("commandLine").toString(), line);
        // The Windows C runtime splits the line as the host's own splitter does.
        ROW_COMPARE(row, record.value("args").toVariant().toStringList(),
                    splitWindowsCommandLine(line).mid(1));
        // The names reached their files.
        ROW_COMPARE(row, i < 5 ? record.value("fault").toString() : QString(), QString());
    }
}

// In a converter's terminal window the starter waits for the Windows converter
// and hands its exit status back (here a refusal); the script's terminal keeps
// what the window would show in a file.
void TestWineStart::statusThroughConsole()
{
    TestPlatform platform;
    const QString bin = platform.executableFolder(), shown = bin + QStringLiteral("/terminal.out");
    QVERIFY(platform.setCurrentDirectory(m_root));
    const ConverterStart start = prepareConverterStart(
        {"pashet.exe", {{"pashet.exe \"gone._01\" \"out.wav\" 1", false}}}, bin);
    QCOMPARE(
        startInTerminalWindow(
            start.command,
            {bin + "/terminal", bin + "/brenvik-console", "pashet.exe", start.throughWine, {}}),
        QString());
    QVERIFY(QTest::qWaitFor([&] { return readAll(shown).contains("Press Enter"); }, 180000));
    QVERIFY2(readAll(shown).contains("pashet.exe ended with status 2.\n"),
             qPrintable(readAll(shown)));
}

// Which file a name reached: the stand-in OPENER.EXE opens its argument through the ANSI code page
// and records the file's first line. Intended files and decoys (where Windows would go without
// Brenvik's care) differ in that line.
void TestWineStart::openedFiles()
{
    const QString other = m_work + "/other", record = m_work + "/opened.jsonl";
    const QString locales = qEnvironmentVariable("BRENVIK_TEST_LOCALES");
    const QStringList files[] = {
        // file, first line
        {m_work + "/target.tim", "intended drive"}, {m_driveD + "/target.tim", "decoy drive"},
        {other + "/x.tim", "intended link"},        {m_root + "/x.tim", "decoy link"},
        {m_root + "/łódź.tim", "intended ł"},       {m_root + "/lódz.tim", "decoy 1252"},
        {m_root + "/Ørsted.tim", "intended Ø"},     {m_root + "/Orsted.tim", "decoy 1250"},
    };
    for (const QStringList &file : files) {
        QFile f(file[0]);
        QVERIFY(QDir().mkpath(QFileInfo(file[0]).path()) && f.open(QIODevice::WriteOnly)
                && f.write(file[1].toUtf8() + "\n") > 0);
    }
    QVERIFY(QDir().mkpath(other + "/sub"));
    QFile::remove(m_root + "/wlink");
    QVERIFY(QFile::link(other + "/sub", m_root + "/wlink"));
    QFile::remove(record);
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));
    qputenv("LOCPATH", QFile::encodeName(locales + ":/usr/lib/locale"));
    TestPlatform platform;
    QVERIFY(platform.setCurrentDirectory(m_root));
    // Refusals first: had they started, their records would come before the last accepted one's.
    // locale, converter, name, first line of the file opened ("" = refused)
    const struct
    {
        const char *locale, *program;
        QString name;
        const char *opened;
    } rows[] = {
        {"C.UTF-8", "OPENER.EXE", "łódź.tim", ""},
        {"pl_PL.UTF-8", "OPENER.EXE", "Ørsted.tim", ""},
        {"C.UTF-8", "OPENER.EXE", m_root + u'/' + QString(258, u'n'),
         ""}, // "D:\\Wörk Ü\\nn...": 268 characters
        {"C.UTF-8", "OPENER.EXE", m_driveD + "/../target.tim", "intended drive"},
        {"C.UTF-8", "OPENER.EXE", "wlink/../x.tim", "intended link"},
        {"C.UTF-8", "OPENUTF8.EXE", "łódź.tim", "intended ł"},
        {"pl_PL.UTF-8", "OPENER.EXE", "łódź.tim", "intended ł"},
        {"pl_PL.UTF-8", "OPENUTF8.EXE", "Ørsted.tim", "intended Ø"},
    };
    int accepted = 0;
    for (const auto &r : rows) {
        if (QByteArray(r.locale) == "pl_PL.UTF-8" && locales.isEmpty())
            continue; // the script says why
        const QString row = QString::fromLatin1(r.locale) + ' ' + r.program + ' ' + r.name;
        qputenv("LC_ALL", r.locale);
        const ConverterCommand command{
            r.program, {{QString::fromLatin1(r.program) + ' ', false}, {r.name, true}}};
        const LaunchRefusal refusal = platform.startConverter(command, QString());
        ROW_COMPARE(row + ": " + refusal.message, refusal.isNull(), *r.opened != 0);
        if (!*r.opened) {
            ROW_COMPARE(row, refusal.title, QStringLiteral("File Specification Error"));
            continue;
        }
        ++accepted;
        (void)QTest::qWaitFor([&] { return readAll(record).count(u'\n') >= accepted; }, 180000);
        const QStringList lines = readAll(record).split(u'\n', Qt::SkipEmptyParts);
        const QJsonObject opened =
            QJsonDocument::fromJson(lines.value(accepted - 1).toUtf8()).object();
        ROW_COMPARE(row, opened.value("program").toString() + ".EXE",
                    QString::fromLatin1(r.program));
        ROW_COMPARE(row, opened.value("opened").toArray().at(0).toString(),
                    QString::fromUtf8(r.opened));
    }
    qputenv("LC_ALL", "C.UTF-8");
    QCOMPARE(readAll(record).count(u'\n'), accepted);
    QVERIFY2(!readAll(record).contains("decoy"), qPrintable(readAll(record)));
    // A GUI program gets no terminal window; the facts come from the cross-built files themselves.
    QCOMPARE(prepareConverterStart({"OPENGUI.EXE", {{"OPENGUI.EXE", false}}},
                                   platform.executableFolder())
                 .gui,
             true);
    QCOMPARE(
        prepareConverterStart({"OPENER.EXE", {{"OPENER.EXE", false}}}, platform.executableFolder())
            .gui,
        false);
}

// In the converter's terminal window, a converter that cannot load, that crashes or that the
// starter cannot start is told in words, with Wine's own line about the missing DLL (WINEDEBUG
// unset).
void TestWineStart::endingsInWords()
{
    TestPlatform platform;
    const QString bin = platform.executableFolder(), shown = bin + QStringLiteral("/terminal.out");
    QVERIFY(platform.setCurrentDirectory(m_root));
    const struct
    {
        const char *line;
        QStringList said;
    } rows[] = {
        {"NEEDDLL.EXE",
         {"NEEDDLL.EXE ended: a DLL it needs is missing (0xC0000135).\n", "Library VELCORE.DLL",
          "not found"}},
        {"OPENER.EXE --crash", {"OPENER.EXE ended: it crashed (access violation, 0xC0000005).\n"}},
        {"BROKEN.EXE",
         {"The program \"BROKEN.EXE\" cannot be started: "}}, // its CreateProcessW fails
    };
    qunsetenv("WINEDEBUG");
    for (const auto &r : rows) {
        QFile::remove(shown);
        const QString program = QString::fromLatin1(r.line).section(u' ', 0, 0);
        const ConverterStart start = prepareConverterStart({program, {{r.line, false}}}, bin);
        QCOMPARE(startInTerminalWindow(
                     start.command,
                     {bin + "/terminal", bin + "/brenvik-console", program, start.throughWine, {}}),
                 QString());
        QVERIFY(QTest::qWaitFor([&] { return readAll(shown).contains("Press Enter"); }, 180000));
        for (const QString &part : r.said)
            QVERIFY2(readAll(shown).contains(part), qPrintable(readAll(shown)));
        QVERIFY2(!readAll(shown).contains("ended with status"), qPrintable(readAll(shown)));
    }
    qputenv("WINEDEBUG", "-all");
}

// What Wine itself would refuse gives a message, and nothing starts.
void TestWineStart::wineRefusals()
{
    const QString p32 = m_work + "/prefix32";
    QVERIFY(QDir().mkpath(p32));
    QFile reg(p32 + "/system.reg");
    QVERIFY(reg.open(QIODevice::WriteOnly)
            && reg.write(
                   "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n")
                   > 0);
    reg.close();
    const QByteArray prefix = qgetenv("WINEPREFIX");
    const QString children = QStringLiteral("/proc/%1/task/%1/children").arg(::getpid());
    const struct
    {
        QByteArray prefix;
        const char *part;
    } rows[] = {
        {"", "WINEPREFIX is set but empty"},
        {"wineprefix", "WINEPREFIX is the relative path \"wineprefix\""},
        {QFile::encodeName(p32), "is a 64-bit program, and the Wine prefix"},
    };
    for (const auto &r : rows) {
        qputenv("WINEPREFIX", r.prefix);
        TestPlatform platform(QStringLiteral("VELMTOWAV"));
        Brenvik window(platform);
        QVERIFY(window.Form_Load());
        window.findChild<QLineEdit *>("Wav")->setText(m_root + "/room._01");
        window.findChild<QLineEdit *>("TimLeft")->setText(m_root + "/out");
        window.Command3D2_Click();
        qputenv("WINEPREFIX", prefix);
        ROW_COMPARE(r.part, readAll(children).isEmpty(), true);
        ROW_COMPARE(r.part, platform.messages.size(), 1);
        QVERIFY2(platform.messages[0][0].contains(r.part), qPrintable(platform.messages[0][0]));
        ROW_COMPARE(r.part, platform.messages[0].mid(1), (QStringList{"48", "Conversion Error"}));
    }
}

QTEST_MAIN(TestWineStart)
#include "tst_wine_start.moc"
