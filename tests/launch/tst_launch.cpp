// SPDX-License-Identifier: MIT
// Finding and starting programs for real: the search, detached starts, a
// Windows converter's line for Wine, the converter's terminal window.

#include "ConverterStart.h"
#include "Heads.h"
#include "PercentCodec.h"
#include "ProcessStart.h"
#include "ProgramSearch.h"
#include "TerminalStart.h"
#include "TestFiles.h"
#include "WineNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

#include <sys/time.h>
#include <unistd.h>

namespace {

// The 64-bit Windows stand-in WINCONV.EXE and its starter in `own`, and a "wine" on PATH in `bin`.
bool writeWineConverter(const QString &own, const QString &bin)
{
    qputenv("PATH", QFile::encodeName(bin));
    return writeFile(own + "/WinConv.exe", pe("\x64\x86"))
           && writeFile(own + "/brenvik-winstart64.exe", "x")
           && writeFile(bin + "/wine", "#!/bin/sh\n", true);
}

// A script that stands for a converter or one of the desktop's helpers: it writes its name and
// arguments, one a line, into $BRENVIK_TEST_RAN. printf is a shell builtin: the script runs with a
// PATH that has no tools.
bool writeRecorder(const QString &file)
{
    return writeFile(
        file, "#!/bin/sh\nprintf '%s\\n' \"${0##*/}\" \"$@\" > \"$BRENVIK_TEST_RAN\"\n", true);
}

} // namespace

