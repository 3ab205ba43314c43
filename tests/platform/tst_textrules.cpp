// SPDX-License-Identifier: MIT
#include "ConsoleBundle.h"
#include "NumberFormat.h"
#include "RowCheck.h"
#include "TerminalStart.h"
#include "WinCommandLine.h"
#include "WineNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

#include <sys/time.h>

class TestTextRules : public QObject
{
    Q_OBJECT

private slots:
    void format();
    void read();
    void split();
    void quoting();
    void find();
    void windowsNames();
    void executables();
    void converterWindow();
};

void TestTextRules::format()
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct { double value; const char *pattern; QString expected; } rows[] = {
        {3.0, "+##0.#;-##0.#", "+3."},              // the point is written with no digit after it
        {94.255, " ####.0#", " 94.26"},              // a decimal half, not its binary neighbour
        {0.5, " ####.0#", " .5"},
        {99.999, " ####.0#", " 100.0"},
        {2.5, " ####", " 3"},
        {0.0, " ####", " "},
        {10000000.0, "###,###,###", "10,000,000"},
        {1234567890123.0, "###,###,###", "1,234,567,890,123"},
        {2.2, "000.0", "002.2"},
        {0.0, "#", ""},
        {0.0000001, "#.#######", ".0000001"},
        {2.675, "0.00", "2.68"},
        {0.125, "0.00", "0.13"},                     // an exact binary half
        {9.995, "0.00", "10.00"},
        {100000000000002.5, " ####", " 100000000000003"},    // exact halves at the 15th digit
        {-10000000000000.25, "+#0.0;-#0.0", "-10000000000000.3"},
        {0.04, "#.#", "."},
        {1e-300, "0.00", "0.00"},
        {-12.5, "+#0.0;-#0.0", "-12.5"},
        {0.0, "+#0.0;-#0.0", "+0.0"},
        {-4.0, "0;(0)", "(4)"},
        {-3.0, "0.0", "-3.0"},
        {-3.0, " ####.0#", "- 3.0"},
        {-2.5, "0", "-3"},
        {-3.0, "0.0;", "-3.0"},
        {7.0, "x0.0 dB", "x7.0 dB"},
        {1e300, " ####.0#", " 1" + QString(300, u'0') + ".0"},
        {std::numeric_limits<double>::max(), "0", "179769313486232" + QString(294, u'0')},
        {-inf, "0.0", "-inf"},
        {std::numeric_limits<double>::quiet_NaN(), "0.0", "nan"},
    };
    for (const auto &r : rows)
        ROW_COMPARE(QString::number(r.value) + " with " + r.pattern,
                    formatNumber(r.value, QString::fromLatin1(r.pattern), NumberSymbols{}), r.expected);

    const QString nbsp(QChar(0x00A0));
    const struct { double value; const char *pattern, *decimal; QString grouping, expected; } symbols[] = {
        {10000000.0, "###,###,###", ",", ".", "10.000.000"},
        {1234.5, "#,##0.00", ",", ".", "1.234,50"},
        {1234567.0, "#,##0", ".", nbsp, "1" + nbsp + "234" + nbsp + "567"},
    };
    for (const auto &r : symbols)
        ROW_COMPARE(r.expected, formatNumber(r.value, QString::fromLatin1(r.pattern),
                                             NumberSymbols{QString::fromLatin1(r.decimal), r.grouping}), r.expected);
}

