// SPDX-License-Identifier: MIT
// Finding and starting programs for real: the search, detached starts, a
// Windows converter's line for Wine, the converter's terminal window.

#include "ConverterStart.h"
#include "Heads.h"
#include "PercentCodec.h"
#include "ProcessStart.h"
#include "ProgramSearch.h"
#include "RowCheck.h"
#include "TerminalStart.h"
#include "WineNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

#include <sys/time.h>
#include <unistd.h>

namespace {

bool write(const QString &name, const QByteArray &head, bool executable = false)
{
    QFile f(name);
    return QDir().mkpath(QFileInfo(name).path()) && f.open(QIODevice::WriteOnly)
           && f.write(head) == head.size()
           && (!executable || f.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
}

} // namespace

class TestLaunch : public QObject
{
    Q_OBJECT

private slots:
    void find()
    {
        // own: the starting program's folder; cwd: the current one; p1, p2: PATH.
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("own/dirprog") && QDir(root.path()).mkpath("cwd/sub")
                && QDir(root.path()).mkpath("p1") && QDir(root.path()).mkpath("p2"));
        const auto make = [&](const char *relative, bool executable,
                              const QByteArray &head = "#!/bin/sh\n") {
            QFile file(root.filePath(QString::fromLatin1(relative)));
            return file.open(QIODevice::WriteOnly) && file.write(head) > 0
                   && file.setPermissions(QFile::ReadOwner
                                          | (executable ? QFile::ExeOwner : QFile::Permissions()));
        };
        for (const char *name :
             {"own/zarvo", "cwd/zarvo", "p1/zarvo", "cwd/keldt", "p1/keldt", "p2/tombra",
              "p1/Pashet", "p2/dirprog", "p1/zed", "p1/ZED", "cwd/sub/tool", "p2/real"})
            QVERIFY(make(name, true));
        QVERIFY(make("p1/tombra", false) && make("cwd/sub/plain", false)
                && make("cwd/BARE.exe", false) && make("p2/Keldt.exe", false, pe("\x64\x86")));
        QVERIFY(QFile::link(root.filePath("p2/real"), root.filePath("own/linked")));
        const QString path = root.filePath("p1") + QDir::listSeparator() + QDir::listSeparator()
                             + root.filePath("p2");
        // name, search the own folder, found ("" = none), seen but not runnable
        const struct
        {
            const char *name;
            bool own;
            const char *expected, *notRunnable = "";
        } rows[] = {
            {"ZARVO.EXE", true, "own/zarvo"},
            {"zarvo", false, "cwd/zarvo"},
            {"KELDT.EXE", true, "p2/Keldt.exe"},
            {"keldt", true, "p2/Keldt.exe"}, // ".exe" everywhere first; a PE needs no execute bit
            {"TOMBRA.EXE", true, "p2/tombra", "p1/tombra"}, // not executable: skipped
            {"BARE.EXE", true, "", "cwd/BARE.exe"}, // there, but neither executable nor a PE
            {"pashet.exe", true, "p1/Pashet"},
            {"dirprog", true, "p2/dirprog"}, // a folder of that name is skipped
            {"zed", true, "p1/zed"},         // the exact spelling wins
            {"LINKED.EXE", true, "own/linked"},
            {"NOSUCH.EXE", true, ""},
            {"", true, ""},
            {R"(sub\tool)", true, "cwd/sub/tool"}, // a name with a folder is taken as given
            {"sub/plain", true, "", "cwd/sub/plain"},
        };
        const auto where = [&](const char *relative) {
            return *relative ? QDir::cleanPath(root.filePath(QString::fromLatin1(relative)))
                             : QString();
        };
        for (const auto &r : rows) {
            const ProgramSearch search =
                searchProgram(QString::fromLatin1(r.name), r.own ? root.filePath("own") : QString(),
                              root.filePath("cwd"), path);
            ROW_COMPARE(r.name, QStringList({search.found, search.notRunnable}),
                        QStringList({where(r.expected), where(r.notRunnable)}));
        }

