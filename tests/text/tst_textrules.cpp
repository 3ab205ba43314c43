// SPDX-License-Identifier: MIT
#include "ExecutableKind.h"
#include "Heads.h"
#include "NumberFormat.h"
#include "PercentCodec.h"
#include "RowCheck.h"
#include "WinCommandLine.h"
#include "WindowsNames.h"
#include "WindowsStatus.h"

#include <QTest>

#include <limits>
#include <string>
#include <vector>

class TestTextRules : public QObject
{
    Q_OBJECT

private slots:
    void format()
    {
        const QString nbsp(QChar(0x00A0));
        // value, pattern, expected, decimal and grouping symbols ("" = "." and ",")
        const struct
        {
            double value;
            const char *pattern;
            QString expected, decimal = "", grouping = "";
        } rows[] = {
            {3.0, "+##0.#;-##0.#", "+3."},
            {0.0, "+#0.0;-#0.0", "+0.0"},
            {-4.0, "0;(0)", "(4)"},
            {-3.0, "0.0;", "-3.0"},
            {-3.0, " ####.0#", "- 3.0"},
            {0.5, " ####.0#", " .5"},
            {0.0, "#", ""},
            {0.04, "#.#", "."},
            {2.2, "000.0", "002.2"},
            {2.675, "0.00", "2.68"},
            {9.995, "0.00", "10.00"},
            {0.125, "0.00", "0.13"},
            {-2.5, "0", "-3"}, // halves
            {100000000000002.5, " ####", " 100000000000003"},
            {-10000000000000.25, "+#0.0;-#0.0", "-10000000000000.3"},
            {1234567890123.0, "###,###,###", "1,234,567,890,123"},
            {7.0, "x0.0 dB", "x7.0 dB"},
            {1e-300, "0.00", "0.00"},
            {0.0000001, "#.#######", ".0000001"},
            {std::numeric_limits<double>::max(), "0", "179769313486232" + QString(294, u'0')},
            {-std::numeric_limits<double>::infinity(), "0.0", "-inf"},
            {std::numeric_limits<double>::quiet_NaN(), "0.0", "nan"},
            {1234.5, "#,##0.00", "1.234,50", ",", "."},
            {1234567.0, "#,##0", "1" + nbsp + "234" + nbsp + "567", ".", nbsp},
        };
        for (const auto &r : rows) {
            const NumberSymbols symbols =
                r.decimal.isEmpty() ? NumberSymbols{} : NumberSymbols{r.decimal, r.grouping};
            ROW_COMPARE(QString::number(r.value) + " with " + r.pattern,
                        formatNumber(r.value, QString::fromLatin1(r.pattern), symbols), r.expected);
        }
    }

    void read()
    {
        const double max = std::numeric_limits<double>::max();
        // text, value, a digit seen, saturated, characters taken
        const struct
        {
            const char *text;
            double value;
            bool found, outOfRange;
            int length;
        } rows[] = {
            {"\t7\n.\t5\n Hz", 7.5, true, false, 6},
            {"abc", 0.0, false, false, 0},
            {"1,5", 1.0, true, false, 1},
            {"+-1", 0.0, false, false, 0},
            {"1D3", 1000.0, true, false, 3},
            {"1e", 1.0, true, false, 1},
            {"-.5", -0.5, true, false, 3},
            {" .", 0.0, false, false, 0},
            {"1.2.3", 1.2, true, false, 3},
            {"7\r5", 7.0, true, false, 1},
            {"-1e999", -max, true, true, 6},
            {"1e-999", 0.0, true, false, 6},
            {"0e999", 0.0, true, false, 5},
        };
        for (const auto &r : rows) {
            const NumberScan s = scanNumber(QString::fromLatin1(r.text));
            ROW_COMPARE(
                r.text,
                QList<double>({s.value, double(s.found), double(s.outOfRange), double(s.length)}),
                QList<double>({r.value, double(r.found), double(r.outOfRange), double(r.length)}));
        }
    }

    void split(); // out of the class: moc misreads its raw strings