void TestTextRules::read()
{
    const double max = std::numeric_limits<double>::max();
    // text, value, a digit seen, saturated, characters taken
    const struct { const char *text; double value; bool found, outOfRange; int length; } rows[] = {
        {"1 2x", 12.0, true, false, 3},              // blanks inside are skipped
        {"7.5 Hz", 7.5, true, false, 3},
        {"abc", 0.0, false, false, 0},
        {"1,5", 1.0, true, false, 1},                // "," is no decimal point here
        {"+-1", 0.0, false, false, 0},
        {"1D3", 1000.0, true, false, 3},
        {"1e", 1.0, true, false, 1},                 // a letter without digits is left
        {"1E 2", 100.0, true, false, 4},
        {"-.5", -0.5, true, false, 3},
        {" .", 0.0, false, false, 0},
        {"1.2.3", 1.2, true, false, 3},
        {"\t7\n.\t5\n", 7.5, true, false, 6},
        {"7\r5", 7.0, true, false, 1},
        {"1e999", max, true, true, 5},
        {"-1e999", -max, true, true, 6},
        {"0.001e400", max, true, true, 9},
        {"1e-999", 0.0, true, false, 6},
        {"0e999", 0.0, true, false, 5},
    };
    for (const auto &r : rows) {
        const NumberScan scan = scanNumber(QString::fromLatin1(r.text));
        ROW_COMPARE(r.text, readNumber(QString::fromLatin1(r.text)), r.value);
        ROW_COMPARE(r.text, scan.found, r.found);
        ROW_COMPARE(r.text, scan.outOfRange, r.outOfRange);
        ROW_COMPARE(r.text, int(scan.length), r.length);
    }
}

