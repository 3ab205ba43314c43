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
#include <QLineEdit>

#include <unistd.h>

class TestWineStart : public QObject
{
    Q_OBJECT

private slots:
    void messages();
    void everyLaunchCase();
    void statusThroughConsole();

private:
    // The script makes these folders and drive d: lead into m_driveD: names below it go on D:, the rest on Z:.
    const QString m_work = qEnvironmentVariable("BRENVIK_TEST_WORK");
    const QString m_driveD = m_work + QStringLiteral("/Brenvik Launch.1"), m_root = m_driveD + QStringLiteral("/Wörk Ü");
};

void TestWineStart::messages()
{
    const QString path = qEnvironmentVariable("PATH"), bin32 = qEnvironmentVariable("BRENVIK_TEST_BIN32");
    const QString wine64Only = qEnvironmentVariable("BRENVIK_TEST_WINE64_ONLY") + u':' + path;
    // keyword, source, PATH, program folder, part of the message ("": none), its title, word size of the
    // Windows stand-in that runs ("": none). Refusals come first, while nothing else of ours runs.
    const struct { const char *keyword; QString wav, path, folder, part; const char *title, *bits; } rows[] = {
        {"VELMTOWAV", "room._01", m_work, {}, "is a Windows program", "Conversion Error", ""},
        {"VELMTOWAV", "hall:one._01", path, {}, "The file name " + m_root + "/hall:one._01 cannot be handed to the "
         "Windows converter pashet.exe: it holds a character that Windows does not allow", "File Specification Error", ""},
        {"BKTOTIM", "m.dti", wine64Only, bin32, "\"sudo apt install wine32:i386\"", "Conversion Error", ""},
        {"VELMTOWAV", "room._01", wine64Only, {}, "", "", "64"},
        {"BKTOTIM", "m.dti", path, bin32, "", "", "32"},  // through wine32: a minute and more where emulated
    };
    const QString children = QStringLiteral("/proc/%1/task/%1/children").arg(::getpid());
    for (const auto &r : rows) {
        if (r.bits == QByteArray("32") && qEnvironmentVariable("BRENVIK_TEST_WINE32").isEmpty())
            continue;  // the script says why
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
    const QStringList sets[] = {  // source, left, right, filter
        {"hall one/Säle Ørsted è.wav", m_root + "/DATA.1/OUT", "sub/../  r ight", m_driveD + "0/Zał ñ 音/ü.dat"},
        {m_root + "/sub dir/a.wav", "DATA.2/links ä", m_driveD + "0/Zał ñ 音/prawy ł.tim", "  eq é/ü.dat"},
    };
    // Then lines typed by hand, for the splitting rules the builder never produces: backslashes before
    // quotes, doubled quotes; empty arguments, tabs, trailing blanks; quotes opening mid-argument, lone
    // backslashes, an unterminated quote.
    const QStringList typed = {
        "KELDT.EXE a\\\\\"b c\" d\\\\\\\"e \"f\\\\\" g\\\\\\\\ \"a\"\"b\" \"c\"\"\" \"\"\"d\" x\"\"y",
        "ZARVO.EXE\t\"\" \"\" x \"\"\ta\t\"b\tc\"   d   \t",
        "TOMBRA.EXE ab\"c d\"ef \"g h\"i j \\ \\\\ C:\\ C:\\a\\ \"C:\\b\\\\\" \"a b\\ c"};
    TestPlatform platform;
    for (int i = 0; i < 5 + typed.size(); ++i) {
        const QString workDir = m_root + QStringLiteral("/case %1").arg(i), recordFile = workDir + "/record.jsonl";
        QVERIFY(QDir().mkpath(workDir) && platform.setCurrentDirectory(workDir));
        LaunchInput in;
        in.wav = sets[i % 2][0], in.timLeft = sets[i % 2][1], in.timRight = sets[i % 2][2];
        in.filterFileName = sets[i % 2][3], in.expSpl = "94.25", in.stereo = i != 2, in.irMode = i != 1;
        in.opt44 = true, in.optBin = i == 4, in.forcePink = i == 3, in.octaveFilter = true;
        in.modeTimWav = i == 0, in.modeWavTim = i == 1, in.modeBkTim = i == 2, in.modeVelmTim = i == 3;
        in.modeVelmWav = i == 4;
        const QString row = i < 5 ? QStringLiteral("mode %1").arg(i) : typed[i - 5];
        const LaunchPlan plan = buildLaunch(in);
        const ConverterCommand command = i < 5 ? plan.command
            : ConverterCommand{splitWindowsCommandLine(row).value(0), {{row, false}}};
        // The line that Wine's starter hands on: the names in Windows form.
        const ConverterStart start = prepareConverterStart(command, platform.executableFolder());
        QVERIFY2(start.refusal.isNull() && start.throughWine, qPrintable(row + ": " + start.refusal.message));
        const QString line = QString::fromStdString(
            percent_codec::decode(start.command.arguments.constLast().toStdString()).value_or(""));
        // What the converter reads must exist, what it writes needs its folder.
        for (const QString &file : {plan.wav, plan.timLeft, plan.timRight, in.filterFileName}) {
            const QString path = QDir::cleanPath(QDir(workDir).absoluteFilePath(file));
            QVERIFY2(QDir().mkpath(QFileInfo(path).absolutePath()) && QFile(path).open(QIODevice::WriteOnly),
                     qPrintable(path));
        }
        qputenv("BRENVIK_CONVERTER_RECORD", QFile::encodeName(recordFile));
        QCOMPARE(platform.startConverter(command, QString()).message, QString());
        // Wine starts the converter from the starter, not from us.
        QJsonObject record;
        (void)QTest::qWaitFor([&] { return !(record = recordIn(recordFile)).isEmpty(); }, 180000);
        ROW_COMPARE(row, record.value("cwd").toString(), QStringLiteral("D:\\Wörk Ü\\case %1").arg(i));
        ROW_COMPARE(row, record.value("bits").toString(), QStringLiteral("64"));  // the Windows stand-in ran
        ROW_COMPARE(row, record.value("commandLine").toString(), line);
        // The Windows C runtime splits the line as the host's own splitter does.
        ROW_COMPARE(row, record.value("args").toVariant().toStringList(), splitWindowsCommandLine(line).mid(1));
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
    QCOMPARE(startInTerminalWindow(start.command,
                                   {bin + "/terminal", bin + "/brenvik-console", "pashet.exe", start.throughWine, {}}),
             QString());
    QVERIFY(QTest::qWaitFor([&] { return readAll(shown).contains("Press Enter"); }, 180000));
    QVERIFY2(readAll(shown).contains("pashet.exe ended with status 2.\n"), qPrintable(readAll(shown)));
}

QTEST_MAIN(TestWineStart)
#include "tst_wine_start.moc"
