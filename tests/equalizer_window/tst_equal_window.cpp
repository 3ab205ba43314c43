#include "Equal.h"
#include "FakePlatform.h"
#include "FilterFile.h"
#include "Module1.h"
#include "PlotArea.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

namespace {

const QByteArray FlatFileText =
    " 31.5  0 \r\n 63  0 \r\n 125  0 \r\n 250  0 \r\n 500  0 \r\n"
    " 1000  0 \r\n 2000  0 \r\n 4000  0 \r\n 8000  0 \r\n 16000  0 \r\n";

QScrollBar *slider(QWidget *w, int k)
{
    return w->findChild<QScrollBar *>(QStringLiteral("VScroll1(%1)").arg(k));
}

QLineEdit *box(QWidget *w, int k)
{
    return w->findChild<QLineEdit *>(QStringLiteral("Text1(%1)").arg(k));
}

QLineEdit *edit(QWidget *w, const char *name)
{
    return w->findChild<QLineEdit *>(QString::fromLatin1(name));
}

QPushButton *button(QWidget *w, const char *name)
{
    return w->findChild<QPushButton *>(QString::fromLatin1(name));
}

PlotArea *plot(QWidget *w)
{
    return w->findChild<PlotArea *>(QStringLiteral("Picture1"));
}

// Slider position as the program sees it: +10000 with the thumb at the top.
int position(QWidget *w, int k)
{
    return -slider(w, k)->value();
}

// Types `text` over the whole content of a box, optionally pressing Enter.
void type(QLineEdit *target, const QString &text, bool enter = true)
{
    target->selectAll();
    QTest::keyClicks(target, text);
    if (enter)
        QTest::keyClick(target, Qt::Key_Return);
}

QList<QPointF> polylinePoints(QWidget *w)
{
    QList<QPointF> points;
    const auto &segments = plot(w)->segments();
    for (qsizetype i = 0; i < segments.size(); ++i) {
        if (i == 0)
            points << segments[i].from;
        else if (segments[i].from != segments[i - 1].to)
            return {};  // not a connected polyline
        points << segments[i].to;
    }
    return points;
}

void writeFile(const QString &name, const QByteArray &content)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray fileContent(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray filterWithGains(const QList<double> &gains)
{
    FilterBands bands;
    bands.frequency = BandModel::DefaultFrequencies;
    for (int k = 0; k < BandCount; ++k)
        bands.gain[k] = gains.value(k);
    return filterFileText(bands);
}

// What a failed file command must leave untouched.
struct Snapshot
{
    QList<int> positions;
    QStringList texts;
    QList<double> gains;
    float top, bottom;

    static Snapshot of(Equal &w)
    {
        Snapshot s;
        for (int k = 0; k < BandCount; ++k) {
            s.positions << position(&w, k);
            s.texts << box(&w, k)->text();
            s.gains << w.bands().bandGain[k];
        }
        s.texts << edit(&w, "Topp")->text() << edit(&w, "Bottom")->text()
                << edit(&w, "Textfiltname")->text();
        s.top = w.bands().rangeTop;
        s.bottom = w.bands().rangeBottom;
        return s;
    }
    bool operator==(const Snapshot &o) const
    {
        return positions == o.positions && texts == o.texts && gains == o.gains && top == o.top
               && bottom == o.bottom;
    }
};

} // namespace

class TestEqualWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<QTemporaryDir> dir;

    // A loaded and shown window, as the converter window would open it.
    std::unique_ptr<Equal> openWindow(QWidget *converter = nullptr)
    {
        auto w = std::make_unique<Equal>(*fake, converter);
        w->Form_Load();
        w->show();
        return w;
    }
    QString path(const QString &name) const { return dir->filePath(name); }

private slots:
    void init();

    void controlsAsDesigned();
    void slidersRunFromTopToBottom();
    void tabOrderAndInitialFocus();

    void flatOpening();
    void bandBoxEntry_data();
    void bandBoxEntry();
    void typingWithoutEnterChangesNothing();
    void enterIsNotTakenByAButtonAndEscapeDoesNotClose();
    void sliderSteps_data();
    void sliderSteps();
    void arrowClickWithTheMouse();
    void dragActsOnlyOnRelease();
    void settingThePresentPositionRunsNothing();
    void rangeEntry_data();
    void rangeEntry();
    void rangeAppliedOnLosingFocus();
    void emptyRangeIsRefused();
    void selectionSurvivesAClick();

    void polylineOfOneRaisedBand();
    void drawingSurvivesRepaint();

    void saveWritesFlatFileByteForByte();
    void browseReadsAndWidens();
    void frequenciesReadAreWrittenBackUnchanged();
    void badFileKeepsTheFilter_data();
    void badFileKeepsTheFilter();
    void failedSaveKeepsWindowAndName_data();
    void failedSaveKeepsWindowAndName();
    void cancelledSaveDialogDoesNothing();
    void dialogSettings();
    void saveReplacesAndTakesTheNameAsTyped();

    void modalOpeningPlacedBesideConverter();
    void resizeCopiesTheWindowState();
    void cancelAfterBrowseLeavesNoFilter();
    void saveThenReopen();
    void browseWidensNarrowedRange();
    void closeBoxKeepsTypedName();
    void openingWithBadFileGivesFlatBands();
};

