// SPDX-License-Identifier: MIT
// The host for real: detached starts, the program without a display, the message box and the file dialog.

#include "Heads.h"
#include "ProcessStart.h"
#include "QtPlatform.h"
#include "RowCheck.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>

#include <unistd.h>

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

bool write(const QString &name, const QByteArray &head, bool executable = false)
{
    QFile f(name);
    return QDir().mkpath(QFileInfo(name).path()) && f.open(QIODevice::WriteOnly) && f.write(head) == head.size()
        && (!executable || f.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
}

} // namespace

class TestHost : public QObject
{
    Q_OBJECT

private slots:
    void starts()
    {
        QTemporaryDir tmp;
        const QString root = tmp.path(), ran = tmp.filePath("ran");
        QVERIFY(write(tmp.filePath("work/Manual/MBrenvik.mht"), "") && write(tmp.filePath("my \\docs/Manual/MBrenvik.mht"), "")
                && write(tmp.filePath("work/broken"), QByteArray(64, '\x01'), true)  // neither a loadable program nor a script
                && write(tmp.filePath("work/plain.exe"), "x") && write(tmp.filePath("work/WinConv.exe"), pe("\x64\x86")));
        QVERIFY(QDir::setCurrent(tmp.filePath("work")));
        qputenv("PATH", QFile::encodeName(tmp.filePath("helpers")));
        qputenv("BRENVIK_TEST_RAN", QFile::encodeName(ran));
        const auto started = [&] {
            QFile file(ran);
            return QString::fromUtf8(file.open(QIODevice::ReadOnly) ? file.readAll() : "").split(u'\n', Qt::SkipEmptyParts);
        };
        // A script on PATH stands for a converter or one of the desktop's helpers. printf is a shell
        // builtin: the script runs with a PATH that has no tools.
        const auto helper = [&](const char *name) {
            return write(tmp.filePath("helpers/") + name,
                         "#!/bin/sh\nprintf '%s\\n' \"${0##*/}\" \"$@\" > \"$BRENVIK_TEST_RAN\"\n", true);
        };

        // line, helper script on PATH, part of the message ("" = none), what ran
        const struct { QString line; const char *helper, *message; QStringList ran; } rows[] = {
            {R"(ZARVO.EXE "Résultat 1.wav" "C:\DATA.1\OUT" "東京.tim" 1 )", "zarvo", "",
             {"zarvo", "Résultat 1.wav", R"(C:\DATA.1\OUT)", "東京.tim", "1"}},
            {"Explorer " + root + R"(/my \docs/Manual/MBrenvik.mht)", "xdg-open", "", {"xdg-open", root + R"(/my \docs/Manual/MBrenvik.mht)"}},
            {R"(EXPLORER "Manual/MBrenvik.mht")", "xdg-open", "", {"xdg-open", "Manual/MBrenvik.mht"}},
            {R"(Explorer C:\Nowhere\Manual\MBrenvik.mht)", "xdg-open", R"("C:\Nowhere\Manual\MBrenvik.mht" cannot)", {}},
            {R"(Explorer Manual/MBrenvik.mht)", nullptr, "\"xdg-open\" is not installed", {}},
            {"rundll32.exe shell32.dll,Control_RunDLL intl.cpl", "gnome-control-center", "", {"gnome-control-center", "region"}},
            {"RUNDLL32.EXE shell32.dll,Control_RunDLL INTL.CPL", nullptr, "No region settings", {}},
            {R"(NOSUCH.EXE "in.wav" "l.tim")", nullptr, "\"NOSUCH.EXE\" cannot be found", {}},
            {"   ", nullptr, "the command line names none", {}},
            {"BROKEN.EXE a", nullptr, "\"BROKEN.EXE\" cannot be started", {}},
            {"PLAIN.EXE a", nullptr, "neither executable nor a Windows program", {}},
            {"WINCONV.EXE a", nullptr, "no \"wine\" on the PATH", {}},
        };
        for (const auto &r : rows) {
            QFile::remove(ran);
            QVERIFY(QDir(tmp.filePath("helpers")).removeRecursively() && (!r.helper || helper(r.helper)));
            const QString message = startHostCommandLine(r.line, tmp.filePath("own"));
            ROW_COMPARE(r.line + " gave: " + message, *r.message ? message.contains(r.message) : message.isEmpty(), true);
            // A start shows within the timeout; a wrong one gets 100 ms to show.
            (void)QTest::qWaitFor([&] { return started() == r.ran; }, r.ran.isEmpty() ? 0 : 10000);
            QTest::qWait(100);
            ROW_COMPARE(r.line, started(), r.ran);
        }
        // Started programs are reaped when they end, also when started from
        // another thread than the event loop's: none of ours is left, running or dead.
        QString fromThread = "not run";
        QVERIFY(helper("zarvo"));
        std::unique_ptr<QThread> thread(QThread::create([&] { fromThread = startHostCommandLine("ZARVO.EXE a", {}); }));
        thread->start();
        QVERIFY(thread->wait(10000) && fromThread.isEmpty());
        QVERIFY2(QTest::qWaitFor([] {
            QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(::getpid()));
            return children.open(QIODevice::ReadOnly) && children.readAll().trimmed().isEmpty();
        }, 10000), "our children are left");
    }

    // The program itself, where no display can be used: one plain line and a failure status, never
    // Qt's abort. A "DISPLAY" of letters names no server that could ever answer.
    void startWithoutDisplay()
    {
        const struct { const char *name, *value; QStringList arguments; } rows[] = {
            {"", "", {}}, {"DISPLAY", ":brenvik-none", {"-display", ":77x"}}, {"WAYLAND_DISPLAY", "brenvik-none", {}},
        };
        for (const auto &r : rows) {
            QProcess program;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
                environment.remove(QLatin1String(name));
            if (*r.name)
                environment.insert(QLatin1String(r.name), QLatin1String(r.value));
            program.setProcessEnvironment(environment);
            program.start(QCoreApplication::applicationDirPath() + "/brenvik", r.arguments);
            ROW_COMPARE(r.name, program.waitForFinished(30000) && program.exitStatus() == QProcess::NormalExit
                                    && program.exitCode() == 2, true);
            ROW_COMPARE(r.name, QString::fromUtf8(program.readAllStandardError()),
                        QStringLiteral("brenvik: no usable display found (DISPLAY or WAYLAND_DISPLAY is unset or names none "
                                       "that answers); start it from a desktop session.\n"));
        }
    }

    // As on Windows: the first button is the default, Escape answers No (or OK).
    void messageBox()
    {
        const struct { int style; Qt::Key key; int answer, icon, buttons; } rows[] = {
            {52, Qt::Key_Return, 6, QMessageBox::Warning, 2}, {20, Qt::Key_Escape, 7, QMessageBox::Critical, 2},
            {0, Qt::Key_Escape, 1, QMessageBox::NoIcon, 1},
        };
        for (const auto &r : rows) {
            QStringList shown;
            whenShown<QMessageBox>([&](QMessageBox *box) {
                shown << box->text() << QString::number(int(box->icon())) << QString::number(box->buttons().size());
                QTest::keyClick(box, r.key);
            });
            shown << QString::number(QtPlatform().messageBox("line one\rline <two>", r.style, "Title"));
            ROW_COMPARE(QString::number(r.style), shown, QStringList({"line one\nline <two>", QString::number(r.icon),
                                                                     QString::number(r.buttons), QString::number(r.answer)}));
        }
    }

    // The presets of the program's dialogs, and patterns typed over them: a pattern is no choice.
    // Enter in Qt's own dialog filters its list; a dialog that returns the pattern (as a native
    // one does) opens again, showing it.
    void fileDialogPatterns()
    {
        QTemporaryDir dir;
        const QString wav = "MS RIFF Audio File (*.WAV)|*.WAV";
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        const struct { QString filter, preset; int action; const char *typed; bool returns; const char *folder; } rows[] = {
            {wav, "*.WAV", CommonDialog::OpenDialog, "", false, ""},
            {"Velmora files (*._*)|*._*", "*._*", CommonDialog::OpenDialog, "", false, ""},
            {"2Ch. Time File (*.DTI)|*.DTI|Ch.A Time File (*.TIA)|*.TIA", "*.DTI", CommonDialog::OpenDialog, "", true, ""},
            {"Filter File (*.DAT)|*.DAT", "*.DAT", CommonDialog::SaveDialog, "", true, ""},
            {wav, "*.WAV", CommonDialog::SaveDialog, "h?ll.*", false, ""},
            {wav, "*.WAV", CommonDialog::OpenDialog, "sub/*.wav", true, "/sub"},
        };
        for (const auto &r : rows) {
            CommonDialog d{.Filter = r.filter, .FileName = r.preset, .InitDir = dir.path()};
            const QString pattern = r.typed[0] ? QFileInfo(r.typed).fileName() : r.preset;
            QStringList shown;
            const auto choose = [&](QFileDialog *box) {
                auto *name = box->findChild<QLineEdit *>("fileNameEdit");
                shown << box->selectedNameFilter() << name->text() << box->directory().path();
                // Saving onto an existing file asks nothing: the program asks itself where it must.
                QVERIFY(box->testOption(QFileDialog::DontConfirmOverwrite) || r.action != CommonDialog::SaveDialog);
                name->setText("take");
                QTest::keyClick(name, Qt::Key_Return);
            };
            whenShown<QFileDialog>([&](QFileDialog *box) {
                auto *name = box->findChild<QLineEdit *>("fileNameEdit");
                if (r.typed[0])
                    name->setText(QString::fromLatin1(r.typed));
                if (r.returns) {
                    whenShown<QFileDialog>(choose);
                    box->QDialog::accept();
                } else {
                    QTest::keyClick(name, Qt::Key_Return);
                    QTRY_VERIFY(box->isVisible());
                    choose(box);
                }
            });
            const QString folder = dir.path() + QLatin1String(r.folder);
            ROW_COMPARE(r.preset + " " + r.typed, QtPlatform().showFileDialog(d, r.action, nullptr) ? shown << d.FileName : shown,
                        QStringList({pattern, pattern, folder, folder + "/take"}));
        }
        CommonDialog d;
        d.FileName = "keep";
        whenShown<QFileDialog>([](QFileDialog *box) { box->reject(); });
        QVERIFY(!QtPlatform().showFileDialog(d, CommonDialog::OpenDialog, nullptr));
        QCOMPARE(d.FileName, QStringLiteral("keep"));
    }
};

QTEST_MAIN(TestHost)
#include "tst_host.moc"
