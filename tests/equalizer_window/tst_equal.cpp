#include "Equal.h"
#include "FakePlatform.h"
#include "FilterFile.h"
#include "Module1.h"
#include "PlotArea.h"

#include <QBuffer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace {

const QByteArray Flat = " 31.5  0 \r\n 63  0 \r\n 125  0 \r\n 250  0 \r\n 500  0 \r\n"
                        " 1000  0 \r\n 2000  0 \r\n 4000  0 \r\n 8000  0 \r\n 16000  0 \r\n";
const QByteArray Nineteen = "31.5 0 63 0 125 0 250 0 500 0 1000 0 2000 0 4000 0 8000 0 16000";

// Rows of the tables below; steps are as act() takes them.
struct Scale { float bottom, top; double gain; int position; float y; };
struct Reading { QByteArray text; bool ok; qint64 mostRead; };
struct Edit { QStringList steps; int band; int position; QString shown; double gain; };
struct Range { QStringList steps; QString top, bottom; int position; QString shown; double gain; };
struct Save { QString typed, answer; QByteArray existing; QString message; };
struct Browse { QStringList steps; QList<double> gains; QString range, shown; };
struct Failure { QString file; QByteArray content; QString reason; };
struct Opening { QString opened; QStringList steps; QString result; };

FilterBands flatBands(const QList<double> &gains = {})
{
    FilterBands bands;
    bands.frequency = BandModel::DefaultFrequencies;
    for (int k = 0; k < BandCount; ++k)
        bands.gain[k] = gains.value(k);
    return bands;
}
QByteArray withGains(const QList<double> &gains) { return filterFileText(flatBands(gains)); }

template <typename T = QLineEdit>
T *child(QWidget *w, const QString &name) { return w->findChild<T *>(name); }
QLineEdit *box(QWidget *w, int k) { return child(w, QStringLiteral("Text1(%1)").arg(k)); }
// +10000 with the thumb at the top, as the program counts.
int pos(QWidget *w, int k) { return -child<QScrollBar>(w, QStringLiteral("VScroll1(%1)").arg(k))->value(); }
QString text(QWidget *w, const char *name) { return child(w, QString::fromLatin1(name))->text(); }
int tw(int twips) { return qRound(twips / 15.0); }

QString boxes(QWidget *w)
{
    QString texts;
    for (int k = 0; k < BandCount; ++k)
        texts += (k ? " " : "") + box(w, k)->text();
    return texts;
}

// The drawn points; nothing unless the segments join into one line.
QList<QPointF> polyline(QWidget *w)
{
    const QList<PlotArea::Segment> segments = child<PlotArea>(w, "Picture1")->segments();
    QList<QPointF> points{segments.value(0).from};
    for (const PlotArea::Segment &s : segments) {
        if (points.last() != s.from)
            return {};
        points << s.to;
    }
    return points;
}

// Drives the window as a user does. "Name=text" clicks into a box (which
// selects its text, so typing replaces it), types and presses Enter;
// "Name~text" leaves with Tab instead; "VScroll1(k)=up" (down, page up, page
// down) clicks a slider's arrow or track, "=drag p" holds its thumb at p,
// "=release" lets go, "=to p" sets the position from code; "Name" clicks a button.
void act(QWidget *w, const QStringList &steps)
{
    static const QHash<QString, QAbstractSlider::SliderAction> clicks{
        {"up", QAbstractSlider::SliderSingleStepSub}, {"down", QAbstractSlider::SliderSingleStepAdd},
        {"page up", QAbstractSlider::SliderPageStepSub}, {"page down", QAbstractSlider::SliderPageStepAdd}};
    for (const QString &step : steps) {
        const qsizetype at = step.indexOf(QRegularExpression(QStringLiteral("[=~]")));
        QWidget *target = child<QWidget>(w, step.left(at));
        QVERIFY2(target, qPrintable(step));
        const QString how = step.mid(at + 1);
        if (auto *bar = qobject_cast<QScrollBar *>(target)) {
            const int position = -how.section(u' ', 1).toInt();  // the bar holds it negated
            bar->setSliderDown(how.startsWith("drag "));  // "release" lets go
            if (how.startsWith("drag "))
                bar->setSliderPosition(position);
            else if (how.startsWith("to "))
                bar->setValue(position);
            else if (how != "release")
                bar->triggerAction(clicks.value(how));
        } else if (auto *edit = qobject_cast<QLineEdit *>(target)) {
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
            if (edit->hasFocus())
                edit->selectAll();
            else
                QTest::mouseClick(edit, Qt::LeftButton);
            QCOMPARE(edit->selectedText(), edit->text());
            QTest::keyClicks(edit, how);
            QTest::keyClick(edit, step[at] == u'=' ? Qt::Key_Return : Qt::Key_Tab);
        } else {
            QTest::mouseClick(target, Qt::LeftButton);
        }
    }
}