void TestEqualWindow::init()
{
    fake = std::make_unique<FakePlatform>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    filterFileName.clear();
}

void TestEqualWindow::controlsAsDesigned()
{
    Equal w(*fake);
    QCOMPARE(w.objectName(), QStringLiteral("equal"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Octave Band Equalizer"));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(!w.windowIcon().isNull());

    // Design state before loading.
    QCOMPARE(box(&w, 0)->text(), QStringLiteral("23.0"));
    QCOMPARE(box(&w, 1)->text(), QString());
    QCOMPARE(position(&w, 0), 0);
    QCOMPARE(position(&w, 9), 50);
    QCOMPARE(edit(&w, "Topp")->text(), QStringLiteral("+50"));
    QCOMPARE(edit(&w, "Bottom")->text(), QStringLiteral("-50"));

    const QStringList captions{"31.5", "63", "125", "250", "500",
                               "1000", "2000", "4000", "8000", "16000"};
    for (int k = 0; k < BandCount; ++k) {
        auto *label = w.findChild<QLabel *>(QStringLiteral("Label1(%1)").arg(k));
        QVERIFY(label);
        QCOMPARE(label->text(), captions[k]);
        QVERIFY(box(&w, k) && slider(&w, k));
        // Columns stand 360 twips (24 pixels) apart.
        QCOMPARE(slider(&w, k)->x(), qRound((230 + 360 * k) / 15.0));
    }
    QCOMPARE(button(&w, "Command3D2")->text(), QStringLiteral("OK - save"));
    QCOMPARE(button(&w, "Command3D1")->text(), QStringLiteral("Cancel - don't save"));
    QCOMPARE(button(&w, "Commbrowse")->text(), QStringLiteral("Browse..."));
    auto *frame = w.findChild<QGroupBox *>(QStringLiteral("Frame3D1"));
    QCOMPARE(frame->title(), QStringLiteral("Filter File Name"));
    QCOMPARE(edit(&w, "Textfiltname")->parentWidget(), frame);
    QCOMPARE(button(&w, "Commbrowse")->parentWidget(), frame);
    QCOMPARE(plot(&w)->palette().color(QPalette::Window), QColor(255, 255, 0));
    QCOMPARE(button(&w, "Command3D2")->palette().color(QPalette::ButtonText), QColor(128, 0, 0));
    QCOMPARE(button(&w, "Command3D1")->palette().color(QPalette::ButtonText), QColor(0, 0, 128));

    // 17 grid lines inside the plot, 17 ticks on the window.
    for (int n = 1; n <= 34; ++n) {
        auto *line = w.findChild<QWidget *>(QStringLiteral("Line%1").arg(n));
        QVERIFY2(line, qPrintable(QStringLiteral("Line%1").arg(n)));
        QCOMPARE(line->parentWidget(), n >= 18 ? static_cast<QWidget *>(plot(&w))
                                               : static_cast<QWidget *>(&w));
    }
    // Each tick is level with its grid line.
    auto *tick = w.findChild<QWidget *>(QStringLiteral("Line2"));
    auto *grid = w.findChild<QWidget *>(QStringLiteral("Line34"));
    QVERIFY(qAbs(tick->geometry().center().y() - grid->mapTo(&w, grid->rect().center()).y()) <= 2);
}

void TestEqualWindow::slidersRunFromTopToBottom()
{
    auto w = openWindow();
    QScrollBar *bar = slider(w.get(), 3);
    QCOMPARE(bar->singleStep(), 50);
    QCOMPARE(bar->pageStep(), 300);
    QVERIFY(!bar->hasTracking());
    w->setSliderPosition(3, 10000);
    QCOMPARE(bar->value(), bar->minimum());  // thumb at the top
    w->setSliderPosition(3, -10000);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(w->sliderPosition(3), -10000);
}

void TestEqualWindow::tabOrderAndInitialFocus()
{
    auto w = openWindow();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(slider(w.get(), 0)));

    QList<QWidget *> expected{slider(w.get(), 1), box(w.get(), 0), box(w.get(), 1),
                              edit(w.get(), "Textfiltname"), button(w.get(), "Commbrowse"),
                              edit(w.get(), "Topp"), edit(w.get(), "Bottom"),
                              button(w.get(), "Command3D2"), button(w.get(), "Command3D1")};
    for (int k = 2; k < BandCount; ++k)
        expected << slider(w.get(), k);
    for (int k = 2; k < BandCount; ++k)
        expected << box(w.get(), k);
    expected << plot(w.get());
    for (QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), next->objectName());
    }
}

