// SPDX-License-Identifier: MIT
#include "ExecutableKind.h"
#include "Heads.h"
#include "NumberFormat.h"
#include "PercentCodec.h"
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
    void format_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QString>("grouping");
        const auto row = [](const char *name, double value, const char *pattern, QString expected,
                            QString decimal = ".", QString grouping = ",") {
            QTest::newRow(name) << value << QString::fromLatin1(pattern) << expected << decimal
                                << grouping;
        };
        const double max = std::numeric_limits<double>::max();
        const QString nbsp(QChar(0x00A0));
        row("point kept without decimals", 3.0, "+##0.#;-##0.#", "+3.");
        row("negative section", -4.0, "0;(0)", "(4)");
        row("empty negative section", -3.0, "0.0;", "-3.0");
        row("minus before the pattern", -3.0, " ####.0#", "- 3.0");
        row("no leading zero for #", 0.5, " ####.0#", " .5");
        row("rounded to nothing but the point", 0.04, "#.#", ".");
        row("decimal rounding of 2.675", 2.675, "0.00", "2.68");
        row("rounding carries a digit", 9.995, "0.00", "10.00");
        row("half away from zero", -2.5, "0", "-3");
        row("half in the 16th digit", 100000000000002.5, " ####", " 100000000000003");
        row("15 significant digits", -10000000000000.25, "+#0.0;-#0.0", "-10000000000000.3");
        row("groups beyond the pattern", 1234567890123.0, "###,###,###", "1,234,567,890,123");
        row("largest double", max, "0", "179769313486232" + QString(294, u'0'));
        row("minus infinity", -std::numeric_limits<double>::infinity(), "0.0", "-inf");
        row("comma decimal, point grouping", 1234.5, "#,##0.00", "1.234,50", ",", ".");
        row("no-break space grouping", 1234567.0, "#,##0", "1" + nbsp + "234" + nbsp + "567", ".",
            nbsp);
    }
    void format()
    {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QFETCH(QString, decimal);
        QFETCH(QString, grouping);
        QCOMPARE(formatNumber(value, pattern, NumberSymbols{decimal, grouping}), expected);
    }

    // The number read, whether a digit was seen, whether it saturated, and the characters taken.
    void read_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("outOfRange");
        QTest::addColumn<int>("length");
        const double max = std::numeric_limits<double>::max();
        QTest::newRow("blanks inside skipped") << "\t7\n.\t5\n Hz" << 7.5 << true << false << 6;
        QTest::newRow("comma ends it") << "1,5" << 1.0 << true << false << 1;
        QTest::newRow("two signs") << "+-1" << 0.0 << false << false << 0;
        QTest::newRow("D exponent") << "1D3" << 1000.0 << true << false << 3;
        QTest::newRow("exponent without digits") << "1e" << 1.0 << true << false << 1;
        QTest::newRow("no digit before the point") << "-.5" << -0.5 << true << false << 3;
        QTest::newRow("a point alone") << " ." << 0.0 << false << false << 0;
        QTest::newRow("too large: saturated") << "-1e999" << -max << true << true << 6;
        QTest::newRow("too small: zero") << "1e-999" << 0.0 << true << false << 6;
    }
    void read()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(bool, found);
        QFETCH(bool, outOfRange);
        QFETCH(int, length);
        const NumberScan s = scanNumber(text);
        QCOMPARE(s.value, value);
        QCOMPARE(s.found, found);
        QCOMPARE(s.outOfRange, outOfRange);
        QCOMPARE(s.length, length);
    }

    // Out of the class: moc misreads their raw strings.
    void split_data();
    void split();
    void quoting_data();

    // A name comes back from its quotes, the arguments after it undisturbed, exactly when the
    // check says it survives.
    void quoting()
    {
        QFETCH(QString, name);
        QFETCH(bool, survives);
        const QString other = QStringLiteral(R"(C:\Other Folder\L.TIM)");
        const QString line = "X.EXE \"" + name + "\" \"" + other + "\" 1";
        const QStringList sent = {"X.EXE", name, other, "1"};
        QCOMPARE(survivesWindowsQuoting(name), survives);
        QCOMPARE(splitWindowsCommandLine(line) == sent, survives);
    }

    // Host names in Windows form for a program under Wine: the drive whose
    // folder is the longest whole-component start of the name.
    void windowsNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<WindowsNameFault>("fault");
        QTest::addColumn<QString>("part");
        using F = WindowsNameFault;
        const auto row = [](const char *tag, const char *name, const char *expected,
                            F fault = F::None, const char *part = "") {
            QTest::newRow(tag) << QString::fromUtf8(name) << QString::fromUtf8(expected) << fault
                               << QString::fromUtf8(part);
        };
        row("a drive's folder ends at a slash", "/home/anabel/x.wav", R"(Z:\home\anabel\x.wav)");
        row("the longest drive folder", "/home/ana/data/m.tim", R"(E:\m.tim)");
        row("empty components dropped", "/home//ana///Säle é/", R"(D:\Säle é)");
        row("a drive's own folder", "/home/ana", R"(D:\.)");
        row("relative", "relative/x", R"(relative\x)");
        row("quote left to the line's check", "a\"b.wav", "a\"b.wav");
        row("control character", "a\tb", "", F::ForbiddenCharacter);
        row("forbidden character", "a>b", "", F::ForbiddenCharacter);
        // Device names, whatever follows their first dot and in any case, in a folder too.
        row("device name", "nul.wav", "", F::DeviceName, "nul.wav");
        row("device name, blank before the dot", "nul .tim", "", F::DeviceName, "nul .tim");
        row("device name as a folder", "/home/ana/Aux/x.tim", "", F::DeviceName, "Aux");
        row("LPT1 without a dot, mixed case", "Lpt1", "", F::DeviceName, "Lpt1");
        row("COM0 is no device", "com0.tim", "com0.tim");
        row("COM10 is no device", "COM10.tim", "COM10.tim");
        // A trailing blank or dot, which Windows drops; "." and ".." are no names; a drive's
        // own folder is not written.
        row("trailing blank", "t.tim ", "", F::TrailingBlankOrDot, "t.tim ");
        row("trailing dot", "/home/ana/t.tim.", "", F::TrailingBlankOrDot, "t.tim.");
        row("a drive's folder ending in a dot", "/srv/con./x.tim", R"(F:\x.tim)");
    }
    void windowsNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QFETCH(WindowsNameFault, fault);
        QFETCH(QString, part);
        const QList<WineDrive> drives = {{u'Z', "/"},
                                         {u'd', "/home/ana"},
                                         {u'E', "/home/ana/data"},
                                         {u'R', "relative"},
                                         {u'F', "/srv/con."}};
        const WindowsName windowsName = toWindowsName(name, drives);
        QCOMPARE(windowsName.text, expected);
        QCOMPARE(int(windowsName.fault), int(fault));
        QCOMPARE(windowsName.part, part);
    }

    // The kind of a program's file, and what one that cannot run here is said to be.
    void executables_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<ExecutableKind>("kind");
        QTest::addColumn<QString>("unrunnable");
        using K = ExecutableKind;
        QByteArray dos = pe("\x4c\x01");
        dos[0x80] = 0; // no PE signature
        const auto elf = [](char elfClass, char machine) {
            return QByteArray(64, '\0')
                .replace(0, 4,
                         "\x7f"
                         "ELF")
                .replace(4, 1, QByteArray(1, elfClass))
                .replace(18, 1, QByteArray(1, machine));
        };
        const QByteArray script = QByteArray("#!/bin/sh\n").leftJustified(64, ' ');
        QTest::newRow("PE x86") << pe("\x4c\x01") << K::Windows32 << "";
        QTest::newRow("PE x86-64") << pe("\x64\x86") << K::Windows64 << "";
        QTest::newRow("PE ARM64") << pe("\x64\xaa") << K::WindowsOther << "";
        QTest::newRow("DOS program") << dos << K::Unknown << "a DOS or 16-bit Windows program";
        QTest::newRow("PE header cut short") << pe("\x4c\x01").left(0x85) << K::Unknown
                                             << "a Windows program whose file is cut short";
        QTest::newRow("ELF x86-64") << elf(2, 62) << K::Linux64 << "";
        QTest::newRow("ELF x86 class 64")
            << elf(2, 3) << K::Unknown << "a Linux program for another kind of processor";
        QTest::newRow("script") << script << K::Unknown << "";
    }
    void executables()
    {
        QFETCH(QByteArray, head);
        QFETCH(ExecutableKind, kind);
        QFETCH(QString, unrunnable);
        const qint64 offset = peHeaderOffset(head);
        const QByteArray peHeader = offset < 0 ? QByteArray() : head.mid(offset, 6);
        QCOMPARE(int(classifyExecutable(head.left(64), peHeader)), int(kind));
        const QString said = unrunnableKindText(head.left(64), peHeader);
        QCOMPARE(said.left(unrunnable.size()), unrunnable);
        QCOMPARE(said.isEmpty(), unrunnable.isEmpty());
    }

    // Whether a Windows program opens a console, and whether its manifest makes UTF-8 its code
    // page.
    void windowsProgramFacts_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("gui");
        QTest::addColumn<bool>("utf8CodePage");
        const QByteArray utf8 =
            R"(<assembly><application><windowsSettings><activeCodePage xmlns="x"> utf-8 </activeCodePage>)"
            "</windowsSettings></application></assembly>";
        const QByteArray legacy = QByteArray(utf8).replace("utf-8", "Legacy");
        QTest::newRow("64-bit console") << peProgram("\x64\x86", 3) << false << false;
        QTest::newRow("32-bit GUI") << peProgram("\x4c\x01", 2) << true << false;
        QTest::newRow("64-bit UTF-8") << peProgram("\x64\x86", 3, utf8) << false << true;
        QTest::newRow("another code page") << peProgram("\x64\x86", 3, legacy) << false << false;
        QTest::newRow("manifest of a DLL's id")
            << peProgram("\x64\x86", 3, utf8, 2) << false << false;
        QTest::newRow("cut in its resources")
            << peProgram("\x64\x86", 2, utf8).left(0x260) << true << false;
        QTest::newRow("no PE header") << pe("\x64\x86").replace(0x80, 2, "NE") << false << false;
    }
    void windowsProgramFacts()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, gui);
        QFETCH(bool, utf8CodePage);
        const WindowsProgramFacts facts = readWindowsProgramFacts(file);
        QCOMPARE(facts.gui, gui);
        QCOMPARE(facts.utf8CodePage, utf8CodePage);
    }

    // How a Windows converter ended, from the whole status its starter reports; a report that is
    // not read is said nothing of.
    void windowsStatus_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("said");
        QTest::newRow("finished") << "status 0" << true << "TOMBRA.EXE has finished.\n";
        QTest::newRow("more than a byte")
            << "status 256" << true << "TOMBRA.EXE ended with status 256.\n";
        QTest::newRow("a DLL missing")
            << "status 3221225781" << true
            << "TOMBRA.EXE ended: a DLL it needs is missing (0xC0000135).\n";
        QTest::newRow("unknown, in hex")
            << "status 4294967295" << true << "TOMBRA.EXE ended with status 0xFFFFFFFF.\n";
        QTest::newRow("not started")
            << "failed The program cannot be started." << true << "The program cannot be started.";
        QTest::newRow("beyond 32 bits") << "status 4294967296" << false << "";
        QTest::newRow("no number") << "status " << false << "";
        QTest::newRow("a letter in the number") << "status 12a" << false << "";
        QTest::newRow("another word") << "ended 0" << false << "";
    }
    void windowsStatus()
    {
        QFETCH(QString, report);
        QFETCH(bool, read);
        QFETCH(QString, said);
        const auto decoded = windows_status::decode(report.toStdString());
        QCOMPARE(decoded.has_value(), read);
        if (!decoded)
            return;
        const std::string told = decoded->started
                                     ? windows_status::ending("TOMBRA.EXE", decoded->status)
                                     : decoded->failure;
        QCOMPARE(QString::fromStdString(told), said);
        QCOMPARE(QString::fromStdString(windows_status::encode(*decoded)), report);
    }

    // The one word form of the helper programs (whose round trip tst_launch's converterWindow
    // checks): a "%" without two upper-case hex digits is refused.
    void percentRefused_data()
    {
        QTest::addColumn<QString>("word");
        QTest::newRow("one digit") << "%4";
        QTest::newRow("lower-case hex") << "%4a";
    }
    void percentRefused()
    {
        QFETCH(QString, word);
        QVERIFY(!percent_codec::decode(word.toStdString()).has_value());
    }
};