    // A quoted name comes back exactly when the check says it survives, without
    // disturbing the arguments after it.
    void quoting()
    {
        const QString other = QStringLiteral(R"(C:\Other Folder\L.TIM)");
        for (const char *name :
             {"my room results.wav", "", R"(C:\a\\b\\\c.tim)", R"(\\server\share\f.tim)",
              R"(C:\DATA\)", R"(a"b.wav)", R"(a\"b.wav)"}) {
            const QString line = "X.EXE \"" + QString::fromUtf8(name) + "\" \"" + other + "\" 1";
            ROW_COMPARE(name,
                        splitWindowsCommandLine(line)
                            == QStringList({"X.EXE", QString::fromUtf8(name), other, "1"}),
                        survivesWindowsQuoting(QString::fromUtf8(name)));
        }
    }

    // Host names in Windows form for a program under Wine: the drive whose
    // folder is the longest whole-component start of the name.
    void windowsNames()
    {
        const QList<WineDrive> drives = {{u'Z', "/"},
                                         {u'd', "/home/ana"},
                                         {u'E', "/home/ana/data"},
                                         {u'R', "relative"},
                                         {u'F', "/srv/con."}};
        using F = WindowsNameFault;
        const struct
        {
            const char *name;
            const char *expected;
            F fault = F::None;
            const char *part = "";
        } rows[] = {
            {"/home/anabel/x.wav", R"(Z:\home\anabel\x.wav)"},
            {"/home/ana/data/m.tim", R"(E:\m.tim)"}, // whole components, the longest
            {"/home//ana///Säle é/", R"(D:\Säle é)"},
            {"/home/ana", R"(D:\.)"}, // no closing backslash
            {"relative/x", R"(relative\x)"},
            {"a\"b.wav", "a\"b.wav"}, // not a drive's folder; the line's own check refuses it
            {"a\tb", "", F::ForbiddenCharacter},
            {"a>b", "", F::ForbiddenCharacter},
            // Device names, whatever follows their first dot and in any case, in a folder too.
            {"nul.wav", "", F::DeviceName, "nul.wav"},
            {"out/nul.tar.gz", "", F::DeviceName, "nul.tar.gz"},
            {"nul .tim", "", F::DeviceName, "nul .tim"},
            {"/home/ana/Aux/x.tim", "", F::DeviceName, "Aux"},
            {"CON", "", F::DeviceName, "CON"},
            {"com9.tim", "", F::DeviceName, "com9.tim"},
            {"Lpt1", "", F::DeviceName, "Lpt1"},
            {"com0.tim", "com0.tim"},
            {"COM10.tim", "COM10.tim"},
            {"console.tim", "console.tim"},
            {"nul_x.tim", "nul_x.tim"},
            // A trailing blank or dot, which Windows drops; "." and ".." are no names; a drive's
            // own folder is not written.
            {"t.tim ", "", F::TrailingBlankOrDot, "t.tim "},
            {"/home/ana/t.tim.", "", F::TrailingBlankOrDot, "t.tim."},
            {"d dot./x.tim", "", F::TrailingBlankOrDot, "d dot."},
            {"./x.tim", R"(.\x.tim)"},
            {"/srv/con./x.tim", R"(F:\x.tim)"},
        };
        for (const auto &r : rows) {
            const WindowsName name = toWindowsName(QString::fromUtf8(r.name), drives);
            ROW_COMPARE(r.name, name.text, QString::fromUtf8(r.expected));
            ROW_COMPARE(r.name, int(name.fault), int(r.fault));
            ROW_COMPARE(r.name, name.part, QString::fromUtf8(r.part));
        }
    }