void TestEqualWindow::flatOpening()
{
    auto w = openWindow();
    for (int k = 0; k < BandCount; ++k) {
        QCOMPARE(box(w.get(), k)->text(), QStringLiteral(" 0.0"));
        QCOMPARE(position(w.get(), k), 0);
        QCOMPARE(w->bands().bandGain[k], 0.0);
    }
    QCOMPARE(edit(w.get(), "Topp")->text(), QStringLiteral("+50.0"));
    QCOMPARE(edit(w.get(), "Bottom")->text(), QStringLiteral("-50.0"));
    QCOMPARE(edit(w.get(), "Textfiltname")->text(), QString());
    QCOMPARE(fake->beeps, 1);
    QVERIFY(fake->pendingEventRuns >= 1);
    QVERIFY(fake->messages.isEmpty());

    const QList<QPointF> points = polylinePoints(w.get());
    QCOMPARE(points.size(), 10);
    for (int k = 0; k < BandCount; ++k)
        QCOMPARE(points[k], QPointF(170 + 360 * k, 1770));
    for (const auto &segment : plot(w.get())->segments()) {
        QCOMPARE(segment.color, QColor(215, 0, 0));
        QCOMPARE(segment.width, 5);
    }
}

void TestEqualWindow::bandBoxEntry_data()
{
    QTest::addColumn<int>("band");
    QTest::addColumn<QString>("first");   // typed and entered before, "" for none
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<double>("gain");

    QTest::newRow("7.3 in the fourth band") << 3 << "" << "7.3" << 1460 << "+7.3" << 7.3;
    QTest::newRow("80 clamps to the top") << 0 << "" << "80" << 10000 << "+50.0" << 50.0;
    QTest::newRow("-80 clamps to the bottom") << 9 << "" << "-80" << -10000 << "-50.0" << -50.0;
    QTest::newRow("abc after 7.3 gives 0 dB") << 2 << "7.3" << "abc" << 0 << "+0.0" << 0.0;
    QTest::newRow("abc on a flat band keeps the text") << 2 << "" << "abc" << 0 << "abc" << 0.0;
    QTest::newRow("unit after the number") << 5 << "" << "7.3dB" << 1460 << "+7.3" << 7.3;
    QTest::newRow("blanks inside the number") << 6 << "" << "1 2" << 2400 << "+12.0" << 12.0;
    QTest::newRow("1e999 clamps") << 7 << "" << "1e999" << 10000 << "+50.0" << 50.0;
    QTest::newRow("Enter on an unchanged box") << 1 << "" << " 0.0" << 0 << " 0.0" << 0.0;
    QTest::newRow("off the grid stays as typed") << 4 << "" << "0.002" << 0 << "0.002" << 0.002;
}

void TestEqualWindow::bandBoxEntry()
{
    QFETCH(int, band);
    QFETCH(QString, first);
    QFETCH(QString, typed);
    QFETCH(int, position);
    QFETCH(QString, shown);
    QFETCH(double, gain);

    auto w = openWindow();
    if (!first.isEmpty())
        type(box(w.get(), band), first);
    type(box(w.get(), band), typed);
    QCOMPARE(::position(w.get(), band), position);
    QCOMPARE(box(w.get(), band)->text(), shown);
    QVERIFY2(std::fabs(w->bands().bandGain[band] - gain) < 1e-9,
             qPrintable(QString::number(w->bands().bandGain[band], 'g', 17)));
    for (int k = 0; k < BandCount; ++k)
        if (k != band)
            QCOMPARE(::position(w.get(), k), 0);
    QCOMPARE(polylinePoints(w.get())[band].y(), double(plotY(qint16(position))));
}

void TestEqualWindow::typingWithoutEnterChangesNothing()
{
    auto w = openWindow();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    box(w.get(), 3)->setFocus();
    type(box(w.get(), 3), QStringLiteral("7.3"), false);
    QTest::mouseClick(box(w.get(), 5), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(box(w.get(), 5)));
    QCOMPARE(position(w.get(), 3), 0);
    QCOMPARE(w->bands().bandGain[3], 0.0);
    QCOMPARE(box(w.get(), 3)->text(), QStringLiteral("7.3"));
    QCOMPARE(polylinePoints(w.get())[3], QPointF(170 + 3 * 360, 1770));
}

void TestEqualWindow::enterIsNotTakenByAButtonAndEscapeDoesNotClose()
{
    auto w = openWindow();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    box(w.get(), 0)->setFocus();
    type(box(w.get(), 0), QStringLiteral("5"));
    QTest::keyClick(edit(w.get(), "Topp"), Qt::Key_Return);
    QTest::keyClick(box(w.get(), 0), Qt::Key_Escape);
    QVERIFY(w->isVisible());
    QVERIFY(fake->dialogs.isEmpty());
    QCOMPARE(position(w.get(), 0), 1000);

    // Enter on a focused button clicks it.
    filterFileName = QStringLiteral("some.DAT");
    button(w.get(), "Command3D1")->setFocus();
    QTest::keyClick(button(w.get(), "Command3D1"), Qt::Key_Return);
    QVERIFY(!w->isVisible());
    QCOMPARE(filterFileName, QString());
}