void TestTextRules::split_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("blanks and tabs") << "  p\ta\t\tb" << QStringList{"p", "a", "b"};
    QTest::newRow("a line feed is no separator") << "p a\nb" << QStringList{"p", "a\nb"};
    // The program name: quotes group, backslashes are plain.
    QTest::newRow("program: backslash before a quote")
        << R"("C:\dir\"x a)" << QStringList{R"(C:\dir\x)", "a"};
    QTest::newRow("program: quotes mid-name")
        << R"(my" "prog.exe a)" << QStringList{"my prog.exe", "a"};
    // Arguments: backslashes are literal unless a quote follows them.
    QTest::newRow("backslashes without a quote")
        << R"(p a\b\\c a\\)" << QStringList{"p", R"(a\b\\c)", R"(a\\)"};
    QTest::newRow("odd backslashes, a quote") << R"(p a\\\"b)" << QStringList{"p", R"(a\"b)"};
    QTest::newRow("even backslashes, a quote") << R"(p a\\"b c")" << QStringList{"p", R"(a\b c)"};
    QTest::newRow("quotes mid-argument") << R"(p a"b c"d e)" << QStringList{"p", "ab cd", "e"};
    QTest::newRow("quote left open") << R"(p "open a  b)" << QStringList{"p", "open a  b"};
    // "" inside a quoted part is one literal quote and the part stays quoted.
    QTest::newRow("doubled quote inside quotes")
        << R"(p "a""b" c)" << QStringList{"p", R"(a"b)", "c"};
}

void TestTextRules::split()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QCOMPARE(splitWindowsCommandLine(line), expected);
}

void TestTextRules::quoting_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("survives");
    QTest::newRow("blanks") << "my room results.wav" << true;
    QTest::newRow("backslashes inside") << R"(C:\a\\b\\\c.tim)" << true;
    QTest::newRow("a backslash at the end") << R"(C:\DATA\)" << false;
    QTest::newRow("a quote") << R"(a"b.wav)" << false;
    QTest::newRow("a backslash and a quote") << R"(a\"b.wav)" << false;
}

QTEST_APPLESS_MAIN(TestTextRules)
#include "tst_textrules.moc"
