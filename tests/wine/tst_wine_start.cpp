// SPDX-License-Identifier: MIT
// Windows converters started through Wine by the real start path, found by the
// program's own search beside the Linux stand-ins (run_wine_launch_check.sh).

#include "Brenvik.h"
#include "CommandLineBuilder.h"
#include "ConverterStart.h"
#include "PercentCodec.h"
#include "RealHost.h"
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
    void messages_data();
    void messages();
    void everyLaunchCase_data();
    void everyLaunchCase();
    void statusThroughConsole();
    void openedFiles_data();
    void openedFiles();
    void endingsInWords_data();
    void endingsInWords();

private:
    // The script makes these folders and drive d: lead into m_driveD: names below it go on D:, the
    // rest on Z:.
    const QString m_work = qEnvironmentVariable("BRENVIK_TEST_WORK");
    const QString m_driveD = m_work + QStringLiteral("/Brenvik Launch.1");
    const QString m_root = m_driveD + QStringLiteral("/Wörk Ü");
};

// Keyword, source, PATH, program folder, part of the message ("": none), its title, word size of
// the Windows stand-in that runs ("": none). Refusals come first, while nothing else of ours runs.
void TestWineStart::messages_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("wav");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("bits");
    QTest::addColumn<QString>("prefix"); // WINEPREFIX, where not "own"
    const auto row = [](const char *tag, const char *keyword, const char *wav, const QString &path,
                        const QString &folder, const QString &part, const char *title,
                        const char *bits = "", const QString &prefix = "own") {
        QTest::newRow(tag) << keyword << wav << path << folder << part << title << bits << prefix;
    };
    const QString path = qEnvironmentVariable("PATH");
    const QString bin32 = qEnvironmentVariable("BRENVIK_TEST_BIN32");
    const QString wine64Only = qEnvironmentVariable("BRENVIK_TEST_WINE64_ONLY") + u':' + path;
    const char *refused = "File Specification Error";
    const char *wineRefused = "Conversion Error";
    row("no Wine", "VELMTOWAV", "room._01", m_work, {}, "is a Windows program", wineRefused);
    // The prefix "prefix32" in the test's folder is 32-bit.
    row("empty prefix", "VELMTOWAV", "room._01", path, {}, "WINEPREFIX is set but empty",
        wineRefused, "", "");
    row("relative prefix", "VELMTOWAV", "room._01", path, {},
        "WINEPREFIX is the relative path \"wineprefix\"", wineRefused, "", "wineprefix");
    row("32-bit prefix", "VELMTOWAV", "room._01", path, {},
        "is a 64-bit program, and the Wine prefix", wineRefused, "", m_work + "/prefix32");
    row("a character Windows does not allow", "VELMTOWAV", "hall:one._01", path, {},
        "The file name " + m_root
            + "/hall:one._01 cannot be handed to the Windows converter pashet.exe: it holds a "
              "character that Windows does not allow",
        refused);
    row("32-bit converter, no wine32", "BKTOTIM", "m.dti", wine64Only, bin32,
        "\"sudo apt install wine32:i386\"", wineRefused);
    row(".. from a folder that is not there", "VELMTOWAV", "nosub/../room._01", path, {},
        "the folder that its \"..\" leads from does not exist", refused);
    row("a device name", "VELMTOWAV", "nul._01", path, {}, "its part \"nul._01\" is a device name",
        refused);
    row("a trailing blank", "VELMTOWAV", "room._01 ", path, {},
        "its part \"room._01 \" ends in a blank or a dot", refused);
    row("64-bit through wine64 alone", "VELMTOWAV", "room._01", wine64Only, {}, "", "", "64");
    // Through wine32: a minute and more where emulated.
    row("32-bit through wine32", "BKTOTIM", "m.dti", path, bin32, "", "", "32");
}