void TestEqualWindow::sliderSteps_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("position");
    QTest::addColumn<double>("gain");
    QTest::addColumn<QString>("shown");
    // 0.25 dB comes out as 0.2499999999999929, which shows as "+0.2".
    QTest::newRow("arrow up") << int(QAbstractSlider::SliderSingleStepSub) << 50 << 0.25 << "+0.2";
    QTest::newRow("arrow down") << int(QAbstractSlider::SliderSingleStepAdd) << -50 << -0.25
                                << "-0.3";
    QTest::newRow("page up") << int(QAbstractSlider::SliderPageStepSub) << 300 << 1.5 << "+1.5";
    QTest::newRow("page down") << int(QAbstractSlider::SliderPageStepAdd) << -300 << -1.5
                               << "-1.5";
    QTest::newRow("to the top") << int(QAbstractSlider::SliderToMinimum) << 10000 << 50.0
                                << "+50.0";
}

void TestEqualWindow::sliderSteps()
{
    QFETCH(int, action);
    QFETCH(int, position);
    QFETCH(double, gain);
    QFETCH(QString, shown);
    auto w = openWindow();
    slider(w.get(), 4)->triggerAction(QAbstractSlider::SliderAction(action));
    QCOMPARE(::position(w.get(), 4), position);
    QCOMPARE(w->bands().bandGain[4], gain);
    QCOMPARE(box(w.get(), 4)->text(), shown);
    QCOMPARE(polylinePoints(w.get())[4].y(), double(plotY(qint16(position))));
}

void TestEqualWindow::arrowClickWithTheMouse()
{
    auto w = openWindow();
    QScrollBar *bar = slider(w.get(), 2);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, 2));
    QCOMPARE(position(w.get(), 2), 50);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 3));
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 3));
    QCOMPARE(position(w.get(), 2), -50);
    QCOMPARE(box(w.get(), 2)->text(), QStringLiteral("-0.3"));
}

void TestEqualWindow::dragActsOnlyOnRelease()
{
    auto w = openWindow();
    QScrollBar *bar = slider(w.get(), 6);
    bar->setSliderDown(true);
    bar->setSliderPosition(-5000);  // thumb dragged up to +5000
    QCOMPARE(position(w.get(), 6), 0);
    QCOMPARE(w->bands().bandGain[6], 0.0);
    QCOMPARE(box(w.get(), 6)->text(), QStringLiteral(" 0.0"));
    QCOMPARE(polylinePoints(w.get())[6].y(), 1770.0);
    bar->setSliderDown(false);
    QCOMPARE(position(w.get(), 6), 5000);
    QCOMPARE(w->bands().bandGain[6], 25.0);
    QCOMPARE(box(w.get(), 6)->text(), QStringLiteral("+25.0"));
    QCOMPARE(polylinePoints(w.get())[6].y(), double(plotY(5000)));
}

void TestEqualWindow::settingThePresentPositionRunsNothing()
{
    auto w = openWindow();
    type(box(w.get(), 1), QStringLiteral("xyz"), false);
    QSignalSpy changes(slider(w.get(), 1), &QScrollBar::valueChanged);
    w->setSliderPosition(1, 0);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(box(w.get(), 1)->text(), QStringLiteral("xyz"));
    w->setSliderPosition(1, 100);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(box(w.get(), 1)->text(), QStringLiteral("+0.5"));
}

void TestEqualWindow::rangeEntry_data()
{
    QTest::addColumn<QString>("gainOfBand0");  // entered into Text1(0) first, "" for none
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("bottom");
    QTest::addColumn<int>("position");  // of every flat band afterwards
    QTest::addColumn<QString>("shown");  // in their boxes: 0 dB moved to the nearest grid point

    QTest::newRow("top limited to 100")
        << "" << "Topp" << "150" << "+100.0" << "-50.0" << -3333 << "+0.0";
    QTest::newRow("bottom limited to -100")
        << "" << "Bottom" << "-150" << "+50.0" << "-100.0" << 3333 << "-0.0";
    QTest::newRow("top not below a gain of +6")
        << "6" << "Topp" << "-20" << "+6.0" << "-50.0" << 7857 << "-0.0";
    QTest::newRow("top 10 moves every slider to 6667")
        << "" << "Topp" << "10" << "+10.0" << "-50.0" << 6667 << "+0.0";
    QTest::newRow("bottom abc reads 0")
        << "" << "Bottom" << "abc" << "+50.0" << "+0.0" << -10000 << "+0.0";
    QTest::newRow("bottom not above a gain of -6")
        << "-6" << "Bottom" << "20" << "+50.0" << "-6.0" << -7857 << "+0.0";
}

void TestEqualWindow::rangeEntry()
{
    QFETCH(QString, gainOfBand0);
    QFETCH(QString, target);
    QFETCH(QString, typed);
    QFETCH(QString, top);
    QFETCH(QString, bottom);
    QFETCH(int, position);
    QFETCH(QString, shown);

    auto w = openWindow();
    if (!gainOfBand0.isEmpty())
        type(box(w.get(), 0), gainOfBand0);
    const double gain0 = w->bands().bandGain[0];
    type(edit(w.get(), qPrintable(target)), typed);
    QCOMPARE(edit(w.get(), "Topp")->text(), top);
    QCOMPARE(edit(w.get(), "Bottom")->text(), bottom);
    for (int k = 1; k < BandCount; ++k) {
        QCOMPARE(::position(w.get(), k), position);
        const double gain = w->bands().PositionToGain(qint16(position));
        QCOMPARE(w->bands().bandGain[k], gain);
        QCOMPARE(box(w.get(), k)->text(), shown);
    }
    // The entered band keeps its gain up to the new grid.
    QVERIFY(std::fabs(w->bands().bandGain[0] - gain0)
            <= (w->bands().rangeTop - w->bands().rangeBottom) / 20000.0);
    if (gainOfBand0.isEmpty() && typed == QLatin1String("10")) {
        QVERIFY(std::fabs(w->bands().bandGain[0] - 0.001) < 1e-9);
        QCOMPARE(box(w.get(), 0)->text(), QStringLiteral("+0.0"));
    }
}