class TestLaunch : public QObject
{
    Q_OBJECT

private slots:
    // own: the starting program's folder; cwd: the current one; p1, p2: PATH. Found ("" = none),
    // and seen but not runnable.
    void find_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("own");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("notRunnable");
        const auto row = [](const char *tag, const char *name, bool own, const char *expected,
                            const char *notRunnable = "") {
            QTest::newRow(tag) << name << own << expected << notRunnable;
        };
        row("own folder first", "ZARVO.EXE", true, "own/zarvo");
        row("current folder before PATH", "zarvo", false, "cwd/zarvo");
        row("a PE needs no execute bit", "KELDT.EXE", true, "p2/Keldt.exe");
        row(".exe everywhere first", "keldt", true, "p2/Keldt.exe");
        row("not executable: skipped", "TOMBRA.EXE", true, "p2/tombra", "p1/tombra");
        row("neither executable nor a PE", "BARE.EXE", true, "", "cwd/BARE.exe");
        row("any letter case", "pashet.exe", true, "p1/Pashet");
        row("a folder of that name skipped", "dirprog", true, "p2/dirprog");
        row("the exact spelling wins", "zed", true, "p1/zed");
        row("no name", "", true, "");
        row("a name with a folder, as given", R"(sub\tool)", true, "cwd/sub/tool");
        row("a name with a folder, not runnable", "sub/plain", true, "", "cwd/sub/plain");
    }
    void find()
    {
        QFETCH(QString, name);
        QFETCH(bool, own);
        QFETCH(QString, expected);
        QFETCH(QString, notRunnable);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("own/dirprog"));
        for (const char *file :
             {"own/zarvo", "cwd/zarvo", "p1/zarvo", "cwd/keldt", "p1/keldt", "p2/tombra",
              "p1/Pashet", "p2/dirprog", "p1/zed", "p1/ZED", "cwd/sub/tool"})
            QVERIFY(writeFile(root.filePath(file), "#!/bin/sh\n", true));
        for (const char *file : {"p1/tombra", "cwd/sub/plain", "cwd/BARE.exe"})
            QVERIFY(writeFile(root.filePath(file), "#!/bin/sh\n"));
        QVERIFY(writeFile(root.filePath("p2/Keldt.exe"), pe("\x64\x86")));
        const QString path = root.filePath("p1") + QDir::listSeparator() + QDir::listSeparator()
                             + root.filePath("p2");
        const auto where = [&](const QString &relative) {
            return relative.isEmpty() ? QString() : QDir::cleanPath(root.filePath(relative));
        };
        const ProgramSearch search =
            searchProgram(name, own ? root.filePath("own") : QString(), root.filePath("cwd"), path);
        QCOMPARE(search.found, where(expected));
        QCOMPARE(search.notRunnable, where(notRunnable));
    }

    // Folders are listed once and again when they change: a converter put
    // into a folder listed long ago is found at once.
    void findAfterChange()
    {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("p1"));
        QVERIFY(QDir(root.path()).mkpath("cwd"));
        const struct timeval longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
        QVERIFY(::utimes(QFile::encodeName(root.filePath("p1")).constData(), longAgo) == 0);
        QCOMPARE(findProgram("NEW.EXE", {}, root.filePath("cwd"), root.filePath("p1")), QString());
        QVERIFY(writeFile(root.filePath("p1/New.Exe"), "#!/bin/sh\n", true));
        QCOMPARE(findProgram("NEW.EXE", {}, root.filePath("cwd"), root.filePath("p1")),
                 root.filePath("p1/New.Exe"));
    }

    // A line, the helper script on PATH ("" = none), part of the message ("" = none), what ran;
    // {tmp} stands for the test's folder.
    void starts_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("helper");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("ran");
        const auto row = [](const char *tag, const QString &line, const char *helper,
                            const char *message, const QStringList &ran = {}) {
            QTest::newRow(tag) << line << helper << message << ran;
        };
        row("a converter on PATH", R"(ZARVO.EXE "Résultat 1.wav" "C:\DATA.1\OUT" "東京.tim" 1 )",
            "zarvo", "", {"zarvo", "Résultat 1.wav", R"(C:\DATA.1\OUT)", "東京.tim", "1"});
        row("the manual by its full name", R"(Explorer {tmp}/my \docs/Manual/MBrenvik.mht)",
            "xdg-open", "", {"xdg-open", R"({tmp}/my \docs/Manual/MBrenvik.mht)"});
        row("the manual quoted", R"(EXPLORER "Manual/MBrenvik.mht")", "xdg-open", "",
            {"xdg-open", "Manual/MBrenvik.mht"});
        row("a manual that is not there", R"(Explorer C:\Nowhere\Manual\MBrenvik.mht)", "xdg-open",
            R"("C:\Nowhere\Manual\MBrenvik.mht" cannot)");
        row("no opener", "Explorer Manual/MBrenvik.mht", "", "\"xdg-open\" is not installed");
        row("region settings", "rundll32.exe shell32.dll,Control_RunDLL intl.cpl",
            "gnome-control-center", "", {"gnome-control-center", "region"});
        row("no region settings", "RUNDLL32.EXE shell32.dll,Control_RunDLL INTL.CPL", "",
            "No region settings");
        row("a Windows program without Wine", "WINCONV.EXE a", "", "no \"wine\" on the PATH");
    }
    void starts()
    {
        QFETCH(QString, line);
        QFETCH(QString, helper);
        QFETCH(QString, message);
        QFETCH(QStringList, ran);
        QTemporaryDir tmp;
        const QString ranFile = tmp.filePath("ran");
        line.replace("{tmp}", tmp.path());
        ran.replaceInStrings("{tmp}", tmp.path());
        QVERIFY(writeFile(tmp.filePath("work/Manual/MBrenvik.mht"), "")
                && writeFile(tmp.filePath("my \\docs/Manual/MBrenvik.mht"), "")
                && writeFile(tmp.filePath("work/WinConv.exe"), pe("\x64\x86")));
        QVERIFY(QDir().mkpath(tmp.filePath("helpers")));
        QVERIFY(helper.isEmpty() || writeRecorder(tmp.filePath("helpers/") + helper));
        // The desktop's own tools are looked for on PATH alone: the same
        // scripts in the working folder, a user's files, are never run.
        for (const char *planted : {"xdg-open", "xdg-open.exe", "gnome-control-center"})
            QVERIFY(writeFile(tmp.filePath("work/") + planted,
                              "#!/bin/sh\nprintf '%s\\n' planted > \"$BRENVIK_TEST_RAN\"\n", true));
        QVERIFY(QDir::setCurrent(tmp.filePath("work")));
        qputenv("PATH", QFile::encodeName(tmp.filePath("helpers")));
        qputenv("BRENVIK_TEST_RAN", QFile::encodeName(ranFile));
        const QString said = startHostCommandLine(line, tmp.filePath("own"));
        if (message.isEmpty())
            QCOMPARE(said, QString());
        else
            QVERIFY2(said.contains(message), qPrintable(said));
        // A start shows within the timeout; a wrong one gets 100 ms to show.
        (void)QTest::qWaitFor([&] { return linesIn(ranFile) == ran; }, ran.isEmpty() ? 0 : 10000);
        QTest::qWait(100);
        QCOMPARE(linesIn(ranFile), ran);
    }

    // Defaults for a started program fill only what the environment leaves unset. Started
    // programs are reaped when they end, also when started from another thread than the event
    // loop's: none of ours is left, running or dead.
    void startsDetached()
    {
        QTemporaryDir tmp;
        const QString ranFile = tmp.filePath("ran");
        qputenv("BRENVIK_TEST_RAN", QFile::encodeName(ranFile));
        qputenv("BRENVIK_TEST_SET", "mine");
        qunsetenv("BRENVIK_TEST_UNSET");
        QVERIFY(
            writeFile(tmp.filePath("env"),
                      "#!/bin/sh\nprintf '%s\\n' \"$BRENVIK_TEST_SET\" \"$BRENVIK_TEST_UNSET\" > "
                      "\"$BRENVIK_TEST_RAN\"\n",
                      true));
        const HostCommand withDefaults{tmp.filePath("env"),
                                       {"env"},
                                       "env",
                                       {"BRENVIK_TEST_SET=default", "BRENVIK_TEST_UNSET=default"}};
        QCOMPARE(startHostCommand(withDefaults), QString());
        QVERIFY(QTest::qWaitFor([&] { return !linesIn(ranFile).isEmpty(); }, 10000));
        QCOMPARE(linesIn(ranFile), QStringList({"mine", "default"}));

        qputenv("PATH", QFile::encodeName(tmp.path()));
        QVERIFY(writeRecorder(tmp.filePath("zarvo")));
        QVERIFY(QDir::setCurrent(tmp.path()));
        QString fromThread = "not run";
        std::unique_ptr<QThread> thread(
            QThread::create([&] { fromThread = startHostCommandLine("ZARVO.EXE a", {}); }));
        thread->start();
        QVERIFY(thread->wait(10000));
        QCOMPARE(fromThread, QString());
        QVERIFY2(QTest::qWaitFor(
                     [] {
                         QFile children(
                             QStringLiteral("/proc/%1/task/%1/children").arg(::getpid()));
                         return children.open(QIODevice::ReadOnly)
                                && children.readAll().trimmed().isEmpty();
                     },
                     10000),
                 "our children are left");
    }

    // Out of the class: moc misreads their raw strings.
    void windowsConverterLine_data();
    void windowsConverterLine();

    // The code page a converter without a UTF-8 manifest gets from the locale.
    void codePages_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<int>("page");
        QTest::newRow("C") << "C" << true << 1252;
        QTest::newRow("Polish") << "pl_PL.UTF-8" << true << 1250;
        QTest::newRow("Polish, not installed") << "pl_PL.UTF-8" << false << 1252;
        QTest::newRow("Chinese of Taiwan") << "zh_TW.UTF-8" << true << 950;
        QTest::newRow("Russian without a codeset") << "ru_RU" << true << 1251;
        QTest::newRow("Serbian") << "sr_RS" << true << 1251;
        QTest::newRow("Serbian in Latin letters") << "sr_RS@latin" << true << 1250;
    }
    void codePages()
    {
        QFETCH(QString, locale);
        QFETCH(bool, installed);
        QFETCH(int, page);
        QCOMPARE(wineCodePage(locale, installed), page);
    }

    void localesInstalled()
    {
        QCOMPARE(localeInstalled("C.UTF-8"), true);
        QCOMPARE(localeInstalled("xx_NOWHERE.UTF-8"), false);
    }

    // The letters that would not reach a converter unchanged, each once.
    void charactersOutside_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("outside");
        QTest::newRow("Polish in 1252") << "łódź.tim" << 1252 << "łź";
        QTest::newRow("Polish in 1250") << "łódź.tim" << 1250 << "";
        QTest::newRow("the euro in 1252") << "Säle €.tim" << 1252 << "";
        QTest::newRow("Japanese in 1252") << "音響.tim" << 1252 << "音響";
        QTest::newRow("UTF-8 holds all") << "音響 ł.tim" << 65001 << "";
        QTest::newRow("a combining accent") << "e\u0301.tim" << 1252 << "\u0301";
        QTest::newRow("beyond 16 bits, once") << "😀😀" << 1252 << "😀";
    }
    void charactersOutside()
    {
        QFETCH(QString, text);
        QFETCH(int, page);
        QFETCH(QString, outside);
        QCOMPARE(charactersOutsideCodePage(text, page), outside);
    }

    // What Wine itself would refuse is said before anything starts: WINEPREFIX (absolute names lie
    // in the test's folder), WINEARCH, the current folder, part of the refusal ("" = none). The
    // prefix p32 is 32-bit, p64 64-bit, "none" not made yet.
    void winePrefixes_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("arch");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("refusal");
        const auto row = [](const char *tag, const char *prefix, const char *arch,
                            const QString &folder, const char *refusal) {
            QTest::newRow(tag) << prefix << arch << folder << refusal;
        };
        const QString deep = "d" + QString("/f").repeated(129);
        row("empty", "", "", "own", "WINEPREFIX is set but empty");
        row("relative", "p64", "", "own", "WINEPREFIX is the relative path \"p64\"");
        row("32-bit prefix", "/p32", "", "own", "is a 64-bit program, and the Wine prefix");
        row("32-bit prefix to be made", "/none", "win32", "own", "would be made 32-bit");
        row("64-bit prefix", "/p64", "win64", "own", "");
        row("prefix to be made", "/none", "", "own", "");
        row("folder of 258", "/p64", "", deep.left(deep.size() - 2), "");
        row("folder of 260", "/p64", "", deep, "its Windows form is 260 characters long");
    }
    void winePrefixes()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, arch);
        QFETCH(QString, folder);
        QFETCH(QString, refusal);
        QTemporaryDir tmp;
        const QString own = tmp.filePath("own");
        QVERIFY(
            writeWineConverter(own, tmp.filePath("bin"))
            && writeFile(tmp.filePath("p32/system.reg"), "WINE REGISTRY Version 2\n#arch=win32\n")
            && writeFile(tmp.filePath("p64/system.reg"),
                         "WINE REGISTRY Version 2\n;; All keys\n#arch=win64\n")
            && QDir().mkpath(tmp.filePath(folder)) && QDir().mkpath(tmp.filePath("p64/dosdevices"))
            && QFile::link(tmp.filePath("d"), tmp.filePath("p64/dosdevices/d:"))
            && QFile::link("/", tmp.filePath("p64/dosdevices/z:")));
        qputenv("WINEPREFIX",
                QFile::encodeName(prefix.startsWith(u'/') ? tmp.path() + prefix : prefix));
        qputenv("WINEARCH", arch.toLatin1());
        QVERIFY(QDir::setCurrent(tmp.filePath(folder)));
        const ConverterStart start =
            prepareConverterStart({"WINCONV.EXE", {{"WINCONV.EXE \"a.wav\"", false}}}, own);
        qunsetenv("WINEARCH");
        if (refusal.isEmpty())
            QCOMPARE(start.refusal.message, QString());
        else
            QVERIFY2(start.refusal.message.contains(refusal), qPrintable(start.refusal.message));
        QCOMPARE(start.refusal.isNull(), refusal.isEmpty());
    }

    // Started from a terminal, the converter writes there; the test suite switches the window off.
    void wantsWindow_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("outputIsTerminal");
        QTest::addColumn<QString>("switchedOff");
        QTest::addColumn<bool>("wanted");
        QTest::newRow("X11") << "xcb" << false << "" << true;
        QTest::newRow("Wayland") << "wayland-egl" << false << "" << true;
        QTest::newRow("no display") << "offscreen" << false << "" << false;
        QTest::newRow("output on a terminal") << "xcb" << true << "" << false;
        QTest::newRow("switched off") << "xcb" << false << "1" << false;
    }
    void wantsWindow()
    {
        QFETCH(QString, platform);
        QFETCH(bool, outputIsTerminal);
        QFETCH(QString, switchedOff);
        QFETCH(bool, wanted);
        QCOMPARE(wantsConverterWindow(platform, outputIsTerminal, switchedOff), wanted);
    }

    // Whatever the emulator does with "-e", the console program gets every
    // field back unchanged from one plain word.
    void converterWindow()
    {
        const QStringList fields = {"/run/a.start", "", "-x, 100% \"q\" 'y' $HOME `id`;|&",
                                    "Säle\thall",   "", "tab\t\nline",
                                    "--",           "-"};
        const QStringList argv =
            terminalArguments("/usr/bin/x-terminal-emulator", TerminalStyle::Xterm,
                              "/opt/b/brenvik-console", "pashet.exe - h\x1b]0;x\aall\n", fields);
        QCOMPARE(argv.mid(0, 5),
                 QStringList({"/usr/bin/x-terminal-emulator", "-T", "pashet.exe - h]0;xall", "-e",
                              "/opt/b/brenvik-console"}));
        QCOMPARE(argv.size(), 6);
        for (const QChar c : argv[5])
            QVERIFY2(c.isLetterOrNumber() || QStringLiteral("/._-+:@%,").contains(c),
                     qPrintable(argv[5]));
        QStringList back;
        const auto decoded = percent_codec::decodeBundle(argv[5].toStdString());
        for (const std::string &field : decoded.value_or(std::vector<std::string>{"not decoded"}))
            back << QString::fromStdString(field);
        QCOMPARE(back, fields);
    }

    // Each emulator, known by its file's name, is told the title and the
    // console program its own way; "W" stands for the bundle's word.
    void terminalStyles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("console");
        QTest::addColumn<QStringList>("expected");
        const QString c = QStringLiteral("/opt/b/brenvik-console");
        const QString t = QStringLiteral("pashet.exe - a;b, c");
        QTest::newRow("xterm") << "/usr/bin/xterm" << c << QStringList{"-T", t, "-e", c, "W"};
        QTest::newRow("unknown emulator")
            << "/opt/st/st" << c << QStringList{"-T", t, "-e", c, "W"};
        QTest::newRow("gnome-terminal wrapper")
            << "/usr/bin/gnome-terminal.wrapper" << c << QStringList{"-T", t, "-e", c, "W"};
        QTest::newRow("konsole ignores -T, its -p parts at ;")
            << "/usr/bin/konsole" << c
            << QStringList{"-p", "tabtitle=pashet.exe - ab, c", "-e", c, "W"};
        QTest::newRow("terminator's -e takes one text")
            << "/usr/bin/terminator" << c << QStringList{"-T", t, "-x", c, "W"};
        QTest::newRow("lxterminal's title splits at commas")
            << "/usr/bin/lxterminal" << c << QStringList{"-e", c, "W"};
        QTest::newRow("qterminal, one text")
            << "/usr/bin/qterminal" << c << QStringList{"-e", "'" + c + "' W"};
        QTest::newRow("qterminal, quote in the console's folder")
            << "/usr/bin/qterminal"
            << "/opt/it's b/brenvik-console"
            << QStringList{"-e", "'/opt/it'\\''s b/brenvik-console' W"};
        QTest::newRow("gnome-terminal unwrapped")
            << "/usr/bin/gnome-terminal" << c << QStringList{"--title", t, "--", c, "W"};
        QTest::newRow("xfce4-terminal unwrapped")
            << "/usr/bin/xfce4-terminal" << c << QStringList{"-T", t, "-x", c, "W"};
        QTest::newRow("mate-terminal unwrapped")
            << "/usr/bin/mate-terminal" << c << QStringList{"-t", t, "-x", c, "W"};
    }

    void terminalStyles()
    {
        QFETCH(QString, file);
        QFETCH(QString, console);
        QFETCH(QStringList, expected);
        const QStringList fields = {
            "/run/a.start", "/w",  "pashet.exe - a;b, c", "", "pashet.exe", "/b/pashet",
            "pashet",       "-x y"};
        std::vector<std::string> bytes;
        for (const QString &field : fields)
            bytes.push_back(field.toStdString());
        const QString word = QString::fromStdString(percent_codec::encodeBundle(bytes));
        expected.replaceInStrings(QRegularExpression("W$"), word);
        expected.prepend("/usr/bin/x-terminal-emulator");
        QCOMPARE(terminalArguments("/usr/bin/x-terminal-emulator", terminalStyle(file), console,
                                   "pashet.exe - a;b, c", fields),
                 expected);
    }
};