void TestWineStart::messages()
{
    QFETCH(QString, keyword);
    QFETCH(QString, wav);
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QFETCH(QString, part);
    QFETCH(QString, title);
    QFETCH(QString, bits);
    QFETCH(QString, prefix);
    if (bits == "32" && qEnvironmentVariable("BRENVIK_TEST_WINE32").isEmpty())
        QSKIP("no working wine32 (the script says why)");
    static int run = 0;
    const QString recordFile = m_work + QStringLiteral("/messages %1.jsonl").arg(++run);
    const QString children = QStringLiteral("/proc/%1/task/%1/children").arg(::getpid());
    const QString ownPath = qEnvironmentVariable("PATH");
    const QByteArray ownPrefix = qgetenv("WINEPREFIX");
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(recordFile));
    qputenv("PATH", QFile::encodeName(path));
    if (prefix != "own")
        qputenv("WINEPREFIX", QFile::encodeName(prefix));
    TestPlatform platform(keyword, folder);
    Brenvik window(platform);
    QVERIFY(window.Form_Load());
    window.findChild<QLineEdit *>("Wav")->setText(m_root + u'/' + wav);
    window.findChild<QLineEdit *>("TimLeft")->setText(m_root + "/out");
    window.findChild<QLineEdit *>("TimRight")->setText(m_root + "/right");
    window.Command3D2_Click();
    qputenv("PATH", QFile::encodeName(ownPath));
    qputenv("WINEPREFIX", ownPrefix);
    // Wine, once started, stays our child for a while.
    QCOMPARE(readAll(children).isEmpty(), bits.isEmpty());
    QJsonObject record = recordIn(recordFile);
    const int wait = bits == "32" ? 900000 : 180000;
    if (!bits.isEmpty())
        (void)QTest::qWaitFor([&] { return !(record = recordIn(recordFile)).isEmpty(); }, wait);
    QCOMPARE(record.value("bits").toString(), bits);
    if (part.isEmpty()) {
        QCOMPARE(platform.messages, QList<QStringList>());
        return;
    }
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY2(platform.messages[0][0].contains(part), qPrintable(platform.messages[0][0]));
    QCOMPARE(platform.messages[0].mid(1), (QStringList{"48", title}));
}

// Lines the builder makes (mode 0: .TIM to .WAV, 1: .WAV to .TIM) with names, absolute and
// relative, that quoting and translation must get through: on D: and on Z: (also in a folder whose
// name merely begins as d:'s), to be completed, "..". Then lines typed by hand (mode -1), for the
// splitting rules the builder never produces.
void TestWineStart::everyLaunchCase_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("typed");
    QTest::newRow(".TIM to .WAV") << 0 << "";
    QTest::newRow(".WAV to .TIM, impulse response off") << 1 << "";
    QTest::newRow("backslashes before quotes, doubled quotes")
        << -1
        << "KELDT.EXE a\\\\\"b c\" d\\\\\\\"e \"f\\\\\" g\\\\\\\\ \"a\"\"b\" \"c\"\"\" \"\"\"d\" "
           "x\"\"y";
    QTest::newRow("empty arguments, tabs, trailing blanks")
        << -1 << "ZARVO.EXE\t\"\" \"\" x \"\"\ta\t\"b\tc\"   d   \t";
    QTest::newRow("quotes mid-argument, lone backslashes, an open quote")
        << -1 << "TOMBRA.EXE ab\"c d\"ef \"g h\"i j \\ \\\\ C:\\ C:\\a\\ \"C:\\b\\\\\" \"a b\\ c";
}