void TestTextRules::split()
{
    const struct { const char *line; QStringList expected; } rows[] = {
        {R"(ZARVO.EXE "OUT.WAV" "L.TIM" "R.TIM")", {"ZARVO.EXE", "OUT.WAV", "L.TIM", "R.TIM"}},
        {"", {}},
        {"  p\ta\t\tb", {"p", "a", "b"}},
        {"p a\nb", {"p", "a\nb"}},                   // a line feed separates nothing
        {R"(p "" "")", {"p", "", ""}},
        // The program name: quotes group, backslashes are plain.
        {R"("C:\Program Files\x.exe" a)", {R"(C:\Program Files\x.exe)", "a"}},
        {R"("C:\dir\"x a)", {R"(C:\dir\x)", "a"}},
        {R"(my" "prog.exe a)", {"my prog.exe", "a"}},
        {R"("")", {""}},
        // Arguments: backslashes are literal unless a quote follows them.
        {R"(p a\b\\c a\\)", {"p", R"(a\b\\c)", R"(a\\)"}},
        {R"(p \"a)", {"p", R"("a)"}},
        {R"(p a\\\"b)", {"p", R"(a\"b)"}},
        {R"(p a\\"b c")", {"p", R"(a\b c)"}},
        {R"(p "a\\" b)", {"p", R"(a\)", "b"}},
        {R"(p "a\" b)", {"p", R"(a" b)"}},
        {R"(p a"b c"d e)", {"p", "ab cd", "e"}},
        {R"(p "open a  b)", {"p", "open a  b"}},
        // "" inside a quoted part is one literal quote and the part stays quoted.
        {R"(p "a""b" c)", {"p", R"(a"b)", "c"}},
        {R"(p """")", {"p", R"(")"}},
        {"p \"Mätning Å.wav\" 東京 ☃", {"p", "Mätning Å.wav", "東京", "☃"}},
    };
    for (const auto &r : rows)
        ROW_COMPARE(r.line, splitWindowsCommandLine(QString::fromUtf8(r.line)), r.expected);
}

// A quoted name comes back exactly when the check says it survives, without
// disturbing the arguments after it, in the program's place too.
void TestTextRules::quoting()
{
    const struct { const char *name; bool survives; } rows[] = {
        {"my room results.wav", true},
        {"", true},
        {R"(C:\a\\b\\\c.tim)", true},
        {R"(\\server\share\f.tim)", true},
        {R"(D:\Mes Données\Été 2024\測定.tim)", true},
        {R"(C:\DATA\)", false},
        {R"(a"b.wav)", false},
        {R"(a\"b.wav)", false},
    };
    const QString other = QStringLiteral(R"(C:\Other Folder\L.TIM)");
    for (const auto &r : rows) {
        const QString name = QString::fromUtf8(r.name);
        ROW_COMPARE(name, survivesWindowsQuoting(name), r.survives);
        const QString line = "X.EXE \"" + name + "\" \"" + other + "\" 100.0 1";
        ROW_COMPARE(name, splitWindowsCommandLine(line) == QStringList({"X.EXE", name, other, "100.0", "1"}),
                    r.survives);
        if (r.survives && !name.isEmpty())
            ROW_COMPARE(name, splitWindowsCommandLine(u'"' + name + "\" a"), QStringList({name, "a"}));
    }
}

void TestTextRules::find()
{
    // own: the starting program's folder; cwd: the current one; p1, p2: PATH.
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath("own/dirprog") && QDir(root.path()).mkpath("cwd/sub")
            && QDir(root.path()).mkpath("p1") && QDir(root.path()).mkpath("p2"));
    const auto make = [&](const char *relative, QFile::Permissions permissions) {
        QFile file(root.filePath(QString::fromLatin1(relative)));
        return file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n") > 0 && file.setPermissions(permissions);
    };
    for (const char *name : {"own/zarvo", "cwd/zarvo", "p1/zarvo", "cwd/keldt", "p1/keldt", "p2/tombra",
                             "p1/Pashet", "p2/frelio.exe", "p2/dirprog", "p1/zed", "p1/ZED", "cwd/sub/tool",
                             "p2/real", "p2/.exe"})
        QVERIFY(make(name, QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(make("p1/tombra", QFile::ReadOwner) && make("cwd/sub/plain", QFile::ReadOwner)
            && make("cwd/BARE.exe", QFile::ReadOwner));
    QVERIFY(QFile::link(root.filePath("p2/real"), root.filePath("own/linked")));
    // A Windows program copied without its execute bit; its PE header lies past the first 64 bytes.
    QByteArray pe(0x90, '\0');
    pe.replace(0, 2, "MZ").replace(0x3C, 1, "\x80").replace(0x80, 6, QByteArray("PE\0\0\x64\x86", 6));
    QFile windows(root.filePath("p2/Keldt.exe"));
    QVERIFY(windows.open(QIODevice::WriteOnly) && windows.write(pe) == pe.size());
    windows.close();

    const QString path = root.filePath("p1") + QDir::listSeparator() + QDir::listSeparator() + root.filePath("p2");
    // name, search the own folder, found ("" = none), seen but not runnable
    const struct { const char *name; bool own; const char *expected, *notRunnable = ""; } rows[] = {
        {"ZARVO.EXE", true, "own/zarvo"},
        {"zarvo", false, "cwd/zarvo"},
        {"KELDT.EXE", true, "p2/Keldt.exe"},         // ".exe" everywhere first; a PE needs no execute bit
        {"keldt", true, "p2/Keldt.exe"},
        {"TOMBRA.EXE", true, "p2/tombra", "p1/tombra"},  // not executable: skipped
        {"BARE.EXE", true, "", "cwd/BARE.exe"},      // there, but neither executable nor a PE
        {"pashet.exe", true, "p1/Pashet"},
        {"FRELIO", true, "p2/frelio.exe"},
        {"dirprog", true, "p2/dirprog"},             // a folder of that name is skipped
        {"zed", true, "p1/zed"},                     // the exact spelling wins
        {"LINKED.EXE", true, "own/linked"},
        {"NOSUCH.EXE", true, ""},
        {"", true, ""},
        {".EXE", true, "p2/.exe"},
        {R"(sub\tool)", true, "cwd/sub/tool"},       // a name with a folder is taken as given
        {"sub/TOOL", true, ""},
        {"sub/plain", true, "", "cwd/sub/plain"},
        {"./zarvo", true, "cwd/zarvo"},
    };
    const auto where = [&](const char *relative) {
        return *relative ? QDir::cleanPath(root.filePath(QString::fromLatin1(relative))) : QString();
    };
    for (const auto &r : rows) {
        const ProgramSearch search = searchProgram(QString::fromLatin1(r.name), r.own ? root.filePath("own") : QString(),
                                                   root.filePath("cwd"), path);
        ROW_COMPARE(r.name, search.found, where(r.expected));
        ROW_COMPARE(r.name, search.notRunnable, where(r.notRunnable));
    }

    // Folders are listed once and again when they change: a converter put
    // into a folder listed long ago is found at once.
    const QByteArray p1 = QFile::encodeName(root.filePath("p1"));
    const struct timeval longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
    QVERIFY(::utimes(p1.constData(), longAgo) == 0);
    QCOMPARE(findProgram("NEW.EXE", {}, root.filePath("cwd"), root.filePath("p1")), QString());
    QVERIFY(make("p1/New.Exe", QFile::ReadOwner | QFile::ExeOwner));
    QCOMPARE(findProgram("NEW.EXE", {}, root.filePath("cwd"), root.filePath("p1")), where("p1/New.Exe"));
}

// Host names in Windows form for a program under Wine: the drive whose
// folder is the longest whole-component start of the name.
void TestTextRules::windowsNames()
{
    const QList<WineDrive> drives = {{u'Z', "/"}, {u'd', "/home/ana"}, {u'E', "/home/ana/data"},
                                     {u'C', "/root/.wine/drive_c"}, {u'R', "relative"}};
    using F = WindowsNameFault;
    const struct { const char *name; const char *expected; F fault; QList<WineDrive> drives; } rows[] = {
        {"/home/ana/hall._01", R"(D:\hall._01)", F::None, drives},
        {"/home/anabel/x.wav", R"(Z:\home\anabel\x.wav)", F::None, drives},   // whole components only
        {"/home/ana/data/m.tim", R"(E:\m.tim)", F::None, drives},               // the longest wins
        {"/home/ana/database/m.tim", R"(D:\database\m.tim)", F::None, drives},
        {"/root/.wine/drive_c/Program Files/f.dat", R"(C:\Program Files\f.dat)", F::None, drives},
        {"/home//ana///Säle é/", R"(D:\Säle é)", F::None, drives},
        {"/home/ana", R"(D:\.)", F::None, drives},                            // no closing backslash
        {"relative/x", R"(relative\x)", F::None, drives},                     // not a drive's folder
        {"../up/Ørsted.wav", R"(..\up\Ørsted.wav)", F::None, drives},
        {"  a b .wav", "  a b .wav", F::None, drives},
        {"a\"b.wav", "a\"b.wav", F::None, drives},                            // the line's own check refuses it
        {"/x/y", "", F::NoDrive, {{u'D', "/home"}}},
        {"/x/y", "", F::NoDrive, {}},
        {"dir\\name.wav", "", F::Backslash, drives},
        {"/home/ana/a:b", "", F::ForbiddenCharacter, drives},
        {"a*b", "", F::ForbiddenCharacter, drives}, {"a?b", "", F::ForbiddenCharacter, drives},
        {"a<b", "", F::ForbiddenCharacter, drives}, {"a>b", "", F::ForbiddenCharacter, drives},
        {"a|b", "", F::ForbiddenCharacter, drives}, {"a\tb", "", F::ForbiddenCharacter, drives},
    };
    for (const auto &r : rows) {
        const WindowsName name = toWindowsName(QString::fromUtf8(r.name), r.drives);
        ROW_COMPARE(r.name, name.text, QString::fromUtf8(r.expected));
        ROW_COMPARE(r.name, int(name.fault), int(r.fault));
    }
    QCOMPARE(defaultWineDrives(), QList<WineDrive>({{u'Z', "/"}}));
}

void TestTextRules::executables()
{
    const auto dos = [](quint32 offset) {
        QByteArray head(64, '\0');
        head.replace(0, 2, "MZ");
        for (int i = 0; i < 4; ++i)
            head[0x3C + i] = char(offset >> (8 * i));
        return head;
    };
    const auto elf = [](char elfClass, char machine) {
        QByteArray head(64, '\0');
        head.replace(0, 4, "\x7f" "ELF");
        head[4] = elfClass;
        head[18] = machine;
        return head;
    };
    using K = ExecutableKind;
    const struct { const char *row; QByteArray head, pe; K kind; } rows[] = {
        {"PE x86", dos(0x80), QByteArray("PE\0\0\x4c\x01", 6), K::Windows32},
        {"PE x86-64", dos(0x12345678), QByteArray("PE\0\0\x64\x86", 6), K::Windows64},
        {"PE ARM64", dos(0x80), QByteArray("PE\0\0\x64\xaa", 6), K::WindowsOther},
        {"DOS program", dos(0x80), QByteArray("\0\0\0\0\x4c\x01", 6), K::Unknown},
        {"PE header cut short", dos(0x80), QByteArray("PE\0\0\x4c", 5), K::Unknown},
        {"MZ cut short", QByteArray("MZ"), QByteArray("PE\0\0\x4c\x01", 6), K::Unknown},
        {"ELF x86", elf(1, 3), {}, K::Linux32},
        {"ELF x86-64", elf(2, 62), {}, K::Linux64},
        {"ELF x86 class 64", elf(2, 3), {}, K::Unknown},
        {"script", QByteArray("#!/bin/sh\nexec wine64 \"$@\"\n"), {}, K::Unknown},
    };
    for (const auto &r : rows)
        ROW_COMPARE(r.row, int(classifyExecutable(r.head, r.pe)), int(r.kind));
    QCOMPARE(peHeaderOffset(dos(0x12345678)), qint64(0x12345678));
    QCOMPARE(peHeaderOffset(elf(1, 3)), qint64(-1));
}

void TestTextRules::converterWindow()
{
    const struct { const char *platform; bool outputIsTerminal; const char *switchedOff; bool wanted; } when[] = {
        {"xcb", false, "", true}, {"wayland-egl", false, "", true},
        {"offscreen", false, "", false}, {"minimal", false, "", false},
        {"xcb", true, "", false},     // started from a terminal: the converter writes there
        {"xcb", false, "1", false},   // switched off by the test suite
    };
    for (const auto &r : when)
        ROW_COMPARE(r.platform, wantsConverterWindow(QString::fromLatin1(r.platform), r.outputIsTerminal,
                                                     QString::fromLatin1(r.switchedOff)), r.wanted);

    // Whatever the emulator does with "-e", the console program gets every
    // field back unchanged from one plain word.
    const QStringList fields = {"/run/a.start", "", "-x, 100% \"q\" 'y' $HOME `id`;|&", "Säle\thall",
                                "", "tab\t\nline", "--", "-"};
    const QStringList argv = terminalArguments("/usr/bin/x-terminal-emulator", "/opt/b/brenvik-console",
                                               "pashet.exe - h\x1b]0;x\aall\n", fields);
    QCOMPARE(argv.mid(0, 5), QStringList({"/usr/bin/x-terminal-emulator", "-T", "pashet.exe - h]0;xall", "-e",
                                           "/opt/b/brenvik-console"}));
    QCOMPARE(argv.size(), 6);
    for (const QChar c : argv[5])
        QVERIFY2(c.isLetterOrNumber() || QStringLiteral("/._-+:@%,").contains(c), qPrintable(argv[5]));
    const auto decoded = console_bundle::decode(argv[5].toUtf8().constData());
    QVERIFY(decoded);
    QStringList back;
    for (const std::string &field : *decoded)
        back << QString::fromStdString(field);
    QCOMPARE(back, fields);
}

QTEST_APPLESS_MAIN(TestTextRules)
#include "tst_textrules.moc"