void TestEqualWindow::rangeAppliedOnLosingFocus()
{
    auto w = openWindow();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QLineEdit *top = edit(w.get(), "Topp");
    top->setFocus();
    type(top, QStringLiteral("20"), false);
    QCOMPARE(position(w.get(), 0), 0);
    QTest::mouseClick(box(w.get(), 0), Qt::LeftButton);
    QCOMPARE(top->text(), QStringLiteral("+20.0"));
    QCOMPARE(position(w.get(), 0), 4286);

    // Enter and then leaving applies the box twice; the second time to the
    // rounded text, which still covers the gains.
    QLineEdit *bottom = edit(w.get(), "Bottom");
    bottom->setFocus();
    type(bottom, QStringLiteral("-33.33"));
    QCOMPARE(bottom->text(), QStringLiteral("-33.3"));
    QCOMPARE(w->bands().rangeBottom, -33.33f);
    QTest::mouseClick(box(w.get(), 1), Qt::LeftButton);
    QCOMPARE(w->bands().rangeBottom, -33.3f);
}

void TestEqualWindow::emptyRangeIsRefused()
{
    auto w = openWindow();
    type(edit(w.get(), "Topp"), QStringLiteral("0"));
    QCOMPARE(edit(w.get(), "Topp")->text(), QStringLiteral("+0.0"));
    QCOMPARE(position(w.get(), 0), 10000);
    const Snapshot before = Snapshot::of(*w);
    type(edit(w.get(), "Bottom"), QStringLiteral("0"));
    QCOMPARE(edit(w.get(), "Bottom")->text(), QStringLiteral("-50.0"));
    QVERIFY(Snapshot::of(*w) == before);
    type(edit(w.get(), "Bottom"), QStringLiteral("30"));  // widened to the gains: 0 again
    QVERIFY(Snapshot::of(*w) == before);
    QVERIFY(fake->messages.isEmpty());
}

void TestEqualWindow::selectionSurvivesAClick()
{
    auto w = openWindow();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    for (QLineEdit *target : {box(w.get(), 2), edit(w.get(), "Topp"), edit(w.get(), "Bottom")}) {
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(3, target->height() / 2));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(target));
        QCOMPARE(target->selectedText(), target->text());
        QVERIFY(!target->text().isEmpty());
    }
    // Once focused, a further click places the cursor as usual.
    QLineEdit *target = edit(w.get(), "Bottom");
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(3, target->height() / 2));
    QCOMPARE(target->selectedText(), QString());
}

void TestEqualWindow::polylineOfOneRaisedBand()
{
    auto w = openWindow();
    w->setSliderPosition(0, 10000);
    const QList<QPointF> points = polylinePoints(w.get());
    QCOMPARE(points.size(), 10);
    QCOMPARE(points[0], QPointF(170, 300));
    QCOMPARE(points[1], QPointF(530, 1770));
    QCOMPARE(points[9], QPointF(3410, 1770));
    for (int k = 1; k < BandCount; ++k)
        QCOMPARE(points[k].y(), 1770.0);
    w->setSliderPosition(9, -10000);
    QCOMPARE(polylinePoints(w.get())[9], QPointF(3410, 3240));
}

void TestEqualWindow::drawingSurvivesRepaint()
{
    auto w = openWindow();
    w->setSliderPosition(0, 10000);
    const QImage image = plot(w.get())->grab().toImage();
    const QPoint origin = plot(w.get())->contentsRect().topLeft();
    // Half way along the first segment, between the grid lines.
    const QPoint middle = origin + QPoint(qRound(350 / 15.0), qRound(1035 / 15.0));
    auto isRed = [&](QPoint p) {
        const QColor c = image.pixelColor(p);
        return c.red() > 150 && c.green() < 80 && c.blue() < 80;
    };
    bool found = false;
    for (int dy = -4; dy <= 4 && !found; ++dy)
        found = isRed(middle + QPoint(0, dy));
    QVERIFY(found);
    QVERIFY(!isRed(origin + QPoint(qRound(350 / 15.0), qRound(400 / 15.0))));
}

void TestEqualWindow::saveWritesFlatFileByteForByte()
{
    auto w = openWindow();
    const QString name = path(QStringLiteral("flat.DAT"));
    fake->dialogResults.push_back(name);
    QTest::mouseClick(button(w.get(), "Command3D2"), Qt::LeftButton);
    QCOMPARE(fileContent(name), FlatFileText);
    QCOMPARE(filterFileName, name);
    QVERIFY(!w->isVisible());
}