// A Windows converter under Wine gets the names of its line in Windows
// form, over the drives of the prefix, ".." resolved as Linux resolves it;
// a name no Windows program can be given, or that it would take for
// another file, is refused before anything starts. The names on the line, the line Wine's starter
// hands on ("" = refused), part of the refusal, the converter; {data} stands for the current
// folder, which drive D: leads to, {host} for the test's folder in Windows form.
void TestLaunch::windowsConverterLine_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("program");
    const auto row = [](const char *tag, const QStringList &names, const QString &line,
                        const char *refusal, const char *program = "WINCONV.EXE") {
        QTest::newRow(tag) << names << line << refusal << program;
    };
    const QString a256(256, u'a');
    row("on D:, relative and on Z:", {"{data}/hall._01", "out/Säle é.TIM", "/tmp/eq/F.DAT"},
        R"(WINCONV.EXE "D:\hall._01" "out\Säle é.TIM" 1 "Z:\tmp\eq\F.DAT")", "");
    row("a character Windows does not allow", {"in.wav", "f?.dat"}, "",
        "The file name f?.dat cannot be handed to the Windows converter WINCONV.EXE");
    // ".." through a drive's link and through a linked folder: the file Linux means.
    row(".. out of a drive's folder", {"{data}/../work/a.tim"},
        R"(WINCONV.EXE "Z:{host}\work\a.tim")", "");
    row(".. after a linked folder", {"wlink/../x.tim"}, R"(WINCONV.EXE "Z:{host}\other\x.tim")",
        "");
    row(".. and . in relative names", {"sub/../x.tim", "sub/./y.tim"},
        R"(WINCONV.EXE "x.tim" "sub\.\y.tim")", "");
    row(".. from a folder that is not there", {"nosuch/../x.tim"}, "",
        "the folder that its \"..\" leads from does not exist");
    // Letters outside the code page, unless the manifest asks for UTF-8; the longest name.
    row("a UTF-8 manifest", {"łódź.tim"}, R"(UTF8CONV.EXE "łódź.tim")", "", "UTF8CONV.EXE");
    row("the longest name", {"{data}/" + a256}, R"(WINCONV.EXE "D:\)" + a256 + "\"", "");
    row("one letter too long", {"{data}/" + a256 + "a"}, "",
        "is 260 characters long, more than the 259");
    row("a relative name counted whole", {QString(264, u'b') + ".tim"}, "",
        "is 271 characters long");
    row("a GUI converter", {"in.wav"}, R"(GUICONV.EXE "in.wav")", "", "GUICONV.EXE");
}

