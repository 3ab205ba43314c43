// SPDX-License-Identifier: MIT
// The host for real: the program without a display, the message box and the file dialog.

#include "MessageLog.h"
#include "QtPlatform.h"

#include <QApplication>
#include <QDirIterator>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

template<typename T> void whenShown(std::function<void(T *)> act)
{
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start(10);
}

// The environment without any display; `variable` set to `value` where one is given.
QProcessEnvironment withoutDisplay(const QString &variable = {}, const QString &value = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        environment.remove(QLatin1String(name));
    if (!variable.isEmpty())
        environment.insert(variable, value);
    return environment;
}

} // namespace

class TestHost : public QObject
{
    Q_OBJECT

private slots:
    // The program itself, where no display can be used: Brenvik's plain line, then what Qt said
    // (never Qt's abort), and a failure status. A "DISPLAY" of letters names no server that could
    // ever answer, and no platform plugin has that name.
    void startWithoutDisplay_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("qtReason");
        QTest::newRow("none named") << ""
                                    << "" << QStringList() << "";
        // Set but empty names none either: Brenvik says its sentence before Qt could try.
        QTest::newRow("DISPLAY empty") << "DISPLAY"
                                       << "" << QStringList() << "";
        QTest::newRow("WAYLAND_DISPLAY empty") << "WAYLAND_DISPLAY"
                                               << "" << QStringList() << "";
        QTest::newRow("QT_QPA_PLATFORM empty") << "QT_QPA_PLATFORM"
                                               << "" << QStringList() << "";
        QTest::newRow("display that never answers")
            << "DISPLAY"
            << ":brenvik-none" << QStringList({"-display", ":77x"})
            << "qt.qpa.xcb: could not connect to display :77x\n";
        QTest::newRow("wayland display that never answers")
            << "WAYLAND_DISPLAY"
            << "brenvik-none" << QStringList() << "qt.qpa.";
        QTest::newRow("platform plugin not installed")
            << "QT_QPA_PLATFORM"
            << "brenvik-none" << QStringList()
            << "qt.qpa.plugin: Could not find the Qt platform plugin \"brenvik-none\" in \"\"\n";
    }
    void startWithoutDisplay()
    {
        QFETCH(QString, variable);
        QFETCH(QString, value);
        QFETCH(QStringList, arguments);
        QFETCH(QString, qtReason);
        QProcess program;
        program.setProcessEnvironment(withoutDisplay(variable, value));
        program.start(QCoreApplication::applicationDirPath() + "/brenvik", arguments);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 2);
        const QString said = QString::fromUtf8(program.readAllStandardError());
        const QString sentence = QStringLiteral("brenvik: no usable display found (DISPLAY or "
                                                "WAYLAND_DISPLAY is unset or names none that "
                                                "answers); start it from a desktop session.\n");
        if (qtReason.isEmpty()) {
            QCOMPARE(said, sentence);
            // The one text the program shows outside a message box.
            logShownMessage(said.trimmed(), 0, QString());
            return;
        }
        // Qt's reason after Brenvik's sentence, its fatal line last.
        const QString fatal =
            QStringLiteral("This application failed to start because no Qt platform "
                           "plugin could be initialized.");
        QVERIFY2(said.startsWith(sentence + "qt.qpa."), qPrintable(said));
        QVERIFY2(said.indexOf(qtReason, sentence.size()) > 0, qPrintable(said));
        QVERIFY2(said.indexOf(fatal) > said.indexOf(qtReason, sentence.size()), qPrintable(said));
        QVERIFY2(said.endsWith(".\n") && !said.endsWith("\n\n"), qPrintable(said));
    }

    // Exactly "--version" or "--help" is answered on standard output, with no display at all;
    // any other text is a keyword or none, and so needs a display.
    void answersWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("answer");
        QTest::newRow("version") << QStringList({"--version"}) << 0
                                 << "brenvik " BRENVIK_VERSION "\n";
        QTest::newRow("help") << QStringList({"--help"}) << 0 << "usage";
        QTest::newRow("help in capitals is no option") << QStringList({"--HELP"}) << 2 << "";
        QTest::newRow("version with more words") << QStringList({"--version", "x"}) << 2 << "";
        QTest::newRow("version after a keyword")
            << QStringList({"TIMTOWAV", "--version"}) << 2 << "";
    }
    void answersWithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, answer);
        QProcess program;
        program.setProcessEnvironment(withoutDisplay());
        program.start(QCoreApplication::applicationDirPath() + "/brenvik", arguments);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        QCOMPARE(program.readAllStandardError().isEmpty(), status == 0);
        if (answer != "usage") {
            QCOMPARE(out, answer);
            return;
        }
        QVERIFY2(out.startsWith("Usage: brenvik [KEYWORD]\n"), qPrintable(out));
    }

    // As on Windows: the first button is the default, Escape answers No (or OK).
    void messageBox_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<int>("buttons");
        QTest::newRow("yes/no warning, Return: Yes")
            << 52 << Qt::Key_Return << 6 << QMessageBox::Warning << 2;
        QTest::newRow("yes/no critical, Escape: No")
            << 20 << Qt::Key_Escape << 7 << QMessageBox::Critical << 2;
        QTest::newRow("OK alone, Escape: OK")
            << 0 << Qt::Key_Escape << 1 << QMessageBox::NoIcon << 1;
    }
    void messageBox()
    {
        QFETCH(int, style);
        QFETCH(Qt::Key, key);
        QFETCH(int, answer);
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(int, buttons);
        QString text;
        QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
        qsizetype shownButtons = 0;
        whenShown<QMessageBox>([&](QMessageBox *box) {
            text = box->text();
            shownIcon = box->icon();
            shownButtons = box->buttons().size();
            QTest::keyClick(box, key);
        });
        QCOMPARE(QtPlatform().messageBox("line one\rline <two>", style, "Title"), answer);
        QCOMPARE(text, QStringLiteral("line one\nline <two>"));
        QCOMPARE(shownIcon, icon);
        QCOMPARE(shownButtons, buttons);
    }

    // The presets of the program's dialogs, and patterns typed over them: a pattern is no choice.
    // Enter in Qt's own dialog filters its list; a dialog that returns the pattern (as a native
    // one does) opens again, showing it.
    void fileDialogPatterns_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("preset");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("returns");
        QTest::addColumn<QString>("folder");
        const QString wav = "MS RIFF Audio File (*.WAV)|*.WAV";
        const int open = CommonDialog::OpenDialog;
        const int save = CommonDialog::SaveDialog;
        QTest::newRow("open, Enter on the preset") << wav << "*.WAV" << open << "" << false << "";
        QTest::newRow("save, the preset returned") << "Filter File (*.DAT)|*.DAT"
                                                   << "*.DAT" << save << "" << true << "";
        QTest::newRow("open, a pattern in a folder returned")
            << wav << "*.WAV" << open << "sub/*.wav" << true << "/sub";
    }
    void fileDialogPatterns()
    {
        QFETCH(QString, filter);
        QFETCH(QString, preset);
        QFETCH(int, action);
        QFETCH(QString, typed);
        QFETCH(bool, returns);
        QFETCH(QString, folder);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        CommonDialog d{.Filter = filter, .FileName = preset, .InitDir = dir.path()};
        // What the dialog showed when the name was chosen.
        QString shownFilter;
        QString shownName;
        QString shownFolder;
        bool asksOverwrite = true;
        const auto choose = [&](QFileDialog *box) {
            auto *name = box->findChild<QLineEdit *>("fileNameEdit");
            shownFilter = box->selectedNameFilter();
            shownName = name->text();
            shownFolder = box->directory().path();
            asksOverwrite = !box->testOption(QFileDialog::DontConfirmOverwrite);
            name->setText("take");
            QTest::keyClick(name, Qt::Key_Return);
        };
        whenShown<QFileDialog>([&](QFileDialog *box) {
            auto *name = box->findChild<QLineEdit *>("fileNameEdit");
            if (!typed.isEmpty())
                name->setText(typed);
            if (returns) {
                whenShown<QFileDialog>(choose);
                box->QDialog::accept();
            } else {
                QTest::keyClick(name, Qt::Key_Return);
                QTRY_VERIFY(box->isVisible());
                choose(box);
            }
        });
        QVERIFY(QtPlatform().showFileDialog(d, action, nullptr));
        const QString pattern = typed.isEmpty() ? preset : QFileInfo(typed).fileName();
        QCOMPARE(shownFilter, pattern);
        QCOMPARE(shownName, pattern);
        QCOMPARE(shownFolder, dir.path() + folder);
        QCOMPARE(d.FileName, dir.path() + folder + "/take");
        // Saving onto an existing file asks nothing: the program asks itself where it must.
        QCOMPARE(asksOverwrite, false);
    }

    void fileDialogCancelled()
    {
        CommonDialog d;
        d.FileName = "keep";
        whenShown<QFileDialog>([](QFileDialog *box) { box->reject(); });
        QVERIFY(!QtPlatform().showFileDialog(d, CommonDialog::OpenDialog, nullptr));
        QCOMPARE(d.FileName, QStringLiteral("keep"));
    }

    // The program keeps no settings: a file dialog used, confirmed and cancelled, leaves a fresh
    // home folder empty (Qt's dialog would keep its history in .config/QtProject.conf). The dialogs
    // run in a child started with that home, this test function alone.
    void noSettingsKept()
    {
        if (qEnvironmentVariableIsSet("BRENVIK_TEST_FRESH_HOME")) {
            CommonDialog d{.Filter = "Filter File (*.DAT)|*.DAT",
                           .FileName = "*.DAT",
                           .InitDir = QDir::homePath()};
            whenShown<QFileDialog>([](QFileDialog *box) {
                auto *name = box->findChild<QLineEdit *>("fileNameEdit");
                name->setText("take");
                QTest::keyClick(name, Qt::Key_Return);
            });
            QVERIFY(QtPlatform().showFileDialog(d, CommonDialog::SaveDialog, nullptr));
            whenShown<QFileDialog>([](QFileDialog *box) { box->reject(); });
            QVERIFY(!QtPlatform().showFileDialog(d, CommonDialog::OpenDialog, nullptr));
            return;
        }
        QTemporaryDir home;
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name :
             {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
            environment.remove(QLatin1String(name));
        environment.insert("HOME", home.path());
        environment.insert("BRENVIK_TEST_FRESH_HOME", "1");
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {"noSettingsKept"});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 child.readAllStandardOutput().constData());
        QStringList left;
        QDirIterator it(home.path(),
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            left << QDir(home.path()).relativeFilePath(it.next());
        QCOMPARE(left, QStringList());
    }
};

QTEST_MAIN(TestHost)
#include "tst_host.moc"