void TestEqualWindow::browseReadsAndWidens()
{
    const QString name = path(QStringLiteral("wide.DAT"));
    writeFile(name, filterWithGains({-62, 8, 0, 6.25, -12.5, 0, 0, 0, 0, 3}));
    auto w = openWindow();
    fake->dialogResults.push_back(name);
    QTest::mouseClick(button(w.get(), "Commbrowse"), Qt::LeftButton);
    QVERIFY(fake->messages.isEmpty());
    QCOMPARE(edit(w.get(), "Bottom")->text(), QStringLiteral("-62.0"));
    QCOMPARE(edit(w.get(), "Topp")->text(), QStringLiteral("+50.0"));
    QCOMPARE(edit(w.get(), "Textfiltname")->text(), name);
    QCOMPARE(filterFileName, name);
    // On -62..+50 the grid has no point at 0 dB: 0 comes back as -0.0024.
    const QStringList shown{"-62.", "+8.", "-0.", "+6.3", "-12.5", "-0.", "-0.", "-0.", "-0.",
                            "+3."};
    for (int k = 0; k < BandCount; ++k)
        QCOMPARE(box(w.get(), k)->text(), shown[k]);
    QCOMPARE(position(w.get(), 0), -10000);
    QCOMPARE(w->bands().bandGain[0], -62.0);
    QCOMPARE(position(w.get(), 1), 2500);
    QCOMPARE(position(w.get(), 3), 2188);  // 2187.5, half to even
    // Gains come back quantised to the grid of the widened range.
    QVERIFY(std::fabs(w->bands().bandGain[1] - 8.0) <= 112.0 / 20000.0);
    QVERIFY(w->isVisible());

    // A file inside the present range leaves the range as it is.
    const QString inside = path(QStringLiteral("inside.DAT"));
    writeFile(inside, filterWithGains({1, 2, 3}));
    fake->dialogResults.push_back(inside);
    QTest::mouseClick(button(w.get(), "Commbrowse"), Qt::LeftButton);
    QCOMPARE(edit(w.get(), "Bottom")->text(), QStringLiteral("-62.0"));
    QCOMPARE(edit(w.get(), "Topp")->text(), QStringLiteral("+50.0"));
}

void TestEqualWindow::frequenciesReadAreWrittenBackUnchanged()
{
    const QString name = path(QStringLiteral("thirty.DAT"));
    writeFile(name, "30,0 63,0 125,0 250,0 500,0 1000,0 2000,0 4000,0 8000,0 16000,-0");
    filterFileName = name;
    auto w = openWindow();
    QCOMPARE(w->bands().bandFrequency[0], 30.0);
    QCOMPARE(w->findChild<QLabel *>(QStringLiteral("Label1(0)"))->text(), QStringLiteral("31.5"));
    QCOMPARE(box(w.get(), 9)->text(), QStringLiteral("+0."));
    const QString out = path(QStringLiteral("out.DAT"));
    fake->dialogResults.push_back(out);
    button(w.get(), "Command3D2")->click();
    QCOMPARE(fileContent(out), QByteArray(FlatFileText).replace(" 31.5 ", " 30 "));
}

void TestEqualWindow::badFileKeepsTheFilter_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");  // null: no such file is made
    QTest::newRow("missing file") << "missing.DAT" << QByteArray();
    QTest::newRow("empty") << "empty.DAT" << QByteArray("");
    QTest::newRow("19 numbers") << "short.DAT"
                                << QByteArray("31.5 0 63 0 125 0 250 0 500 0 1000 0 2000 0 "
                                              "4000 0 8000 0 16000");
    QTest::newRow("abc") << "abc.DAT" << filterWithGains({}).replace(" 63  0", " 63  abc");
    QTest::newRow("nan") << "nan.DAT" << filterWithGains({}).replace(" 63  0", " 63  nan");
    QTest::newRow("1e999") << "huge.DAT" << filterWithGains({}).replace(" 63  0", " 63  1e999");
    QTest::newRow("binary junk") << "junk.DAT" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    QTest::newRow("a folder") << "." << QByteArray();
}