        // Folders are listed once and again when they change: a converter put
        // into a folder listed long ago is found at once.
        const struct timeval longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
        QVERIFY(::utimes(QFile::encodeName(root.filePath("p1")).constData(), longAgo) == 0);
        QCOMPARE(findProgram("NEW.EXE", {}, root.filePath("cwd"), root.filePath("p1")), QString());
        QVERIFY(make("p1/New.Exe", true));
        QCOMPARE(findProgram("NEW.EXE", {}, root.filePath("cwd"), root.filePath("p1")),
                 where("p1/New.Exe"));
    }

    void starts()
    {
        QTemporaryDir tmp;
        const QString root = tmp.path(), ran = tmp.filePath("ran");
        QVERIFY(write(tmp.filePath("work/Manual/MBrenvik.mht"), "")
                && write(tmp.filePath("my \\docs/Manual/MBrenvik.mht"), "")
                && write(tmp.filePath("work/broken"), QByteArray(64, '\x01'),
                         true) // neither a loadable program nor a script
                && write(tmp.filePath("work/plain.exe"), "x")
                && write(tmp.filePath("work/WinConv.exe"), pe("\x64\x86"))
                && write(tmp.filePath("work/dosprog.exe"),
                         QByteArray(pe("\x4c\x01")).replace(0x80, 2, "NE"), true));
        QVERIFY(QDir::setCurrent(tmp.filePath("work")));
        qputenv("PATH", QFile::encodeName(tmp.filePath("helpers")));
        qputenv("BRENVIK_TEST_RAN", QFile::encodeName(ran));
        const auto started = [&] {
            QFile file(ran);
            return QString::fromUtf8(file.open(QIODevice::ReadOnly) ? file.readAll() : "")
                .split(u'\n', Qt::SkipEmptyParts);
        };
        // A script on PATH stands for a converter or one of the desktop's helpers. printf is a
        // shell builtin: the script runs with a PATH that has no tools.
        const auto helper = [&](const char *name) {
            return write(tmp.filePath("helpers/") + name,
                         "#!/bin/sh\nprintf '%s\\n' \"${0##*/}\" \"$@\" > \"$BRENVIK_TEST_RAN\"\n",
                         true);
        };
        // The desktop's own tools are looked for on PATH alone: the same
        // scripts in the working folder, a user's files, are never run.
        for (const char *planted : {"xdg-open", "xdg-open.exe", "gnome-control-center"})
            QVERIFY(write(tmp.filePath("work/") + planted,
                          "#!/bin/sh\nprintf '%s\\n' planted > \"$BRENVIK_TEST_RAN\"\n", true));

        // line, helper script on PATH, part of the message ("" = none), what ran
        const struct
        {
            QString line;
            const char *helper, *message;
            QStringList ran;
        } rows[] = {
            {R"(ZARVO.EXE "Résultat 1.wav" "C:\DATA.1\OUT" "東京.tim" 1 )",
             "zarvo",
             "",
             {"zarvo", "Résultat 1.wav", R"(C:\DATA.1\OUT)", "東京.tim", "1"}},
            {"Explorer " + root + R"(/my \docs/Manual/MBrenvik.mht)",
             "xdg-open",
             "",
             {"xdg-open", root + R"(/my \docs/Manual/MBrenvik.mht)"}},
            {R"(EXPLORER "Manual/MBrenvik.mht")",
             "xdg-open",
             "",
             {"xdg-open", "Manual/MBrenvik.mht"}},
            {R"(Explorer C:\Nowhere\Manual\MBrenvik.mht)",
             "xdg-open",
             R"("C:\Nowhere\Manual\MBrenvik.mht" cannot)",
             {}},
            {R"(Explorer Manual/MBrenvik.mht)", nullptr, "\"xdg-open\" is not installed", {}},
            {"rundll32.exe shell32.dll,Control_RunDLL intl.cpl",
             "gnome-control-center",
             "",
             {"gnome-control-center", "region"}},
            {"RUNDLL32.EXE shell32.dll,Control_RunDLL INTL.CPL", nullptr, "No region settings", {}},
            {R"(NOSUCH.EXE "in.wav" "l.tim")", nullptr, "\"NOSUCH.EXE\" cannot be found", {}},
            {"   ", nullptr, "the command line names none", {}},
            {"BROKEN.EXE a", nullptr, "\"BROKEN.EXE\" cannot be started", {}},
            {"PLAIN.EXE a", nullptr, "neither executable nor a Windows program", {}},
            {"WINCONV.EXE a", nullptr, "no \"wine\" on the PATH", {}},
            {"DOSPROG.EXE a",
             nullptr,
             "/work/dosprog.exe\", but it cannot be run: it is a DOS or 16-bit Windows program",
             {}},
        };
        for (const auto &r : rows) {
            QFile::remove(ran);
            QVERIFY(QDir(tmp.filePath("helpers")).removeRecursively()
                    && (!r.helper || helper(r.helper)));
            const QString message = startHostCommandLine(r.line, tmp.filePath("own"));
            ROW_COMPARE(r.line + " gave: " + message,
                        *r.message ? message.contains(r.message) : message.isEmpty(), true);
            // A start shows within the timeout; a wrong one gets 100 ms to show.
            (void)QTest::qWaitFor([&] { return started() == r.ran; }, r.ran.isEmpty() ? 0 : 10000);
            QTest::qWait(100);
            ROW_COMPARE(r.line, started(), r.ran);
        }
        // Defaults for a started program fill only what the environment leaves unset.
        qputenv("BRENVIK_TEST_SET", "mine");
        qunsetenv("BRENVIK_TEST_UNSET");
        QFile::remove(ran);
        QVERIFY(write(tmp.filePath("helpers/env"),
                      "#!/bin/sh\nprintf '%s\\n' \"$BRENVIK_TEST_SET\" \"$BRENVIK_TEST_UNSET\" > "
                      "\"$BRENVIK_TEST_RAN\"\n",
                      true));
        const HostCommand withDefaults{tmp.filePath("helpers/env"),
                                       {"env"},
                                       "env",
                                       {"BRENVIK_TEST_SET=default", "BRENVIK_TEST_UNSET=default"}};
        QCOMPARE(startHostCommand(withDefaults), QString());
        QVERIFY(QTest::qWaitFor([&] { return !started().isEmpty(); }, 10000));
        QCOMPARE(started(), QStringList({"mine", "default"}));
        // Started programs are reaped when they end, also when started from
        // another thread than the event loop's: none of ours is left, running or dead.
        QString fromThread = "not run";
        QVERIFY(helper("zarvo"));
        std::unique_ptr<QThread> thread(
            QThread::create([&] { fromThread = startHostCommandLine("ZARVO.EXE a", {}); }));
        thread->start();
        QVERIFY(thread->wait(10000) && fromThread.isEmpty());
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

    // Out of the class: moc misreads its raw strings.
    void windowsConverterLine();

    // The code page a converter without a UTF-8 manifest gets from the locale,
    // and the letters that would not reach it unchanged.
    void codePages()
    {
        const struct
        {
            const char *locale;
            bool installed;
            int page;
        } locales[] = {
            {"C", true, 1252},           {"en_GB.UTF-8", true, 1252},
            {"pl_PL.UTF-8", true, 1250}, {"pl_PL.UTF-8", false, 1252},
            {"ja_JP.UTF-8", true, 932},  {"zh_TW.UTF-8", true, 950},
            {"zh_CN.UTF-8", true, 936},  {"ru_RU", true, 1251},
            {"sr_RS", true, 1251},       {"sr_RS@latin", true, 1250},
            {"tr_TR.UTF-8", true, 1254}, {"he_IL", true, 1255},
        };
        for (const auto &r : locales)
            ROW_COMPARE(r.locale, wineCodePage(QString::fromLatin1(r.locale), r.installed), r.page);
        QCOMPARE(localeInstalled("C.UTF-8"), true);
        QCOMPARE(localeInstalled("xx_NOWHERE.UTF-8"), false);
        const struct
        {
            const char *text;
            int page;
            const char *outside;
        } names[] = {
            {"łódź.tim", 1252, "łź"},        {"łódź.tim", 1250, ""}, {"Säle €.tim", 1252, ""},
            {"音響.tim", 1252, "音響"},      {"音響.tim", 932, ""},  {"音響 ł.tim", 65001, ""},
            {"e\u0301.tim", 1252, "\u0301"}, {"😀😀", 1252, "😀"},
        };
        for (const auto &r : names)
            ROW_COMPARE(r.text, charactersOutsideCodePage(QString::fromUtf8(r.text), r.page),
                        QString::fromUtf8(r.outside));
    }

    // What Wine itself would refuse is said before anything starts.
    void winePrefixes()
    {
        QTemporaryDir tmp;
        const QString own = tmp.filePath("own"),
                      deep = tmp.filePath("d") + QString("/f").repeated(129);
        QVERIFY(write(own + "/WinConv.exe", pe("\x64\x86"))
                && write(own + "/brenvik-winstart64.exe", "x")
                && write(tmp.filePath("bin/wine"), "#!/bin/sh\n", true)
                && write(tmp.filePath("p32/system.reg"), "WINE REGISTRY Version 2\n#arch=win32\n")
                && write(tmp.filePath("p64/system.reg"),
                         "WINE REGISTRY Version 2\n;; All keys\n#arch=win64\n")
                && QDir().mkpath(deep) && QDir().mkpath(tmp.filePath("p64/dosdevices"))
                && QFile::link(tmp.filePath("d"), tmp.filePath("p64/dosdevices/d:"))
                && QFile::link("/", tmp.filePath("p64/dosdevices/z:")));
        qputenv("PATH", QFile::encodeName(tmp.filePath("bin")));
        // row, WINEPREFIX (null: unset), WINEARCH, current folder, part of the refusal ("" = none)
        const struct
        {
            const char *row;
            QString prefix;
            const char *arch;
            QString folder, refusal;
        } rows[] = {
            {"empty", "", "", own, "WINEPREFIX is set but empty"},
            {"relative", "p64", "", own, "WINEPREFIX is the relative path \"p64\""},
            {"32-bit prefix", tmp.filePath("p32"), "", own,
             "is a 64-bit program, and the Wine prefix"},
            {"WINEARCH against the prefix", tmp.filePath("p64"), "win32", own,
             "WINEARCH is win32, but the Wine prefix"},
            {"32-bit prefix to be made", tmp.filePath("none"), "win32", own,
             "would be made 32-bit"},
            {"64-bit prefix", tmp.filePath("p64"), "win64", own, ""},
            {"prefix to be made", tmp.filePath("none"), "", own, ""},
            {"folder of 258", tmp.filePath("p64"), "", deep.left(deep.size() - 2), ""},
            {"folder of 260", tmp.filePath("p64"), "", deep,
             "its Windows form is 260 characters long"},
        };
        for (const auto &r : rows) {
            if (r.prefix.isNull())
                qunsetenv("WINEPREFIX");
            else
                qputenv("WINEPREFIX", QFile::encodeName(r.prefix));
            qputenv("WINEARCH", r.arch);
            QVERIFY(QDir::setCurrent(r.folder));
            const ConverterStart start =
                prepareConverterStart({"WINCONV.EXE", {{"WINCONV.EXE \"a.wav\"", false}}}, own);
            ROW_COMPARE(r.row + QString(": ") + start.refusal.message,
                        start.refusal.message.contains(r.refusal), true);
            ROW_COMPARE(r.row, start.refusal.isNull(), r.refusal.isEmpty());
        }
        qunsetenv("WINEARCH");
    }

    void converterWindow()
    {
        // started from a terminal, the converter writes there; the test suite switches the window
        // off
        const struct
        {
            const char *platform;
            bool outputIsTerminal;
            const char *switchedOff;
            bool wanted;
        } when[] = {
            {"xcb", false, "", true},        {"wayland-egl", false, "", true},
            {"offscreen", false, "", false}, {"xcb", true, "", false},
            {"xcb", false, "1", false},
        };
        for (const auto &r : when)
            ROW_COMPARE(r.platform,
                        wantsConverterWindow(QString::fromLatin1(r.platform), r.outputIsTerminal,
                                             QString::fromLatin1(r.switchedOff)),
                        r.wanted);

        // Whatever the emulator does with "-e", the console program gets every
        // field back unchanged from one plain word.
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
        QTest::newRow("lxterm script")
            << "/usr/bin/lxterm" << c << QStringList{"-T", t, "-e", c, "W"};
        QTest::newRow("unknown emulator")
            << "/opt/st/st" << c << QStringList{"-T", t, "-e", c, "W"};
        QTest::newRow("gnome-terminal wrapper")
            << "/usr/bin/gnome-terminal.wrapper" << c << QStringList{"-T", t, "-e", c, "W"};
        QTest::newRow("xfce4-terminal wrapper")
            << "/usr/bin/xfce4-terminal.wrapper" << c << QStringList{"-T", t, "-e", c, "W"};
        QTest::newRow("mate-terminal wrapper")
            << "/usr/bin/mate-terminal.wrapper" << c << QStringList{"-T", t, "-e", c, "W"};
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

    // qterminal's one text splits, as a shell splits it, into the console
    // program and the bundle, whatever the console's folder holds.
    void qterminalText()
    {
        const QString console = QStringLiteral("/opt/it's a \"b\" $x/brenvik-console");
        const QStringList argv = terminalArguments("qterminal", TerminalStyle::Qterminal, console,
                                                   "t", {"", "/w", "t", "", "p", "/p", "p"});
        QProcess shell;
        const QString split = QStringLiteral("eval \"set -- $1\"; printf '%s\\n' \"$@\"");
        shell.start("/bin/sh", {"-c", split, "sh", argv.value(2)});
        QVERIFY(shell.waitForFinished(10000));
        QCOMPARE(QString::fromUtf8(shell.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
                 QStringList({console, argv.value(2).section(u' ', -1)}));
    }
};

// A Windows converter under Wine gets the names of its line in Windows
// form, over the drives of the prefix, ".." resolved as Linux resolves it;
// a name no Windows program can be given, or that it would take for
// another file, is refused before anything starts.
void TestLaunch::windowsConverterLine()
{
    QTemporaryDir tmp;
    const QString own = tmp.filePath("own"), data = tmp.filePath("data");
    const QByteArray utf8 = "<assembly><activeCodePage>UTF-8</activeCodePage></assembly>";
    QVERIFY(write(own + "/WinConv.exe", pe("\x64\x86"))
            && write(own + "/brenvik-winstart64.exe", "x")
            && write(own + "/Utf8Conv.exe", peProgram("\x64\x86", 3, utf8))
            && write(own + "/GuiConv.exe", peProgram("\x64\x86", 2))
            && write(tmp.filePath("bin/wine"), "#!/bin/sh\n", true) && QDir().mkpath(data + "/sub")
            && QDir().mkpath(tmp.filePath("other/sub"))
            && QDir().mkpath(tmp.filePath("prefix/dosdevices")));
    QVERIFY(QFile::link("/", tmp.filePath("prefix/dosdevices/z:"))
            && QFile::link(data, tmp.filePath("prefix/dosdevices/d:"))
            && QFile::link(tmp.filePath("other/sub"), data + "/wlink"));
    qputenv("PATH", QFile::encodeName(tmp.filePath("bin")));
    qputenv("WINEPREFIX", QFile::encodeName(tmp.filePath("prefix")));
    qunsetenv("WINEARCH");
    qputenv("LC_ALL", "C.UTF-8"); // code page 1252
    QVERIFY(QDir::setCurrent(data));
    const QString real = QString(QFileInfo(tmp.path()).canonicalFilePath()).replace(u'/', u'\\');
    const QString a256(256, u'a'), a257(257, u'a');
    // names on the line, the line Wine's starter hands on ("" = refused), part of the refusal,
    // converter
    const struct
    {
        QStringList names;
        QString line;
        QString refusal;
        const char *program = "WINCONV.EXE";
    } rows[] = {
        {{data + "/hall._01", "out/Säle é.TIM", "/tmp/eq/F.DAT"},
         R"(WINCONV.EXE "D:\hall._01" "out\Säle é.TIM" 1 "Z:\tmp\eq\F.DAT")",
         ""},
        {{"in.wav", "f?.dat"},
         "",
         "The file name f?.dat cannot be handed to the Windows converter WINCONV.EXE"},
        {{"a:b", "x"}, "", "(: * ? < > | or a control character)"},
        // ".." through a drive's link and through a linked folder: the file Linux means.
        {{data + "/../work/a.tim"}, "WINCONV.EXE \"Z:" + real + R"(\work\a.tim")", ""},
        {{"wlink/../x.tim"}, "WINCONV.EXE \"Z:" + real + R"(\other\x.tim")", ""},
        {{"sub/../x.tim", "sub/./y.tim"}, R"(WINCONV.EXE "x.tim" "sub\.\y.tim")", ""},
        {{"nosuch/../x.tim"}, "", "the folder that its \"..\" leads from does not exist"},
        // Names that Windows takes for a device or another file.
        {{"in.wav", "nul.wav"},
         "",
         "The file name nul.wav cannot be handed to the Windows converter WINCONV.EXE: its part "
         "\"nul.wav\" is a device name"},
        {{data + "/AUX/x.tim"}, "", "its part \"AUX\" is a device name"},
        {{"t.tim."}, "", "its part \"t.tim.\" ends in a blank or a dot"},
        {{"d dot. /t.tim"}, "", "its part \"d dot. \" ends in a blank or a dot"},
        // Letters outside the code page, unless the manifest asks for UTF-8; the longest name.
        {{"łódź.tim"},
         "",
         "code page 1252 (from the locale \"C.UTF-8\"), which does not hold \"łź\""},
        {{"音響/ü.tim"}, "", "does not hold \"音響\""},
        {{"łódź.tim"}, R"(UTF8CONV.EXE "łódź.tim")", "", "UTF8CONV.EXE"},
        {{data + "/" + a256}, R"(WINCONV.EXE "D:\)" + a256 + "\"", ""},
        {{data + "/" + a257}, "", "is 260 characters long, more than the 259"},
        {{QString(264, u'b') + ".tim"}, "", "is 271 characters long"},
        {{"in.wav"}, R"(GUICONV.EXE "in.wav")", "", "GUICONV.EXE"},
    };
    for (const auto &r : rows) {
        const QString program = QString::fromLatin1(r.program);
        ConverterCommand command{program, {{program + ' ', false}}};
        for (const QString &name : r.names)
            command.pieces << ConverterCommand::Piece{name, true}
                           << ConverterCommand::Piece{name == r.names.value(1) ? " 1 " : " ",
                                                      false};
        command.pieces.removeLast();
        const ConverterStart start = prepareConverterStart(command, own);
        ROW_COMPARE(r.names.join(u'|') + ": " + start.refusal.message,
                    start.refusal.message.contains(r.refusal), true);
        ROW_COMPARE(r.names.join(u'|'), start.refusal.isNull(), r.refusal.isEmpty());
        ROW_COMPARE(r.names.join(u'|'), start.gui, program == "GUICONV.EXE");
        if (r.refusal.isEmpty()) {
            ROW_COMPARE(r.names.join(u'|'), start.throughWine, true);
            const auto line =
                percent_codec::decode(start.command.arguments.constLast().toStdString());
            ROW_COMPARE(r.names.join(u'|'), QString::fromStdString(line.value_or("")), r.line);
        } else {
            ROW_COMPARE(r.names.join(u'|'), start.refusal.title,
                        QStringLiteral("File Specification Error"));
        }
    }
    // Where Wine's own 64-bit loader starts the converter, Wine's notes on what it does not
    // implement stay quiet unless WINEDEBUG is set, as Debian's wine script keeps them.
    const QString loader = tmp.filePath("lib/wine/wine64");
    QVERIFY(write(loader,
                  QByteArray(64, '\0')
                      .replace(0, 5,
                               "\x7f"
                               "ELF\x02")
                      .replace(18, 1, "\x3e"),
                  true));
    const ConverterStart start =
        prepareConverterStart({"WINCONV.EXE", {{"WINCONV.EXE", false}}}, own);
    QCOMPARE(start.command.program, loader);
    QCOMPARE(start.command.defaults, QStringList{"WINEDEBUG=fixme-all"});
}

QTEST_MAIN(TestLaunch)
#include "tst_launch.moc"
