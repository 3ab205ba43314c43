// The real message box and file dialog, answered by a timer so nothing blocks.

#include "QtPlatform.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs `act` on the modal widget of type T as soon as it is shown.
template<typename T> void whenShown(std::function<void(T *)> act)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

} // namespace

class TestQtPlatform : public QObject
{
    Q_OBJECT

private slots:
    void messageBox_data();
    void messageBox();
    void openDialogSettings();
    void saveDialogAsksNothing();
    void cancelledDialog();
};

void TestQtPlatform::messageBox_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");

    QTest::newRow("52, Enter answers Yes") << 52 << int(Qt::Key_Return) << 6 << int(QMessageBox::Warning) << 2;
    QTest::newRow("52, Escape answers No") << 52 << int(Qt::Key_Escape) << 7 << int(QMessageBox::Warning) << 2;
    QTest::newRow("20, Escape answers No") << 20 << int(Qt::Key_Escape) << 7 << int(QMessageBox::Critical) << 2;
    QTest::newRow("48, OK") << 48 << int(Qt::Key_Return) << 1 << int(QMessageBox::Warning) << 1;
    QTest::newRow("16, OK") << 16 << int(Qt::Key_Escape) << 1 << int(QMessageBox::Critical) << 1;
    QTest::newRow("0, no icon") << 0 << int(Qt::Key_Return) << 1 << int(QMessageBox::NoIcon) << 1;
}

void TestQtPlatform::messageBox()
{
    QFETCH(int, style);
    QFETCH(int, key);
    QFETCH(int, icon);
    QFETCH(int, buttons);
    QtPlatform platform;
    QString shownText;
    int shownIcon = -1, shownButtons = -1;
    whenShown<QMessageBox>([&](QMessageBox *box) {
        shownText = box->text();
        shownIcon = box->icon();
        shownButtons = box->buttons().size();
        QTest::keyClick(box, Qt::Key(key));
    });
    const int answer = platform.messageBox(QStringLiteral("line one\rline <two>"), style,
                                           QStringLiteral("Title"));
    QTEST(answer, "answer");
    QCOMPARE(shownIcon, icon);
    QCOMPARE(shownButtons, buttons);
    QCOMPARE(shownText, QStringLiteral("line one\nline <two>"));
}

void TestQtPlatform::openDialogSettings()
{
    QTemporaryDir dir;
    for (const char *name : {"hall.wav", "ROOM.WAV", "notes.txt"}) {
        QFile f(dir.filePath(QLatin1String(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QtPlatform platform;
    CommonDialog d;
    d.Filter = QStringLiteral("2Ch. Time File (*.DTI)|*.DTI|MS RIFF Audio File (*.WAV)|*.WAV");
    d.FilterIndex = 2;
    d.InitDir = dir.path();
    d.FileName = QStringLiteral("*.WAV");
    QStringList filters, listed;
    QString selectedFilter, folder;
    whenShown<QFileDialog>([&](QFileDialog *box) {
        filters = box->nameFilters();
        selectedFilter = box->selectedNameFilter();
        folder = box->directory().path();
        auto *view = box->findChild<QListView *>(QStringLiteral("listView"));
        QTRY_VERIFY(view && view->model() && view->model()->rowCount(view->rootIndex()) > 0);
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
        box->selectFile(dir.filePath(QStringLiteral("new take")));  // need not exist
        static_cast<QDialog *>(box)->accept();
    });
    QVERIFY(platform.showFileDialog(d, CommonDialog::OpenDialog, nullptr));
    QCOMPARE(filters, QStringList({"2Ch. Time File (*.DTI)", "MS RIFF Audio File (*.WAV)"}));
    QCOMPARE(selectedFilter, QStringLiteral("MS RIFF Audio File (*.WAV)"));
    QCOMPARE(folder, dir.path());
    listed.sort();
    QCOMPARE(listed, QStringList({"ROOM.WAV", "hall.wav"}));  // patterns ignore case
    QCOMPARE(d.FileName, dir.filePath(QStringLiteral("new take")));
}

void TestQtPlatform::saveDialogAsksNothing()
{
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("old.DAT"));
    QFile f(existing);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QtPlatform platform;
    CommonDialog d;
    d.Filter = QStringLiteral("Filter File (*.DAT)|*.DAT");
    d.FileName = existing;
    bool confirmOff = false;
    whenShown<QFileDialog>([&](QFileDialog *box) {
        confirmOff = box->testOption(QFileDialog::DontConfirmOverwrite);
        static_cast<QDialog *>(box)->accept();  // the preset name, onto an existing file
    });
    QVERIFY(platform.showFileDialog(d, CommonDialog::SaveDialog, nullptr));
    QVERIFY(confirmOff);
    QCOMPARE(d.FileName, existing);
}

void TestQtPlatform::cancelledDialog()
{
    QtPlatform platform;
    CommonDialog d;
    d.Filter = QStringLiteral("Filter File (*.DAT)|*.DAT");
    d.FileName = QStringLiteral("keep");
    whenShown<QFileDialog>([](QFileDialog *box) { box->reject(); });
    QVERIFY(!platform.showFileDialog(d, CommonDialog::OpenDialog, nullptr));
    QCOMPARE(d.FileName, QStringLiteral("keep"));
}

QTEST_MAIN(TestQtPlatform)
#include "tst_qtplatform.moc"
