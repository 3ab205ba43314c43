#include "WinCommandLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestWinCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void split_data();
    void split();
    void roundTrip_data();
    void roundTrip();
    void find_data();
    void find();

private:
    void makeFile(const QString &relative, bool executable);
    QTemporaryDir m_root;
};

void TestWinCommandLine::split_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");

    // The converter lines as the launch builds them.
    QTest::newRow("zarvo stereo") << R"(ZARVO.EXE "OUT.WAV" "L.TIM" "R.TIM")"
                                  << QStringList{"ZARVO.EXE", "OUT.WAV", "L.TIM", "R.TIM"};
    QTest::newRow("keldt quoted NONE") << R"(KELDT.EXE "IN.WAV" "L.TIM" "NONE" 100.0 1)"
                                       << QStringList{"KELDT.EXE", "IN.WAV", "L.TIM", "NONE",
                                                      "100.0", "1"};
    QTest::newRow("tombra bare NONE") << R"(TOMBRA.EXE "M.DTI" "L.TIM" NONE 94.25 0)"
                                      << QStringList{"TOMBRA.EXE", "M.DTI", "L.TIM", "NONE",
                                                     "94.25", "0"};
    QTest::newRow("pashet trailing blank") << R"(pashet.exe "ROOM._01" "OUT.WAV" 2 48000 P )"
                                           << QStringList{"pashet.exe", "ROOM._01", "OUT.WAV",
                                                          "2", "48000", "P"};
    QTest::newRow("pashet microphone blank") << R"(pashet.exe "ROOM._01" "OUT.TIM"  44100 White "F.DAT")"
                                             << QStringList{"pashet.exe", "ROOM._01", "OUT.TIM",
                                                            "44100", "White", "F.DAT"};
    QTest::newRow("frelio microphone blanks") << R"(frelio.exe "ROOM._01" "OUT.WAV"   W )"
                                              << QStringList{"frelio.exe", "ROOM._01", "OUT.WAV",
                                                             "W"};

    // Blanks, empty lines, empty arguments.
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("blanks only") << " \t " << QStringList{};
    QTest::newRow("leading blanks") << "  p a" << QStringList{"p", "a"};
    QTest::newRow("tabs separate") << "p\ta\t\tb" << QStringList{"p", "a", "b"};
    QTest::newRow("line feed is no separator") << "p a\nb" << QStringList{"p", "a\nb"};
    QTest::newRow("trailing blanks") << "p \"a\"   " << QStringList{"p", "a"};
    QTest::newRow("empty arguments") << R"(p "" "")" << QStringList{"p", "", ""};
    QTest::newRow("one empty argument") << R"(p "")" << QStringList{"p", ""};
    QTest::newRow("empty quotes glued") << R"(p a"" b)" << QStringList{"p", "a", "b"};

    // The program name: quotes group, backslashes are plain.
    QTest::newRow("quoted program with blank") << R"("C:\Program Files\x.exe" a)"
                                               << QStringList{R"(C:\Program Files\x.exe)", "a"};
    QTest::newRow("program backslash before quote") << R"("C:\dir\"x a)"
                                                    << QStringList{R"(C:\dir\x)", "a"};
    QTest::newRow("program quotes in the middle") << R"(my" "prog.exe a)"
                                                  << QStringList{"my prog.exe", "a"};
    QTest::newRow("program only quotes") << R"("")" << QStringList{""};

    // Arguments: backslashes and quotes.
    QTest::newRow("plain backslashes") << R"(p a\b\\c)" << QStringList{"p", R"(a\b\\c)"};
    QTest::newRow("backslashes at end") << R"(p a\\)" << QStringList{"p", R"(a\\)"};
    QTest::newRow("escaped quote") << R"(p \"a)" << QStringList{"p", R"("a)"};
    QTest::newRow("3 backslashes quote") << R"(p a\\\"b)" << QStringList{"p", R"(a\"b)"};
    QTest::newRow("2 backslashes quote") << R"(p a\\"b c")" << QStringList{"p", R"(a\b c)"};
    QTest::newRow("4 backslashes quote") << R"(p \\\\"a b")" << QStringList{"p", R"(\\a b)"};
    QTest::newRow("quoted trailing backslash doubled") << R"(p "a\\" b)"
                                                       << QStringList{"p", R"(a\)", "b"};
    QTest::newRow("quoted trailing backslash single") << R"(p "a\" b)"
                                                      << QStringList{"p", R"(a" b)"};
    QTest::newRow("escaped quote inside quotes") << R"(p "a\" b")"
                                                 << QStringList{"p", R"(a" b)"};
    QTest::newRow("folder with dot") << R"(p "C:\DATA.1\OUT")"
                                     << QStringList{"p", R"(C:\DATA.1\OUT)"};
    QTest::newRow("UNC name") << R"(p "\\server\share\f.tim")"
                              << QStringList{"p", R"(\\server\share\f.tim)"};
    QTest::newRow("quotes mid word") << R"(p a"b c"d e)" << QStringList{"p", "ab cd", "e"};
    QTest::newRow("unterminated quote") << R"(p "open a  b)" << QStringList{"p", "open a  b"};
    // Modern CRT: "" inside a quoted part is one literal quote and stays quoted.
    QTest::newRow("doubled quote inside") << R"(p "a""b" c)" << QStringList{"p", R"(a"b)", "c"};
    QTest::newRow("doubled quote keeps quoting") << R"(p "a""b c")"
                                                 << QStringList{"p", R"(a"b c)"};
    QTest::newRow("four quotes") << R"(p """")" << QStringList{"p", R"(")"};
    QTest::newRow("non-ASCII") << QString::fromUtf8("p \"Mätning Å.wav\" 東京 ☃")
                               << QStringList{"p", QString::fromUtf8("Mätning Å.wav"),
                                              QString::fromUtf8("東京"), QString::fromUtf8("☃")};
}

void TestWinCommandLine::split()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QCOMPARE(splitWindowsCommandLine(line), expected);
}

void TestWinCommandLine::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("survives");

    QTest::newRow("plain") << "OUT.WAV" << true;
    QTest::newRow("blanks") << "my room results.wav" << true;
    QTest::newRow("blanks only") << "   .WAV" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("tab inside") << "a\tb.tim" << true;
    QTest::newRow("folder with dot") << R"(C:\DATA.1\OUT)" << true;
    QTest::newRow("backslashes inside") << R"(C:\a\\b\\\c.tim)" << true;
    QTest::newRow("relative parent") << R"(..\x.tim)" << true;
    QTest::newRow("UNC") << R"(\\server\share\f.tim)" << true;
    QTest::newRow("non-ASCII") << QString::fromUtf8(R"(D:\Mes Données\Été 2024\résultat.tim)") << true;
    QTest::newRow("CJK") << QString::fromUtf8("測定 東京.wav") << true;
    QTest::newRow("leading dot") << ".X.TIM" << true;
    QTest::newRow("trailing backslash") << R"(C:\DATA\)" << false;
    QTest::newRow("trailing backslashes") << R"(C:\DATA\\)" << false;
    QTest::newRow("quote inside") << R"(a"b.wav)" << false;
    QTest::newRow("quote at end") << R"(ab.wav")" << false;
    QTest::newRow("escaped-looking quote") << R"(a\"b.wav)" << false;
}

// A name quoted on a line between other arguments comes back exactly when the
// check says it survives, and the arguments after it are not disturbed.
void TestWinCommandLine::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(bool, survives);
    QCOMPARE(survivesWindowsQuoting(name), survives);

    const QString other = QStringLiteral("C:\\Other Folder\\L.TIM");
    const QString line = QStringLiteral("X.EXE \"") + name + QStringLiteral("\" \"") + other
                       + QStringLiteral("\" 100.0 1");
    const QStringList expected{"X.EXE", name, other, "100.0", "1"};
    QCOMPARE(splitWindowsCommandLine(line) == expected, survives);

    // The name in the program's place survives the same way.
    if (survives && !name.isEmpty())
        QCOMPARE(splitWindowsCommandLine(u'"' + name + QStringLiteral("\" a")),
                 (QStringList{name, "a"}));
}

void TestWinCommandLine::makeFile(const QString &relative, bool executable)
{
    const QString path = m_root.filePath(relative);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QVERIFY(file.setPermissions(permissions));
}

void TestWinCommandLine::initTestCase()
{
    QVERIFY(m_root.isValid());
    // own: the program's folder; cwd: the current directory; p1, p2: PATH.
    makeFile("own/zarvo", true);
    makeFile("cwd/zarvo", true);
    makeFile("p1/zarvo", true);
    makeFile("cwd/keldt", true);
    makeFile("p1/keldt", true);
    makeFile("p1/tombra", false);       // not executable: skipped
    makeFile("p2/tombra", true);
    makeFile("p1/Pashet", true);
    makeFile("p2/frelio.exe", true);
    makeFile("p2/dirprog", true);       // "own/dirprog" is a folder: skipped
    QVERIFY(QDir().mkpath(m_root.filePath("own/dirprog")));
    makeFile("p1/zed", true);
    makeFile("p1/ZED", true);
    makeFile("cwd/sub/tool", true);
    makeFile("cwd/sub/plain", false);
    makeFile("p2/real", true);
    QVERIFY(QFile::link(m_root.filePath("p2/real"), m_root.filePath("own/linked")));
    makeFile("p2/.exe", true);
}

void TestWinCommandLine::find_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");  // relative to the tree; "" = not found

    QTest::newRow("own folder first") << "zarvo" << "own/zarvo";
    QTest::newRow("upper case with .EXE") << "ZARVO.EXE" << "own/zarvo";
    QTest::newRow("current folder before PATH") << "KELDT.EXE" << "cwd/keldt";
    QTest::newRow("non-executable skipped") << "TOMBRA.EXE" << "p2/tombra";
    QTest::newRow("case of the file ignored") << "pashet.exe" << "p1/Pashet";
    QTest::newRow(".exe on the file optional") << "FRELIO" << "p2/frelio.exe";
    QTest::newRow(".exe on both") << "frelio.exe" << "p2/frelio.exe";
    QTest::newRow("folder of that name skipped") << "dirprog" << "p2/dirprog";
    QTest::newRow("exact spelling wins") << "zed" << "p1/zed";
    QTest::newRow("exact spelling wins upper") << "ZED" << "p1/ZED";
    QTest::newRow("link to a program") << "LINKED.EXE" << "own/linked";
    QTest::newRow("missing") << "NOSUCH.EXE" << "";
    QTest::newRow("empty name") << "" << "";
    QTest::newRow("bare .exe is its own name") << ".EXE" << "p2/.exe";
    QTest::newRow("folder part relative") << "sub/tool" << "cwd/sub/tool";
    QTest::newRow("folder part backslash") << R"(sub\tool)" << "cwd/sub/tool";
    QTest::newRow("folder part taken as given") << "sub/TOOL" << "";
    QTest::newRow("folder part not executable") << "sub/plain" << "";
    QTest::newRow("folder part not searched") << "./zarvo" << "cwd/zarvo";
}

void TestWinCommandLine::find()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const QString path = m_root.filePath("p1") + QDir::listSeparator()
                       + QDir::listSeparator() + m_root.filePath("p2");
    const QString found = findProgram(name, m_root.filePath("own"), m_root.filePath("cwd"), path);
    if (expected.isEmpty())
        QCOMPARE(found, QString());
    else
        QCOMPARE(found, QDir::cleanPath(m_root.filePath(expected)));

    // Without the own folder the search moves on to the current folder.
    if (name == QLatin1String("zarvo"))
        QCOMPARE(findProgram(name, QString(), m_root.filePath("cwd"), path),
                 m_root.filePath("cwd/zarvo"));
}

QTEST_APPLESS_MAIN(TestWinCommandLine)
#include "tst_wincommandline.moc"