void TestEqualWindow::badFileKeepsTheFilter()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    const QString name = path(fileName);
    if (!content.isNull())
        writeFile(name, content);

    const QString previous = path(QStringLiteral("previous.DAT"));
    writeFile(previous, filterWithGains({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    filterFileName = previous;
    auto w = openWindow();
    type(box(w.get(), 3), QStringLiteral("7.3"));
    type(edit(w.get(), "Bottom"), QStringLiteral("-20"));
    const Snapshot before = Snapshot::of(*w);

    fake->dialogResults.push_back(name);
    QTest::mouseClick(button(w.get(), "Commbrowse"), Qt::LeftButton);
    QCOMPARE(fake->messages.size(), 1);
    QCOMPARE(fake->messages[0].style, 48);
    QCOMPARE(fake->messages[0].title, QStringLiteral("Filter File Error"));
    QVERIFY2(fake->messages[0].prompt.contains(name), qPrintable(fake->messages[0].prompt));
    QVERIFY(Snapshot::of(*w) == before);
    QCOMPARE(filterFileName, previous);
    QVERIFY(w->isVisible());
}

void TestEqualWindow::failedSaveKeepsWindowAndName_data()
{
    QTest::addColumn<QString>("previousName");
    QTest::newRow("no filter before") << QString();
    QTest::newRow("a filter before") << QStringLiteral("kept.DAT");
}

void TestEqualWindow::failedSaveKeepsWindowAndName()
{
    QFETCH(QString, previousName);
    auto w = openWindow();
    if (!previousName.isEmpty())
        type(edit(w.get(), "Textfiltname"), path(previousName), false);
    const QString expected = filterFileName;
    QCOMPARE(expected.isEmpty(), previousName.isEmpty());

    // Root may write anywhere, so the unwritable place is a folder that
    // does not exist.
    const QString name = path(QStringLiteral("no-such-folder/x.DAT"));
    fake->dialogResults.push_back(name);
    QTest::mouseClick(button(w.get(), "Command3D2"), Qt::LeftButton);
    QCOMPARE(fake->messages.size(), 1);
    QCOMPARE(fake->messages[0].style, 48);
    QVERIFY(fake->messages[0].prompt.contains(name));
    QVERIFY(w->isVisible());
    QCOMPARE(filterFileName, expected);
    QVERIFY(!QFile::exists(name));
}

void TestEqualWindow::cancelledSaveDialogDoesNothing()
{
    auto w = openWindow();
    type(edit(w.get(), "Textfiltname"), QStringLiteral("typed.DAT"), false);
    fake->dialogResults.push_back(QString());  // cancelled
    QTest::mouseClick(button(w.get(), "Command3D2"), Qt::LeftButton);
    QCOMPARE(fake->dialogs.size(), 1);
    QVERIFY(w->isVisible());
    QCOMPARE(filterFileName, QStringLiteral("typed.DAT"));
    QVERIFY(fake->messages.isEmpty());
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList());
}

void TestEqualWindow::dialogSettings()
{
    auto w = openWindow();
    QTest::mouseClick(button(w.get(), "Command3D2"), Qt::LeftButton);
    QTest::mouseClick(button(w.get(), "Commbrowse"), Qt::LeftButton);
    type(edit(w.get(), "Textfiltname"), QStringLiteral("C:\\EQ\\ROOM.DAT"), false);
    QTest::mouseClick(button(w.get(), "Command3D2"), Qt::LeftButton);
    QCOMPARE(fake->dialogs.size(), 3);
    const QList<int> actions{CommonDialog::SaveDialog, CommonDialog::OpenDialog,
                             CommonDialog::SaveDialog};
    const QStringList presets{"*.DAT", "*.DAT", "C:\\EQ\\ROOM.DAT"};
    for (int i = 0; i < 3; ++i) {
        const CommonDialog &settings = fake->dialogs[i].settings;
        QCOMPARE(fake->dialogs[i].action, actions[i]);
        QCOMPARE(settings.Flags, 0);
        QCOMPARE(settings.Filter, QStringLiteral("Filter File (*.DAT)|*.DAT"));
        QCOMPARE(settings.FilterIndex, 1);
        QVERIFY(settings.CancelError);
        QCOMPARE(settings.FileName, presets[i]);
    }
    QVERIFY(w->isVisible());
}

void TestEqualWindow::saveReplacesAndTakesTheNameAsTyped()
{
    const QString name = path(QStringLiteral("noext"));
    writeFile(name, "old content that is longer than the new one will be ......"
                    "...........................................................");
    auto w = openWindow();
    fake->dialogResults.push_back(name);
    QTest::mouseClick(button(w.get(), "Command3D2"), Qt::LeftButton);
    QVERIFY(fake->messages.isEmpty());
    QCOMPARE(fileContent(name), FlatFileText);
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("noext")});
}

void TestEqualWindow::modalOpeningPlacedBesideConverter()
{
    QWidget converter;
    converter.setGeometry(100, 80, 400, 300);
    converter.show();
    QVERIFY(QTest::qWaitForWindowExposed(&converter));

    bool checked = false;
    fake->modalScripts.push_back([&](QDialog &dialog) {
        const QRect frame = converter.frameGeometry();
        QCOMPARE(dialog.frameGeometry().topLeft(), QPoint(frame.x() + frame.width(), frame.y()));
        QCOMPARE(dialog.parentWidget(), &converter);
        QVERIFY(dialog.isModal());
        QCOMPARE(fake->beeps, 1);
        QCOMPARE(box(&dialog, 0)->text(), QStringLiteral(" 0.0"));
        QCOMPARE(polylinePoints(&dialog).size(), 10);
        checked = true;
    });
    Equal equal(*fake, &converter);
    equal.Form_Load();
    fake->showModal(equal);
    QVERIFY(checked);
    QVERIFY(!equal.isVisible());
    QCOMPARE(fake->beeps, 1);
}

void TestEqualWindow::resizeCopiesTheWindowState()
{
    QWidget converter;
    converter.setGeometry(100, 80, 400, 300);
    converter.showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(&converter));
    QVERIFY(converter.windowState() & Qt::WindowMaximized);
    Equal equal(*fake, &converter);
    equal.Form_Load();
    equal.show();
    QVERIFY(!(converter.windowState() & Qt::WindowMaximized));
}