    void executables()
    {
        QByteArray dos = pe("\x4c\x01"), far = dos;
        dos[0x80] = 0;    // no PE signature
        far[0x3F] = 0x12; // the offset is four bytes, little-endian
        const auto elf = [](char elfClass, char machine) {
            return QByteArray(64, '\0')
                .replace(0, 4,
                         "\x7f"
                         "ELF")
                .replace(4, 1, QByteArray(1, elfClass))
                .replace(18, 1, QByteArray(1, machine));
        };
        using K = ExecutableKind;
        // row, first bytes, kind, what a file that cannot run here is said to be
        const struct
        {
            const char *row;
            QByteArray head;
            K kind;
            const char *unrunnable = "";
        } rows[] = {
            {"PE x86", pe("\x4c\x01"), K::Windows32},
            {"PE x86-64", pe("\x64\x86"), K::Windows64},
            {"PE ARM64", pe("\x64\xaa"), K::WindowsOther},
            {"DOS program", dos, K::Unknown, "a DOS or 16-bit Windows program"},
            {"PE header cut short", pe("\x4c\x01").left(0x85), K::Unknown,
             "a Windows program whose file is cut short"},
            {"ELF x86", elf(1, 3), K::Linux32},
            {"ELF x86-64", elf(2, 62), K::Linux64},
            {"ELF x86 class 64", elf(2, 3), K::Unknown,
             "a Linux program for another kind of processor"},
            {"script", QByteArray("#!/bin/sh\n").leftJustified(64, ' '), K::Unknown},
        };
        for (const auto &r : rows) {
            const qint64 offset = peHeaderOffset(r.head);
            const QByteArray peHeader = offset < 0 ? QByteArray() : r.head.mid(offset, 6);
            ROW_COMPARE(r.row, int(classifyExecutable(r.head.left(64), peHeader)), int(r.kind));
            const QString unrunnable = unrunnableKindText(r.head.left(64), peHeader);
            ROW_COMPARE(r.row, unrunnable.left(qstrlen(r.unrunnable)),
                        QString::fromLatin1(r.unrunnable));
            ROW_COMPARE(r.row, unrunnable.isEmpty(), !*r.unrunnable);
        }
        QCOMPARE(peHeaderOffset(far), qint64(0x12000080));
    }

    // Whether a Windows program opens a console, and whether its manifest makes UTF-8 its code
    // page.
    void windowsProgramFacts()
    {
        const QByteArray utf8 =
            R"(<assembly><application><windowsSettings><activeCodePage xmlns="x"> utf-8 </activeCodePage>)"
            "</windowsSettings></application></assembly>";
        QByteArray legacy = utf8;
        legacy.replace("utf-8", "Legacy");
        const struct
        {
            const char *row;
            QByteArray file;
            bool gui, utf8CodePage;
        } rows[] = {
            {"64-bit console", peProgram("\x64\x86", 3), false, false},
            {"32-bit GUI", peProgram("\x4c\x01", 2), true, false},
            {"64-bit UTF-8", peProgram("\x64\x86", 3, utf8), false, true},
            {"32-bit UTF-8 GUI", peProgram("\x4c\x01", 2, utf8), true, true},
            {"another code page", peProgram("\x64\x86", 3, legacy), false, false},
            {"manifest of a DLL's id", peProgram("\x64\x86", 3, utf8, 2), false, false},
            {"cut in its resources", peProgram("\x64\x86", 2, utf8).left(0x260), true, false},
            {"no PE header", pe("\x64\x86").replace(0x80, 2, "NE"), false, false},
        };
        for (const auto &r : rows) {
            const WindowsProgramFacts facts = readWindowsProgramFacts(r.file);
            ROW_COMPARE(r.row, facts.gui, r.gui);
            ROW_COMPARE(r.row, facts.utf8CodePage, r.utf8CodePage);
        }
    }