void TestWineStart::everyLaunchCase()
{
    QFETCH(int, mode);
    QFETCH(QString, typed);
    // Source, left, right, filter.
    const QStringList sets[] = {
        {"hall one/Säle Ørsted è.wav", m_root + "/DATA.1/OUT", "sub/../  r ight",
         m_driveD + "0/Zał ñ 音/ü.dat"},
        {m_root + "/sub dir/a.wav", "DATA.2/links ä", m_driveD + "0/Zał ñ 音/prawy ł.tim",
         "  eq é/ü.dat"},
    };
    static int run = 0;
    const QString folder = QStringLiteral("case %1").arg(run++);
    const QString workDir = m_root + u'/' + folder;
    const QString recordFile = workDir + "/record.jsonl";
    TestPlatform platform;
    QVERIFY(QDir().mkpath(workDir + "/sub"));
    QVERIFY(platform.setCurrentDirectory(workDir));
    ConverterCommand command{splitWindowsCommandLine(typed).value(0), {{typed, false}}};
    if (mode >= 0) {
        const QStringList &set = sets[mode];
        LaunchInput in;
        in.wav = set[0];
        in.timLeft = set[1];
        in.timRight = set[2];
        in.filterFileName = set[3];
        in.expSpl = "94.25";
        in.stereo = true;
        in.irMode = mode != 1;
        in.opt44 = true;
        in.octaveFilter = true;
        in.modeTimWav = mode == 0;
        in.modeWavTim = mode == 1;
        const LaunchPlan plan = buildLaunch(in);
        command = plan.command;
        // What the converter reads must exist, what it writes needs its folder.
        for (const QString &file : {plan.wav, plan.timLeft, plan.timRight, in.filterFileName}) {
            const QString path = QDir::cleanPath(QDir(workDir).absoluteFilePath(file));
            QVERIFY2(QDir().mkpath(QFileInfo(path).absolutePath()), qPrintable(path));
            QVERIFY2(QFile(path).open(QIODevice::WriteOnly), qPrintable(path));
        }
    }
    // The line that Wine's starter hands on: the names in Windows form.
    const ConverterStart start = prepareConverterStart(command, platform.executableFolder());
    QCOMPARE(start.refusal.message, QString());
    QVERIFY(start.throughWine);
    const QString line = QString::fromStdString(
        percent_codec::decode(start.command.arguments.constLast().toStdString()).value_or(""));
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(recordFile));
    QCOMPARE(platform.startConverter(command, QString()).message, QString());
    // Wine starts the converter from the starter, not from us.
    QJsonObject record;
    (void)QTest::qWaitFor([&] { return !(record = recordIn(recordFile)).isEmpty(); }, 180000);
    QCOMPARE(record.value("cwd").toString(), "D:\\Wörk Ü\\" + folder);
    QCOMPARE(record.value("bits").toString(), QStringLiteral("64")); // the Windows stand-in ran
    QCOMPARE(record.value("commandLine").toString(), line);
    // The Windows C runtime splits the line as the host's own splitter does.
    QCOMPARE(record.value("args").toVariant().toStringList(), splitWindowsCommandLine(line).mid(1));
    // The names reached their files.
    if (mode >= 0)
        QCOMPARE(record.value("fault").toString(), QString());
}

// In a converter's terminal window the starter waits for the Windows converter
// and hands its exit status back (here a refusal); the script's terminal keeps
// what the window would show in a file.
void TestWineStart::statusThroughConsole()
{
    TestPlatform platform;
    const QString bin = platform.executableFolder();
    const QString shown = bin + QStringLiteral("/terminal.out");
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
// Brenvik's care) differ in that line. Locale, converter, name, the first line of the file opened.
void TestWineStart::openedFiles_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("opened");
    const auto row = [](const char *tag, const char *locale, const char *program,
                        const QString &name, const char *opened) {
        QTest::newRow(tag) << locale << program << name << opened;
    };
    row(".. out of a drive's folder", "C.UTF-8", "OPENER.EXE", m_driveD + "/../target.tim",
        "intended drive");
    row(".. after a linked folder", "C.UTF-8", "OPENER.EXE", "wlink/../x.tim", "intended link");
    row("a UTF-8 manifest", "C.UTF-8", "OPENUTF8.EXE", "łódź.tim", "intended ł");
    row("Polish letters in 1250", "pl_PL.UTF-8", "OPENER.EXE", "łódź.tim", "intended ł");
    row("a UTF-8 manifest under 1250", "pl_PL.UTF-8", "OPENUTF8.EXE", "Ørsted.tim", "intended Ø");
}