void TestEqualWindow::cancelAfterBrowseLeavesNoFilter()
{
    const QString name = path(QStringLiteral("loaded.DAT"));
    writeFile(name, filterWithGains({5}));
    fake->dialogResults.push_back(name);
    fake->modalScripts.push_back([&](QDialog &dialog) {
        QTest::mouseClick(button(&dialog, "Commbrowse"), Qt::LeftButton);
        QCOMPARE(filterFileName, name);
        QTest::mouseClick(button(&dialog, "Command3D1"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
    });
    Equal equal(*fake);
    equal.Form_Load();
    fake->showModal(equal);
    QCOMPARE(filterFileName, QString());
    QCOMPARE(fileContent(name), filterWithGains({5}));
}

void TestEqualWindow::saveThenReopen()
{
    const QString name = path(QStringLiteral("saved.DAT"));
    fake->dialogResults.push_back(name);
    fake->modalScripts.push_back([&](QDialog &dialog) {
        type(edit(&dialog, "Topp"), QStringLiteral("20"));
        type(edit(&dialog, "Bottom"), QStringLiteral("-20"));
        type(box(&dialog, 2), QStringLiteral("7.3"));
        type(box(&dialog, 8), QStringLiteral("-12.5"));
        QTest::mouseClick(button(&dialog, "Command3D2"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
    });
    double gain2 = 0, gain8 = 0;
    {
        Equal first(*fake);
        first.Form_Load();
        fake->showModal(first);
        gain2 = first.bands().bandGain[2];
        gain8 = first.bands().bandGain[8];
    }
    QCOMPARE(filterFileName, name);
    QVERIFY(QFile::exists(name));

    Equal second(*fake);
    second.Form_Load();
    second.show();
    QCOMPARE(edit(&second, "Topp")->text(), QStringLiteral("+50.0"));
    QCOMPARE(edit(&second, "Bottom")->text(), QStringLiteral("-50.0"));
    QCOMPARE(edit(&second, "Textfiltname")->text(), name);
    QCOMPARE(box(&second, 2)->text(), QStringLiteral("+7.3"));
    QCOMPARE(box(&second, 8)->text(), QStringLiteral("-12.5"));
    QCOMPARE(position(&second, 2), second.bands().GainToPosition(gain2));
    QCOMPARE(position(&second, 8), -2500);
    QVERIFY(std::fabs(second.bands().bandGain[2] - gain2) <= 100.0 / 20000.0);
    QCOMPARE(second.bands().bandGain[8], gain8);
    QCOMPARE(polylinePoints(&second)[8].y(), double(plotY(-2500)));
    QCOMPARE(filterFileName, name);
}

void TestEqualWindow::browseWidensNarrowedRange()
{
    const QString name = path(QStringLiteral("wide.DAT"));
    writeFile(name, filterWithGains({-10, 30, 0, 5}));
    auto w = openWindow();
    type(edit(w.get(), "Topp"), QStringLiteral("20"));
    type(edit(w.get(), "Bottom"), QStringLiteral("-20"));
    fake->dialogResults.push_back(name);
    QTest::mouseClick(button(w.get(), "Commbrowse"), Qt::LeftButton);
    QCOMPARE(edit(w.get(), "Topp")->text(), QStringLiteral("+30.0"));
    QCOMPARE(edit(w.get(), "Bottom")->text(), QStringLiteral("-20.0"));
    QCOMPARE(position(w.get(), 1), 10000);
    QCOMPARE(position(w.get(), 0), -6000);
}

void TestEqualWindow::closeBoxKeepsTypedName()
{
    fake->modalScripts.push_back([&](QDialog &dialog) {
        type(edit(&dialog, "Textfiltname"), QStringLiteral("nowhere.DAT"), false);
        QCOMPARE(filterFileName, QStringLiteral("nowhere.DAT"));
        // Left open: the fake closes it with its close box.
    });
    Equal equal(*fake);
    equal.Form_Load();
    fake->showModal(equal);
    QVERIFY(!equal.isVisible());
    QCOMPARE(filterFileName, QStringLiteral("nowhere.DAT"));
    QVERIFY(!QFile::exists(QStringLiteral("nowhere.DAT")));
}

void TestEqualWindow::openingWithBadFileGivesFlatBands()
{
    filterFileName = path(QStringLiteral("gone.DAT"));
    auto w = openWindow();
    QCOMPARE(fake->messages.size(), 1);
    QCOMPARE(fake->messages[0].style, 48);
    QVERIFY(fake->messages[0].prompt.contains(filterFileName));
    for (int k = 0; k < BandCount; ++k) {
        QCOMPARE(box(w.get(), k)->text(), QStringLiteral(" 0.0"));
        QCOMPARE(position(w.get(), k), 0);
    }
    QCOMPARE(edit(w.get(), "Topp")->text(), QStringLiteral("+50.0"));
    QCOMPARE(filterFileName, path(QStringLiteral("gone.DAT")));
    QCOMPARE(edit(w.get(), "Textfiltname")->text(), filterFileName);
    QCOMPARE(fake->beeps, 1);
}

QTEST_MAIN(TestEqualWindow)
#include "tst_equal_window.moc"