// Everything a failed command must leave alone.
QString state(Equal &w)
{
    QStringList s{boxes(&w), text(&w, "Topp"), text(&w, "Bottom"), text(&w, "Textfiltname"),
                  QString::number(w.bands().rangeTop), QString::number(w.bands().rangeBottom)};
    for (int k = 0; k < BandCount; ++k)
        s << QString::number(pos(&w, k)) << QString::number(w.bands().bandGain[k], 'g', 17)
          << QString::number(polyline(&w).value(k).y());
    return s.join(u'|');
}

void writeFile(const QString &name, const QByteArray &content)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}
QByteArray content(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestEqual : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<QTemporaryDir> dir;

    std::unique_ptr<Equal> open()
    {
        auto w = std::make_unique<Equal>(*fake);
        w->Form_Load();
        w->show();
        return w;
    }
    QString path(const QString &name) const { return name.isNull() ? name : dir->filePath(name); }
    QStringList files() const { return QDir(dir->path()).entryList(QDir::Files | QDir::Hidden); }

private slots:
    void init()
    {
        fake = std::make_unique<FakePlatform>();
        dir = std::make_unique<QTemporaryDir>();
        filterFileName.clear();
    }

    void scale_data()
    {
        QTest::addColumn<Scale>("s");  // y: of the plot, 0 for a row that maps the gain only
        QTest::newRow("middle") << Scale{-50, 50, 0, 0, 1770};
        QTest::newRow("top end") << Scale{-50, 50, 50, 10000, 300};
        QTest::newRow("bottom end, widened") << Scale{-62, 50, -62, -10000, 3240};
        QTest::newRow("7.3 dB") << Scale{-50, 50, 7.3, 1460, 1555.38f};
        QTest::newRow("arrow step") << Scale{-50, 50, 0.25, 50, 1762.65f};
        QTest::newRow("page step") << Scale{-50, 50, 1.5, 300, 1725.9f};
        QTest::newRow("-50..+10 near 0") << Scale{-50, 10, 0.001, 6667, 789.951f};
        QTest::newRow("0 dB on -50..+10") << Scale{-50, 10, 0, 6667, 0};
        QTest::newRow("above the top") << Scale{-50, 50, 80, 10000, 0};
        QTest::newRow("far below") << Scale{-50, 50, -1e30, -10000, 0};
        // On -10000..+10000 a position equals its gain, so the halves are exact.
        QTest::newRow("1.5 to even") << Scale{-1e4, 1e4, 1.5, 2, 0};
        QTest::newRow("2.5 to even") << Scale{-1e4, 1e4, 2.5, 2, 0};
        QTest::newRow("-2.5 to even") << Scale{-1e4, 1e4, -2.5, -2, 0};
        QTest::newRow("just above a half") << Scale{-1e4, 1e4, 2.5000001, 3, 0};
        // 1 - (-0.1f) is 1.10000002 in single precision: this gain is exactly half-way
        // between 0 and 1 there (so 0), but 0.5002 with a double width (so 1).
        const double width = double(1.0f - (-0.1f));
        QTest::newRow("single-precision width") << Scale{-0.1f, 1, double(-0.1f) + 10000.5 * width / 20000, 0, 0};
    }
    void scale()
    {
        QFETCH(Scale, s);
        BandModel model;
        model.rangeBottom = s.bottom;
        model.rangeTop = s.top;
        QCOMPARE(int(model.GainToPosition(s.gain)), s.position);
        if (s.y == 0)
            return;
        const double gain = model.PositionToGain(qint16(s.position));
        QVERIFY2(std::fabs(gain - s.gain) < 1e-9, qPrintable(QString::number(gain, 'g', 17)));
        QVERIFY2(std::fabs(plotY(qint16(s.position)) - s.y) < 0.01f, qPrintable(QString::number(plotY(qint16(s.position)))));
    }

    void fileText()
    {
        QCOMPARE(filterFileText(flatBands()), Flat);
        FilterBands bands = flatBands({-12.5, 0, 7.299999999999997, 1e-7, 1e21, 0, 0, 0, 0, 6.25});
        bands.frequency[1] = -0.0;
        const QByteArray expected = QByteArray(Flat)
                                        .replace(" 31.5  0 ", " 31.5 -12.5 ")
                                        .replace(" 63  0 ", " 0  0 ")
                                        .replace(" 125  0 ", " 125  7.299999999999997 ")
                                        .replace(" 250  0 ", " 250  0.0000001 ")
                                        .replace(" 500  0 ", " 500  1000000000000000000000 ")
                                        .replace(" 16000  0 ", " 16000  6.25 ");
        QCOMPARE(filterFileText(bands), expected);
    }

    void roundTrip_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("one third") << 1.0 / 3.0;
        QTest::newRow("0.1 + 0.2") << 0.1 + 0.2;
        QTest::newRow("quantised gain") << -50.0 + 100.0 * (11460.0 / 20000.0);
        QTest::newRow("subnormal") << std::numeric_limits<double>::denorm_min();
        QTest::newRow("largest gain") << MaxFilterGain;
        QTest::newRow("negative, many digits") << -123456.78901234567;
    }
    void roundTrip()
    {
        QFETCH(double, value);
        FilterBands bands = flatBands({value, -value, value, -value, value, -value, value, -value, value, -value});
        bands.frequency[4] = value;
        bands.frequency[5] = std::numeric_limits<double>::max();
        QBuffer buffer;
        buffer.setData(filterFileText(bands));
        QVERIFY(std::all_of(buffer.data().begin(), buffer.data().end(), [](char c) { return uchar(c) < 0x80; }));
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const FilterReadResult read = readFilterBands(buffer);
        QVERIFY2(read.ok(), qPrintable(read.error));
        // Bit for bit: a lost last digit would still pass a fuzzy compare.
        QVERIFY(std::memcmp(&read.bands, &bands, sizeof bands) == 0);
    }

    void reader_data()
    {
        QTest::addColumn<Reading>("r");  // a good read gives the flat filter
        const qint64 any = std::numeric_limits<qint64>::max();
        QTest::newRow("as written") << Reading{Flat, true, any};
        QTest::newRow("one line") << Reading{Nineteen + " 0", true, any};
        QTest::newRow("commas") << Reading{QByteArray(Nineteen + " 0").replace(' ', ','), true, any};
        QTest::newRow("tabs, LF") << Reading{QByteArray(Flat).replace("  ", "\t").replace("\r", ""), true, any};
        QTest::newRow("mixed runs") << Reading{" ,\t" + QByteArray(Nineteen).replace(" 0 ", " ,, 0\r\r\n") + ",0", true, any};
        QTest::newRow("number forms") << Reading{"3.15E1 -0 6.3d1 +0 125. 0.0 250 .0 500 0e5 1000 0 2000 0 4000 0 8000 0 16000 0", true, any};
        QTest::newRow("16 MB after the twentieth") << Reading{Flat + QByteArray(16 << 20, '\x01'), true, 8192};
        QTest::newRow("64 MB of blanks") << Reading{QByteArray(64 << 20, ' '), false, MaxFilterScanBytes + 4096};
        QTest::newRow("100 kB of digits") << Reading{QByteArray(100000, '7'), false, any};
    }
    void reader()
    {
        QFETCH(Reading, r);
        QBuffer buffer(&r.text);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const FilterReadResult read = readFilterBands(buffer);
        QVERIFY2(read.ok() == r.ok, qPrintable(read.error));
        QVERIFY2(buffer.pos() <= r.mostRead, qPrintable(QString::number(buffer.pos())));
        if (r.ok)
            QVERIFY(read.bands.frequency == BandModel::DefaultFrequencies && read.bands.gain == flatBands().gain);
    }

    void layout()
    {
        auto w = open();
        QStringList names{"Topp", "Bottom", "Frame3D1", "Textfiltname", "Commbrowse", "Picture1", "Command3D1", "Command3D2"};
        QStringList captions;
        for (int n = 1; n <= 34; ++n)
            names << QStringLiteral("Line%1").arg(n);
        for (int k = 0; k < BandCount; ++k) {
            names << QStringLiteral("VScroll1(%1)").arg(k);
            auto *label = child<QLabel>(w.get(), QStringLiteral("Label1(%1)").arg(k));
            captions << (label ? label->text() : "?");
            const int left = 120 + 360 * k, right = left + (k == 9 ? 372 : 380);
            QCOMPARE(box(w.get(), k)->geometry(), QRect(tw(left), tw(420), tw(right) - tw(left), tw(708) - tw(420)));
        }
        for (const QString &name : names)
            QVERIFY2(child<QWidget>(w.get(), name), qPrintable(name));
        QCOMPARE(captions.join(u' '), "31.5 63 125 250 500 1000 2000 4000 8000 16000");

        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QStringList order{"VScroll1(0)", "VScroll1(1)", "Text1(0)", "Text1(1)", "Textfiltname", "Commbrowse",
                          "Topp", "Bottom", "Command3D2", "Command3D1"}, visited;
        for (const char *kind : {"VScroll1(%1)", "Text1(%1)"})
            for (int k = 2; k < BandCount; ++k)
                order << QString::fromLatin1(kind).arg(k);
        order << "Picture1";
        for (int i = 0; i < order.size(); ++i, QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab))
            visited << QApplication::focusWidget()->objectName();
        QCOMPARE(visited, order);
    }

    void editBand_data()
    {
        QTest::addColumn<Edit>("e");
        QTest::newRow("7.3") << Edit{{"Text1(3)=7.3"}, 3, 1460, "+7.3", 7.3};
        QTest::newRow("80: one band at the top") << Edit{{"Text1(0)=80"}, 0, 10000, "+50.0", 50};
        QTest::newRow("-80: at the bottom") << Edit{{"Text1(9)=-80"}, 9, -10000, "-50.0", -50};
        QTest::newRow("abc gives 0 dB") << Edit{{"Text1(2)=7.3", "Text1(2)=abc"}, 2, 0, "+0.0", 0};
        QTest::newRow("unit after the number") << Edit{{"Text1(5)=7.3dB"}, 5, 1460, "+7.3", 7.3};
        QTest::newRow("blank inside") << Edit{{"Text1(6)=1 2"}, 6, 2400, "+12.0", 12};
        QTest::newRow("1e999 clamps") << Edit{{"Text1(7)=1e999"}, 7, 10000, "+50.0", 50};
        QTest::newRow("Enter on an unchanged box: flat") << Edit{{"Text1(1)= 0.0"}, 1, 0, " 0.0", 0};
        QTest::newRow("off the grid stays as typed") << Edit{{"Text1(4)=0.002"}, 4, 0, "0.002", 0.002};
        QTest::newRow("no Enter, no change") << Edit{{"Text1(3)~7.3"}, 3, 0, "7.3", 0};
        // 0.25 dB comes out as 0.2499999999999929, shown "+0.2".
        QTest::newRow("arrow up") << Edit{{"VScroll1(4)=up"}, 4, 50, "+0.2", 0.25};
        QTest::newRow("arrow down") << Edit{{"VScroll1(4)=down"}, 4, -50, "-0.3", -0.25};
        QTest::newRow("page up") << Edit{{"VScroll1(4)=page up"}, 4, 300, "+1.5", 1.5};
        QTest::newRow("page down") << Edit{{"VScroll1(4)=page down"}, 4, -300, "-1.5", -1.5};
        QTest::newRow("thumb held: nothing yet") << Edit{{"VScroll1(6)=drag 5000"}, 6, 0, " 0.0", 0};
        QTest::newRow("thumb released") << Edit{{"VScroll1(6)=drag 5000", "VScroll1(6)=release"}, 6, 5000, "+25.0", 25};
        QTest::newRow("present position runs nothing") << Edit{{"Text1(1)~xyz", "VScroll1(1)=to 0"}, 1, 0, "xyz", 0};
        QTest::newRow("a new position runs") << Edit{{"Text1(1)~xyz", "VScroll1(1)=to 100"}, 1, 100, "+0.5", 0.5};
    }
    void editBand()
    {
        QFETCH(Edit, e);
        auto w = open();
        act(w.get(), e.steps);
        QTest::keyClick(box(w.get(), e.band), Qt::Key_Escape);
        QVERIFY(w->isVisible() && fake->dialogs.isEmpty());  // Enter and Escape belong to the box
        QCOMPARE(box(w.get(), e.band)->text(), e.shown);
        QVERIFY2(std::fabs(w->bands().bandGain[e.band] - e.gain) < 1e-9, qPrintable(QString::number(w->bands().bandGain[e.band])));
        QList<int> positions(BandCount, 0);
        QList<QPointF> points;
        for (int k = 0; k < BandCount; ++k)
            points << QPointF(170 + 360 * k, plotY(qint16(positions[k] = k == e.band ? e.position : 0)));
        for (int k = 0; k < BandCount; ++k)
            positions[k] -= pos(w.get(), k);
        QCOMPARE(positions, QList<int>(BandCount, 0));
        QCOMPARE(polyline(w.get()), points);
        auto *plot = child<PlotArea>(w.get(), "Picture1");
        for (const PlotArea::Segment &s : plot->segments())
            QVERIFY(s.color == QColor(215, 0, 0) && s.width == 5);
        // Painted, not only kept: a flat stretch shows beside the grid line.
        const QPoint flat(tw(170 + 360 * ((e.band + 5) % 10)), tw(1770) - 2);
        QCOMPARE(plot->grab().toImage().pixelColor(plot->contentsRect().topLeft() + flat), QColor(215, 0, 0));
    }

    void editRange_data()
    {
        QTest::addColumn<Range>("r");  // position, box and gain of the flat band 9 afterwards
        QTest::newRow("top limited to 100") << Range{{"Topp=150"}, "+100.0", "-50.0", -3333, "+0.0", 0.0025};
        QTest::newRow("bottom limited to -100") << Range{{"Bottom=-150"}, "+50.0", "-100.0", 3333, "-0.0", -0.0025};
        QTest::newRow("top not below a gain of 6") << Range{{"Text1(0)=6", "Topp=-20"}, "+6.0", "-50.0", 7857, "-0.0", -0.0004};
        QTest::newRow("bottom not above -6") << Range{{"Text1(0)=-6", "Bottom=20"}, "+50.0", "-6.0", -7857, "+0.0", 0.0004};
        QTest::newRow("top 10: no grid point at 0") << Range{{"Topp=10"}, "+10.0", "-50.0", 6667, "+0.0", 0.001};
        QTest::newRow("bottom abc reads 0") << Range{{"Bottom=abc"}, "+50.0", "+0.0", -10000, "+0.0", 0};
        QTest::newRow("top applied on leaving") << Range{{"Topp~20"}, "+20.0", "-50.0", 4286, "+0.0", 0.001};
        QTest::newRow("Enter, then leaving again") << Range{{"Bottom=-33.33", "Text1(1)~"}, "+50.0", "-33.3", -2004, "+0.0", 0.00334};
        QTest::newRow("empty range refused") << Range{{"Topp=0", "Bottom=0"}, "+0.0", "-50.0", 10000, "+0.0", 0};
    }
    void editRange()
    {
        QFETCH(Range, r);
        auto w = open();
        act(w.get(), r.steps);
        QCOMPARE(QStringList({text(w.get(), "Topp"), text(w.get(), "Bottom"), box(w.get(), 9)->text()}),
                 QStringList({r.top, r.bottom, r.shown}));
        QCOMPARE(pos(w.get(), 9), r.position);
        QVERIFY2(std::fabs(w->bands().bandGain[9] - r.gain) < 1e-5, qPrintable(QString::number(w->bands().bandGain[9])));
    }

    void save_data()
    {
        // Typed into Textfiltname first; the save dialog's answer (null: cancelled);
        // the file there before; the message ("": the save succeeds).
        QTest::addColumn<Save>("s");
        QTest::newRow("flat") << Save{"", "flat.DAT", {}, ""};
        QTest::newRow("replaces, no extension added") << Save{"", "noext", QByteArray(200, 'z'), ""};
        QTest::newRow("cancelled") << Save{"typed.DAT", {}, {}, ""};
        QTest::newRow("unwritable, no name before") << Save{"", "no-such-folder/x.DAT", {}, "cannot be created"};
        QTest::newRow("unwritable, name kept") << Save{"typed.DAT", "no-such-folder/x.DAT", {}, "cannot be created"};
        QTest::newRow("a folder") << Save{"", ".", {}, "folder"};
    }
    void save()
    {
        QFETCH(Save, s);
        auto w = open();
        if (!s.typed.isEmpty())
            act(w.get(), {"Textfiltname~" + s.typed});
        if (!s.existing.isNull())
            writeFile(path(s.answer), s.existing);
        fake->dialogResults.push_back(path(s.answer));
        act(w.get(), {"Command3D2"});
        QCOMPARE(fake->dialogs.size(), 1);
        const CommonDialog &d = fake->dialogs[0].settings;
        QCOMPARE(fake->dialogs[0].action, int(CommonDialog::SaveDialog));
        QCOMPARE(QStringList({QString::number(d.Flags), d.Filter, QString::number(d.FilterIndex), QString::number(d.CancelError), d.FileName}),
                 QStringList({"0", "Filter File (*.DAT)|*.DAT", "1", "1", s.typed.isEmpty() ? "*.DAT" : s.typed}));
        const bool saved = !s.answer.isNull() && s.message.isEmpty();
        QCOMPARE(w->isVisible(), !saved);
        QCOMPARE(filterFileName, saved ? path(s.answer) : s.typed);
        QCOMPARE(fake->messages.size(), s.message.isEmpty() ? 0 : 1);
        if (!s.message.isEmpty())
            QVERIFY2(fake->messages[0].style == 48 && fake->messages[0].prompt.contains(path(s.answer))
                         && fake->messages[0].prompt.contains(s.message), qPrintable(fake->messages[0].prompt));
        QCOMPARE(files(), saved ? QStringList{s.answer} : QStringList{});
        if (saved)
            QCOMPARE(content(path(s.answer)), Flat);
    }

    void browse_data()
    {
        QTest::addColumn<Browse>("b");  // on -62..+50 the grid has no point at 0 dB
        QTest::newRow("widens to -62") << Browse{{}, {-62, 8, 0, 6.25, -12.5, 0, 0, 0, 0, 3}, "+50.0 -62.0",
                                                 "-62. +8. -0. +6.3 -12.5 -0. -0. -0. -0. +3."};
        QTest::newRow("inside keeps the range") << Browse{{}, {1, 2, 3}, "+50.0 -50.0", "+1. +2. +3. +0. +0. +0. +0. +0. +0. +0."};
        QTest::newRow("-20..+20 widens to +30") << Browse{{"Topp=20", "Bottom=-20"}, {-10, 30, 0, 5}, "+30.0 -20.0",
                                                          "-10. +30. +0. +5. +0. +0. +0. +0. +0. +0."};
    }
    void browse()
    {
        QFETCH(Browse, b);
        const QString name = path("f.DAT");
        writeFile(name, withGains(b.gains));
        auto w = open();
        act(w.get(), b.steps);
        fake->dialogResults.push_back(name);
        act(w.get(), {"Commbrowse"});
        QCOMPARE(fake->dialogs.value(0).action, int(CommonDialog::OpenDialog));
        QCOMPARE(fake->dialogs.value(0).settings.FileName, "*.DAT");
        QVERIFY(fake->messages.isEmpty() && w->isVisible());
        QCOMPARE(text(w.get(), "Topp") + ' ' + text(w.get(), "Bottom"), b.range);
        QCOMPARE(boxes(w.get()), b.shown);
        QCOMPARE(text(w.get(), "Textfiltname"), name);
        QCOMPARE(filterFileName, name);
    }

    void browseFailure_data()
    {
        QTest::addColumn<Failure>("f");  // a null content: no such file
        const QByteArray flat = withGains({});
        QTest::newRow("missing") << Failure{"missing.DAT", {}, "cannot be opened"};
        QTest::newRow("empty") << Failure{"empty.DAT", "", "none of the twenty"};
        QTest::newRow("19 numbers") << Failure{"short.DAT", flat.left(flat.lastIndexOf(" 0 ")), "only 19"};
        QTest::newRow("abc") << Failure{"abc.DAT", QByteArray(flat).replace(" 63  0", " 63  abc"), "gain of band 2"};
        QTest::newRow("unit after a number") << Failure{"db.DAT", QByteArray(flat).replace(" 63  0", " 63  7.3dB"), "\"7.3dB\""};
        QTest::newRow("nan") << Failure{"nan.DAT", QByteArray(flat).replace(" 31.5", " nan"), "frequency of band 1"};
        QTest::newRow("1e999") << Failure{"huge.DAT", QByteArray(flat).replace(" 63  0", " 63  1e999"), "too large"};
        QTest::newRow("gain beyond 1e30") << Failure{"far.DAT", QByteArray(flat).replace(" 63  0", " 63 -2e30"), "1e30"};
        QTest::newRow("binary junk") << Failure{"junk.DAT", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "not a number"};
        QTest::newRow("a folder") << Failure{".", {}, "folder"};
    }
    void browseFailure()
    {
        QFETCH(Failure, f);
        if (!f.content.isNull())
            writeFile(path(f.file), f.content);
        filterFileName = path("previous.DAT");
        writeFile(filterFileName, withGains({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        auto w = open();
        act(w.get(), {"Text1(3)=7.3", "Bottom=-20"});
        const QString before = state(*w);
        fake->dialogResults.push_back(path(f.file));
        act(w.get(), {"Commbrowse"});
        QCOMPARE(fake->messages.size(), 1);
        const FakePlatform::Message &m = fake->messages[0];
        QVERIFY2(m.style == 48 && m.prompt.contains(path(f.file)) && m.prompt.contains(f.reason), qPrintable(m.prompt));
        QCOMPARE(state(*w), before);
        QCOMPARE(filterFileName, path("previous.DAT"));
        QVERIFY(w->isVisible());
    }

    // Modal openings from the converter window, each ending with the close box
    // unless a step closed the window; $D stands for the test folder.
    void opening_data()
    {
        QTest::addColumn<Opening>("o");  // filterFileName at opening, the steps, filterFileName afterwards
        QTest::newRow("flat") << Opening{"", {}, ""};
        QTest::newRow("file gone: flat, name kept") << Opening{"$D/gone.DAT", {}, "$D/gone.DAT"};
        QTest::newRow("close box keeps a typed name") << Opening{"", {"Textfiltname~$D/typed.DAT"}, "$D/typed.DAT"};
        QTest::newRow("cancel after browse") << Opening{"", {"Commbrowse", "Command3D1"}, ""};
        QTest::newRow("save, then reopen") << Opening{"", {"Topp=20", "Bottom=-20", "Text1(2)=7.3", "Text1(8)=-12.5", "Command3D2"}, "$D/loaded.DAT"};
    }
    void opening()
    {
        QFETCH(Opening, o);
        const QString opened = filterFileName = o.opened.replace("$D", dir->path());
        const QByteArray loaded = withGains({5});
        writeFile(path("loaded.DAT"), loaded);
        fake->dialogResults.push_back(path("loaded.DAT"));
        QWidget converter;  // not shown: the offscreen platform would keep it the active window
        converter.setGeometry(100, 80, 400, 300);
        bool ran = false;
        fake->modalScripts.push_back([&](QDialog &d) {
            const QRect frame = converter.frameGeometry();
            QCOMPARE(d.frameGeometry().topLeft(), QPoint(frame.x() + frame.width(), frame.y()));
            QVERIFY(d.isModal() && d.parentWidget() == &converter);
            QCOMPARE(boxes(&d), QStringList(BandCount, " 0.0").join(u' '));
            QCOMPARE(polyline(&d).size(), 10);
            for (const QPointF &p : polyline(&d))
                QCOMPARE(p.y(), 1770.0);
            QCOMPARE(text(&d, "Topp") + text(&d, "Bottom") + text(&d, "Textfiltname"), "+50.0-50.0" + opened);
            QCOMPARE(fake->beeps, 1);
            act(&d, o.steps.replaceInStrings("$D", dir->path()));
            ran = true;
        });
        Equal equal(*fake, &converter);
        equal.Form_Load();
        fake->showModal(equal);
        QVERIFY(ran && !equal.isVisible());
        QCOMPARE(filterFileName, o.result.replace("$D", dir->path()));
        QCOMPARE(fake->messages.size(), opened.isEmpty() ? 0 : 1);
        if (!opened.isEmpty())
            QVERIFY(fake->messages[0].style == 48 && fake->messages[0].prompt.contains(opened));
        QCOMPARE(fake->beeps, 1);
        QCOMPARE(files(), QStringList{"loaded.DAT"});
        const bool saved = o.steps.contains("Command3D2");
        QCOMPARE(content(path("loaded.DAT")) == loaded, !saved);
        if (!saved)
            return;
        // A new opening reads the saved file back, on the full range.
        auto w = open();
        QCOMPARE(boxes(w.get()), "+0. +0. +7.3 +0. +0. +0. +0. +0. -12.5 +0.");
        QCOMPARE(text(w.get(), "Topp") + text(w.get(), "Bottom") + text(w.get(), "Textfiltname"), "+50.0-50.0" + filterFileName);
    }
};

QTEST_MAIN(TestEqual)
#include "tst_equal.moc"