    // How a Windows converter ended, from the whole status its starter reports.
    void windowsStatus()
    {
        const struct
        {
            const char *report;
            const char *ending;
        } rows[] = {
            {"status 0", "TOMBRA.EXE has finished.\n"},
            {"status 1", "TOMBRA.EXE ended with status 1.\n"},
            {"status 256", "TOMBRA.EXE ended with status 256.\n"},
            {"status 3221225781", "TOMBRA.EXE ended: a DLL it needs is missing (0xC0000135).\n"},
            {"status 3221225477", "TOMBRA.EXE ended: it crashed (access violation, 0xC0000005).\n"},
            {"status 3221226505",
             "TOMBRA.EXE ended: it crashed (stack buffer overrun, 0xC0000409).\n"},
            {"status 3221229568", "TOMBRA.EXE ended with status 0xC0001000.\n"},
            {"status 4294967295", "TOMBRA.EXE ended with status 0xFFFFFFFF.\n"},
            {"failed The program cannot be started.", ""},
            {"status 4294967296", nullptr},
            {"status ", nullptr},
            {"status 12a", nullptr},
            {"", nullptr},
            {"ended 0", nullptr},
        };
        for (const auto &r : rows) {
            const auto report = windows_status::decode(r.report);
            ROW_COMPARE(r.report, report.has_value(), r.ending != nullptr);
            if (!report)
                continue;
            ROW_COMPARE(r.report,
                        report->started ? windows_status::ending("TOMBRA.EXE", report->status)
                                        : report->failure,
                        std::string(*r.ending ? r.ending : r.report + 7));
            ROW_COMPARE(r.report, windows_status::encode(*report), std::string(r.report));
        }
    }

    // The one word form of the helper programs: only plain bytes stay, and
    // every text comes back whole; a "%" without two hex digits is refused.
    void percentCodec()
    {
        const std::string fields[] = {"",
                                      "-x, 100% \"q\" 'y' $HOME `id`;|&",
                                      "S\xc3\xa4le\thall",
                                      "tab\t\nline",
                                      "--",
                                      "A-Z/a.b_c+d:e@f"};
        for (const std::string &field : fields) {
            const std::string word = percent_codec::encode(field);
            for (const char c : word)
                ROW_COMPARE(field.c_str(), percent_codec::isPlain(c) || c == '%', true);
            ROW_COMPARE(field.c_str(), percent_codec::decode(word).value_or("not decoded"), field);
        }
        QCOMPARE(percent_codec::encode("a b,c"), std::string("a%20b%2Cc"));
        for (const char *bad : {"%", "%4", "%4g", "%4a"})
            ROW_COMPARE(bad, percent_codec::decode(bad).has_value(), false);
        using percent_codec::FirstArgument;
        const std::vector<std::string> bundle(FirstArgument + 1, "a,b");
        QCOMPARE(percent_codec::decodeBundle(percent_codec::encodeBundle(bundle))
                     .value_or(std::vector<std::string>()),
                 bundle);
        const std::vector<std::string> short_(FirstArgument, "x");
        QVERIFY(!percent_codec::decodeBundle(percent_codec::encodeBundle(short_)));
    }
};

void TestTextRules::split()
{
    const struct
    {
        const char *line;
        QStringList expected;
    } rows[] = {
        {"", {}},
        {"  p\ta\t\tb", {"p", "a", "b"}},
        {"p a\nb", {"p", "a\nb"}},
        {R"(p "" "")", {"p", "", ""}},
        // The program name: quotes group, backslashes are plain.
        {R"("C:\dir\"x a)", {R"(C:\dir\x)", "a"}},
        {R"(my" "prog.exe a)", {"my prog.exe", "a"}},
        // Arguments: backslashes are literal unless a quote follows them.
        {R"(p a\b\\c a\\)", {"p", R"(a\b\\c)", R"(a\\)"}},
        {R"(p a\\\"b)", {"p", R"(a\"b)"}},
        {R"(p a\\"b c")", {"p", R"(a\b c)"}},
        {R"(p a"b c"d e)", {"p", "ab cd", "e"}},
        {R"(p "open a  b)", {"p", "open a  b"}},
        // "" inside a quoted part is one literal quote and the part stays quoted.
        {R"(p "a""b" c)", {"p", R"(a"b)", "c"}},
        {"p \"Mätning Å.wav\" 東京", {"p", "Mätning Å.wav", "東京"}},
    };
    for (const auto &r : rows)
        ROW_COMPARE(r.line, splitWindowsCommandLine(QString::fromUtf8(r.line)), r.expected);
}

QTEST_APPLESS_MAIN(TestTextRules)
#include "tst_textrules.moc"