void TestLaunch::windowsConverterLine()
{
    QFETCH(QStringList, names);
    QFETCH(QString, line);
    QFETCH(QString, refusal);
    QFETCH(QString, program);
    QTemporaryDir tmp;
    const QString own = tmp.filePath("own");
    const QString data = tmp.filePath("data");
    const QByteArray utf8 = "<assembly><activeCodePage>UTF-8</activeCodePage></assembly>";
    QVERIFY(writeWineConverter(own, tmp.filePath("bin"))
            && writeFile(own + "/Utf8Conv.exe", peProgram("\x64\x86", 3, utf8))
            && writeFile(own + "/GuiConv.exe", peProgram("\x64\x86", 2))
            && QDir().mkpath(data + "/sub") && QDir().mkpath(tmp.filePath("other/sub"))
            && QDir().mkpath(tmp.filePath("prefix/dosdevices")));
    QVERIFY(QFile::link("/", tmp.filePath("prefix/dosdevices/z:"))
            && QFile::link(data, tmp.filePath("prefix/dosdevices/d:"))
            && QFile::link(tmp.filePath("other/sub"), data + "/wlink"));
    qputenv("WINEPREFIX", QFile::encodeName(tmp.filePath("prefix")));
    qunsetenv("WINEARCH");
    qputenv("LC_ALL", "C.UTF-8"); // code page 1252
    QVERIFY(QDir::setCurrent(data));
    names.replaceInStrings("{data}", data);
    line.replace("{host}", QFileInfo(tmp.path()).canonicalFilePath().replace(u'/', u'\\'));
    ConverterCommand command{program, {{program + ' ', false}}};
    for (const QString &name : names)
        command.pieces << ConverterCommand::Piece{name, true}
                       << ConverterCommand::Piece{name == names.value(1) ? " 1 " : " ", false};
    command.pieces.removeLast();
    const ConverterStart start = prepareConverterStart(command, own);
    QCOMPARE(start.gui, program == "GUICONV.EXE");
    if (!refusal.isEmpty()) {
        QVERIFY2(start.refusal.message.contains(refusal), qPrintable(start.refusal.message));
        QCOMPARE(start.refusal.title, QStringLiteral("File Specification Error"));
        return;
    }
    QCOMPARE(start.refusal.message, QString());
    QVERIFY(start.throughWine);
    const auto handedOn = percent_codec::decode(start.command.arguments.constLast().toStdString());
    QCOMPARE(QString::fromStdString(handedOn.value_or("")), line);
}

QTEST_MAIN(TestLaunch)
#include "tst_launch.moc"