void TestWineStart::openedFiles()
{
    QFETCH(QString, locale);
    QFETCH(QString, program);
    QFETCH(QString, name);
    QFETCH(QString, opened);
    const QString locales = qEnvironmentVariable("BRENVIK_TEST_LOCALES");
    if (locale == "pl_PL.UTF-8" && locales.isEmpty())
        QSKIP("no pl_PL locale (the script says why)");
    const QString other = m_work + "/other";
    const QString record = m_work + "/opened.jsonl";
    const QStringList files[] = {
        // file, first line
        {m_work + "/target.tim", "intended drive"}, {m_driveD + "/target.tim", "decoy drive"},
        {other + "/x.tim", "intended link"},        {m_root + "/x.tim", "decoy link"},
        {m_root + "/łódź.tim", "intended ł"},       {m_root + "/lódz.tim", "decoy 1252"},
        {m_root + "/Ørsted.tim", "intended Ø"},     {m_root + "/Orsted.tim", "decoy 1250"},
    };
    for (const QStringList &file : files) {
        QFile f(file[0]);
        QVERIFY(QDir().mkpath(QFileInfo(file[0]).path()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write(file[1].toUtf8() + "\n") > 0);
    }
    QVERIFY(QDir().mkpath(other + "/sub"));
    QFile::remove(m_root + "/wlink");
    QVERIFY(QFile::link(other + "/sub", m_root + "/wlink"));
    QFile::remove(record);
    qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(record));
    qputenv("LOCPATH", QFile::encodeName(locales + ":/usr/lib/locale"));
    TestPlatform platform;
    QVERIFY(platform.setCurrentDirectory(m_root));
    qputenv("LC_ALL", locale.toLatin1());
    const ConverterCommand command{program, {{program + ' ', false}, {name, true}}};
    const LaunchRefusal refusal = platform.startConverter(command, QString());
    qputenv("LC_ALL", "C.UTF-8");
    QCOMPARE(refusal.message, QString());
    (void)QTest::qWaitFor([&] { return readAll(record).contains(u'\n'); }, 180000);
    const QJsonObject run = QJsonDocument::fromJson(readAll(record).toUtf8()).object();
    QCOMPARE(run.value("program").toString() + ".EXE", program);
    QCOMPARE(run.value("opened").toArray().at(0).toString(), opened);
    // One start, one record.
    QTest::qWait(1000);
    QCOMPARE(readAll(record).count(u'\n'), 1);
}

// In the converter's terminal window, a converter that cannot load, that crashes or that the
// starter cannot start is told in words, with Wine's own line about the missing DLL (WINEDEBUG
// unset).
void TestWineStart::endingsInWords_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("said");
    QTest::newRow("a DLL missing") << "NEEDDLL.EXE"
                                   << QStringList{"NEEDDLL.EXE ended: a DLL it needs is missing "
                                                  "(0xC0000135).\n",
                                                  "Library VELCORE.DLL", "not found"};
    QTest::newRow("a crash")
        << "OPENER.EXE --crash"
        << QStringList{"OPENER.EXE ended: it crashed (access violation, 0xC0000005).\n"};
    // Its CreateProcessW fails.
    QTest::newRow("not startable")
        << "BROKEN.EXE" << QStringList{"The program \"BROKEN.EXE\" cannot be started: "};
}

void TestWineStart::endingsInWords()
{
    QFETCH(QString, line);
    QFETCH(QStringList, said);
    TestPlatform platform;
    const QString bin = platform.executableFolder();
    const QString shown = bin + QStringLiteral("/terminal.out");
    QVERIFY(platform.setCurrentDirectory(m_root));
    QFile::remove(shown);
    const QString program = line.section(u' ', 0, 0);
    qunsetenv("WINEDEBUG");
    const ConverterStart start = prepareConverterStart({program, {{line, false}}}, bin);
    const QString failure = startInTerminalWindow(
        start.command,
        {bin + "/terminal", bin + "/brenvik-console", program, start.throughWine, {}});
    qputenv("WINEDEBUG", "-all");
    QCOMPARE(failure, QString());
    QVERIFY(QTest::qWaitFor([&] { return readAll(shown).contains("Press Enter"); }, 180000));
    for (const QString &part : said)
        QVERIFY2(readAll(shown).contains(part), qPrintable(readAll(shown)));
    QVERIFY2(!readAll(shown).contains("ended with status"), qPrintable(readAll(shown)));
}

QTEST_MAIN(TestWineStart)
#include "tst_wine_start.moc"
