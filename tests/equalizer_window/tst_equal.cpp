// SPDX-License-Identifier: MIT
#include "Equal.h"
#include "FakePlatform.h"
#include "FilterFile.h"
#include "Module1.h"
#include "PlotArea.h"

#include <QBuffer>
#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <limits>
#include <memory>

#include <sys/resource.h>
#include <sys/stat.h>
#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

const QByteArray Flat = " 31.5  0 \r\n 63  0 \r\n 125  0 \r\n 250  0 \r\n 500  0 \r\n"
                        " 1000  0 \r\n 2000  0 \r\n 4000  0 \r\n 8000  0 \r\n 16000  0 \r\n";

// Rows of the tables below; steps are as act() takes them.
struct Scale { float bottom, top; double gain; int position; float y; };
struct Reading { QByteArray text; bool ok; qint64 mostRead = std::numeric_limits<qint64>::max(); };
struct Edit { QStringList steps; QString range; int band, position; QString shown; double gain; int others; };
struct Save { QString typed, answer; QByteArray existing; QString message; int faults = 0; QByteArray opened = {}, written = Flat; };
struct Browse { QString file; QByteArray content; QStringList steps; QString reason, range = {}, shown = {}; };
struct Opening { QStringList steps; QString result; };

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
QString text(QWidget *w, const char *name) { return child(w, QString::fromLatin1(name))->text(); }

QString boxes(QWidget *w)
{
    QString texts;
    for (int k = 0; k < BandCount; ++k)
        texts += (k ? " " : "") + box(w, k)->text();
    return texts;
}

// The drawn segments as from, to, from, to...
QList<QPointF> polyline(QWidget *w)
{
    QList<QPointF> points;
    for (const PlotArea::Segment &s : child<PlotArea>(w, "Picture1")->segments())
        points << s.from << s.to;
    return points;
}

// Drives the window as a user does. "Name=text" clicks into a box (which selects its text,
// so typing replaces it), types and presses Enter; "Name~text" leaves with Tab instead,
// "Name>text" not at all; "VScroll1(k)=up" clicks a slider's top arrow, "=to p" sets it
// from code; "Name+Return" (or Enter, Space) gives a button the focus and presses that
// key; "Name" clicks a button or the plot.
void act(QWidget *w, const QStringList &steps)
{
    for (const QString &step : steps) {
        const qsizetype at = step.indexOf(QRegularExpression(QStringLiteral("[=~>+]")));
        QWidget *target = child<QWidget>(w, step.left(at));
        QVERIFY2(target, qPrintable(step));
        const QString how = step.mid(at + 1);
        if (auto *bar = qobject_cast<QScrollBar *>(target)) {
            if (how == "up")
                bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            else
                bar->setValue(-how.mid(3).toInt());  // the bar holds the position negated
        } else if (auto *edit = qobject_cast<QLineEdit *>(target)) {
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
            if (edit->hasFocus())
                edit->selectAll();
            else
                QTest::mouseClick(edit, Qt::LeftButton);
            QTest::keyClicks(edit, how);
            if (step[at] != u'>')
                QTest::keyClick(edit, step[at] == u'=' ? Qt::Key_Return : Qt::Key_Tab);
        } else if (at >= 0 && step[at] == u'+') {
            target->setFocus(Qt::TabFocusReason);
            QTest::keyClick(target, how == "Space" ? Qt::Key_Space : how == "Enter" ? Qt::Key_Enter : Qt::Key_Return);
        } else {
            QTest::mouseClick(target, Qt::LeftButton);
        }
    }
}

// Everything a failed command must leave alone; the line stands for the sliders.
QString state(Equal &w)
{
    QStringList s{boxes(&w), text(&w, "Topp"), text(&w, "Bottom"), text(&w, "Textfiltname"),
                  QString::number(w.bands().rangeTop), QString::number(w.bands().rangeBottom)};
    for (double gain : w.bands().bandGain)
        s << QString::number(gain, 'g', 17);
    for (const QPointF &p : polyline(&w))
        s << QString::number(p.y());
    return s.join(u'|');
}

void writeFile(const QString &name, const QByteArray &content)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}
QByteArray content(const QString &name) { QFile f(name); return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(); }

// Puts at `name` a file holding `bytes`, a pipe ("<pipe>"), or a symbolic link to
// the file "target" beside it, which holds what follows "<link>".
void place(const QString &name, const QByteArray &bytes)
{
    if (bytes == "<pipe>") {
        QVERIFY(::mkfifo(QFile::encodeName(name).constData(), 0644) == 0);
    } else if (bytes.startsWith("<link>")) {
        writeFile(QFileInfo(name).dir().filePath("target"), bytes.mid(6));
        QVERIFY(QFile::link("target", name));
    } else {
        writeFile(name, bytes);
    }
}

// Faults laid on the host around one command and taken away afterwards: a full
// disk (no file may grow past 64 bytes, so a write beyond fails with EFBIG) and a
// folder the user may not write (for root also without the capabilities that
// override permissions, in this thread). ok: the faults hold.
enum Fault { FullDisk = 1, ReadOnlyFolder = 2 };
struct Faults
{
    int faults;
    QString folder;
    bool ok = true;
    rlimit limit{};
#ifdef Q_OS_LINUX
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2]{};
    bool capabilities(long call, __user_cap_data_struct *data) { return ::syscall(call, &header, data) == 0; }
#endif

    Faults(int f, const QString &dir) : faults(f), folder(dir)
    {
        if (faults & FullDisk) {
            std::signal(SIGXFSZ, SIG_IGN);
            ok = ::getrlimit(RLIMIT_FSIZE, &limit) == 0;
            const rlimit small{64, limit.rlim_max};
            ok = ok && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
        }
        if (faults & ReadOnlyFolder) {
            ok = ok && QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
#ifdef Q_OS_LINUX
            __user_cap_data_struct dropped[2]{};
            ok = ok && capabilities(SYS_capget, caps);
            std::copy(caps, caps + 2, dropped);
            dropped[0].effective &= ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH | 1u << CAP_FOWNER);
            ok = ok && capabilities(SYS_capset, dropped);
#endif
            ok = ok && !QFile(QDir(folder).filePath("probe")).open(QIODevice::WriteOnly);
        }
    }
    ~Faults()
    {
#ifdef Q_OS_LINUX
        if (faults & ReadOnlyFolder)
            capabilities(SYS_capset, caps);
#endif
        if (faults & ReadOnlyFolder)
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (faults & FullDisk) {
            ::setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, SIG_DFL);
        }
    }
};

} // namespace

class TestEqual : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<QTemporaryDir> dir;

    std::unique_ptr<Equal> open()
    {
        auto w = std::make_unique<Equal>(*fake);
        w->show();  // loads itself first
        return w;
    }
    QString path(const QString &name) const { return name.isNull() ? name : dir->filePath(name); }
    // Exactly one exclamation (style 48), naming the file and what went wrong.
    bool warned(const QString &file, const QString &reason) const
    {
        const QList<FakePlatform::Message> &m = fake->messages;
        return m.size() == 1 && m[0].style == 48 && m[0].prompt.contains(file) && m[0].prompt.contains(reason);
    }

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
        QTest::newRow("top end") << Scale{-50, 50, 50, 10000, 300};
        QTest::newRow("7.3 dB") << Scale{-50, 50, 7.3, 1460, 1555.38f};
        QTest::newRow("above the top") << Scale{-50, 50, 80, 10000, 0};
        QTest::newRow("far below") << Scale{-50, 50, -1e30, -10000, 0};
        // On -10000..+10000 a position equals its gain, so the halves are exact.
        QTest::newRow("2.5 to even") << Scale{-1e4, 1e4, 2.5, 2, 0};
        QTest::newRow("-2.5 to even") << Scale{-1e4, 1e4, -2.5, -2, 0};
        QTest::newRow("just above a half") << Scale{-1e4, 1e4, 2.5000001, 3, 0};
        // 1 - (-0.1f) is 1.10000002 in single precision: this gain is exactly half-way
        // between 0 and 1 there (so 0), but 0.5002 with a double width (so 1).
        QTest::newRow("single-precision width") << Scale{-0.1f, 1, double(-0.1f) + 10000.5 * double(1.0f - (-0.1f)) / 20000, 0, 0};
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
        QCOMPARE(filterFileText(bands), QByteArray(" 31.5 -12.5 \r\n 0  0 \r\n 125  7.299999999999997 \r\n 250  0.0000001 \r\n 500  "
                                                   "1000000000000000000000 \r\n 1000  0 \r\n 2000  0 \r\n 4000  0 \r\n 8000  0 \r\n 16000  6.25 \r\n"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("one third") << 1.0 / 3.0;
        QTest::newRow("subnormal") << std::numeric_limits<double>::denorm_min();
        QTest::newRow("largest gain") << MaxFilterGain;
    }
    void roundTrip()
    {
        QFETCH(double, value);
        FilterBands bands = flatBands({value, -value, value, -value, value, -value, value, -value, value, -value});
        bands.frequency[4] = value;
        bands.frequency[5] = std::numeric_limits<double>::max();
        QBuffer buffer;
        buffer.setData(filterFileText(bands));
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const FilterReadResult read = readFilterBands(buffer);
        QVERIFY2(read.ok(), qPrintable(read.error));
        // Bit for bit: a lost last digit would still pass a fuzzy compare.
        QVERIFY(std::memcmp(&read.bands, &bands, sizeof bands) == 0);
    }

    void reader_data()
    {
        QTest::addColumn<Reading>("r");  // a good read gives the flat filter
        QTest::newRow("commas, one line") << Reading{QByteArray(Flat).replace("  ", ",").replace(" \r\n ", ",").trimmed(), true};
        QTest::newRow("tabs, LF") << Reading{QByteArray(Flat).replace("  ", "\t").replace("\r", ""), true};
        QTest::newRow("number forms") << Reading{"3.15E1 -0 6.3d1 +0 125. 0.0 250 .0 500 0e5 1000 0 2000 0 4000 0 8000 0 16000 0", true};
        QTest::newRow("16 MB after the twentieth") << Reading{Flat + QByteArray(16 << 20, '\x01'), true, 8192};
        QTest::newRow("64 MB of blanks") << Reading{QByteArray(64 << 20, ' '), false, MaxFilterScanBytes + 4096};
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

    void tabOrderAndPlot()
    {
        auto w = open();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        const QStringList order = QStringLiteral("VScroll1(0) VScroll1(1) Text1(0) Text1(1) Textfiltname Commbrowse Topp Bottom "
            "Command3D2 Command3D1 VScroll1(2) VScroll1(3) VScroll1(4) VScroll1(5) VScroll1(6) VScroll1(7) VScroll1(8) "
            "VScroll1(9) Text1(2) Text1(3) Text1(4) Text1(5) Text1(6) Text1(7) Text1(8) Text1(9) Picture1").split(u' ');
        QStringList visited;
        for (int i = 0; i < order.size(); ++i, QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab))
            visited << QApplication::focusWidget()->objectName();
        QCOMPARE(visited, order);

        // Each grid line lies level with its tick on the window, inside the plot's border.
        auto *plot = child<PlotArea>(w.get(), "Picture1");
        QList<QRect> grid, ticks;
        for (QWidget *line : plot->findChildren<QWidget *>(QRegularExpression("^Line"))) {
            QVERIFY2(plot->contentsRect().contains(line->geometry()), qPrintable(line->objectName()));
            grid << QRect(line->mapTo(w.get(), QPoint()), line->size());
        }
        for (QWidget *line : w->findChildren<QWidget *>(QRegularExpression("^Line"), Qt::FindDirectChildrenOnly))
            ticks << line->geometry();
        for (QList<QRect> *lines : {&grid, &ticks})
            std::sort(lines->begin(), lines->end(), [](QRect a, QRect b) { return a.y() < b.y(); });
        QCOMPARE(grid.size(), ticks.size());
        for (qsizetype i = 0; i < grid.size(); ++i)
            QCOMPARE(QPair(grid[i].y(), grid[i].height()), QPair(ticks[i].y(), ticks[i].height()));

        // The flat curve, 5 crisp pixels, shows one pure red row above and below the middle line.
        const QRect middle = child<QWidget>(plot, "Line29")->geometry();
        const QImage image = plot->grab().toImage();
        QStringList column;
        for (int y = middle.top() - 2; y <= middle.bottom() + 2; ++y)
            column << image.pixelColor(plot->width() / 2, y).name();
        QCOMPARE(column.join(u' '), "#ffff00 #d70000 #000000 #000000 #000000 #d70000 #ffff00");
    }

    void edit_data()
    {
        // The range shown afterwards; box, gain and slider position of one band; the others' position.
        QTest::addColumn<Edit>("e");
        const QString full = "+50.0 -50.0";
        QTest::newRow("7.3") << Edit{{"Text1(3)=7.3"}, full, 3, 1460, "+7.3", 7.3, 0};
        // Beyond the top: the band goes there, also when its slider is there already.
        QTest::newRow("80, then 90") << Edit{{"Text1(0)=80", "Text1(0)=90"}, full, 0, 10000, "90", 50, 0};
        QTest::newRow("abc gives 0 dB") << Edit{{"Text1(2)=7.3", "Text1(2)=abc"}, full, 2, 0, "+0.0", 0, 0};
        QTest::newRow("no Enter, no change") << Edit{{"Text1(3)~7.3"}, full, 3, 0, "7.3", 0, 0};
        // 0.25 dB comes out as 0.2499999999999929, shown "+0.2".
        QTest::newRow("arrow up") << Edit{{"VScroll1(4)=up"}, full, 4, 50, "+0.2", 0.25, 0};
        QTest::newRow("present position runs nothing") << Edit{{"Text1(1)~xyz", "VScroll1(1)=to 0"}, full, 1, 0, "xyz", 0, 0};
        QTest::newRow("top limited to 100") << Edit{{"Topp=150"}, "+100.0 -50.0", 9, -3333, "+0.0", 0.0025, -3333};
        QTest::newRow("bottom limited to -100") << Edit{{"Bottom=-150"}, "+50.0 -100.0", 9, 3333, "-0.0", -0.0025, 3333};
        QTest::newRow("top not below a gain of 6") << Edit{{"Text1(0)=6", "Topp=-20"}, "+6.0 -50.0", 0, 10000, "+6.0", 6, 7857};
        QTest::newRow("top 10: no grid point at 0") << Edit{{"Topp=10"}, "+10.0 -50.0", 9, 6667, "+0.0", 0.001, 6667};
        QTest::newRow("top applied on leaving") << Edit{{"Topp~20"}, "+20.0 -50.0", 9, 4286, "+0.0", 0.001, 4286};
        QTest::newRow("top left by a click on the plot") << Edit{{"Topp>20", "Picture1"}, "+20.0 -50.0", 9, 4286, "+0.0", 0.001, 4286};
        QTest::newRow("empty range refused") << Edit{{"Topp=0", "Bottom=0"}, "+0.0 -50.0", 9, 10000, "+0.0", 0, 10000};
    }
    void edit()
    {
        QFETCH(Edit, e);
        auto w = open();
        act(w.get(), e.steps);
        QTest::keyClick(box(w.get(), e.band), Qt::Key_Escape);
        QVERIFY(w->isVisible() && fake->dialogs.isEmpty());  // Enter and Escape belong to the box
        QCOMPARE(text(w.get(), "Topp") + ' ' + text(w.get(), "Bottom") + ' ' + box(w.get(), e.band)->text(), e.range + ' ' + e.shown);
        QVERIFY2(std::fabs(w->bands().bandGain[e.band] - e.gain) < 1e-5, qPrintable(QString::number(w->bands().bandGain[e.band])));
        // One joined line drawn from the sliders, so it also proves their positions.
        const auto at = [&](int k) { return QPointF(170 + 360 * k, plotY(qint16(k == e.band ? e.position : e.others))); };
        QList<QPointF> points;
        for (int k = 1; k < BandCount; ++k)
            points << at(k - 1) << at(k);
        QCOMPARE(polyline(w.get()), points);
    }

    void save_data()
    {
        // The typed name; the dialog's answer (null: cancelled); what lies there before (see place());
        // the warning ("": saved); faults during the save; the filter the window opens with; what is written.
        QTest::addColumn<Save>("s");
        const QByteArray old(200, 'z');
        QTest::newRow("flat") << Save{"", "flat.DAT", {}, ""};
        QTest::newRow("cancelled") << Save{"typed.DAT", {}, {}, ""};
        QTest::newRow("unwritable, name kept") << Save{"typed.DAT", "no-such-folder/x.DAT", {}, "cannot be created"};
        QTest::newRow("NUL in the name") << Save{"typed.DAT", QStringLiteral("new") + QChar(0) + ".DAT", {}, "NUL"};
        QTest::newRow("full disk: old file kept") << Save{"typed.DAT", "old.DAT", old, "cannot be written", FullDisk};
        QTest::newRow("onto a pipe: refused") << Save{"typed.DAT", "pipe.DAT", "<pipe>", "not an ordinary file"};
        QTest::newRow("link: its target replaced") << Save{"", "link.DAT", "<link>" + old, ""};
        QTest::newRow("read-only folder: in place") << Save{"", "old.DAT", old, "", ReadOnlyFolder};
        QTest::newRow("read-only folder, full disk") << Save{"typed.DAT", "old.DAT", "old", "cannot be written", ReadOnlyFolder | FullDisk};
        // A band at the limit widens the range to it; the others fall to its bottom.
        const double limit = double(1e30f);
        QTest::newRow("a gain of 1e30 saved back") << Save{"", "back.DAT", {}, "", 0, withGains({1e30}),
                                                           withGains({limit, -50, -50, -50, -50, -50, -50, -50, -50, -50})};
    }
    void save()
    {
        QFETCH(Save, s);
        QStringList files;  // expected in the folder afterwards
        if (!s.opened.isNull()) {
            writeFile(path("open.DAT"), s.opened);
            filterFileName = path("open.DAT");
            files << "open.DAT";
        }
        auto w = open();
        const QString before = filterFileName;
        act(w.get(), s.typed.isEmpty() ? QStringList() : QStringList{"Textfiltname~" + s.typed});
        if (!s.existing.isNull())
            place(path(s.answer), s.existing);
        fake->dialogResults.push_back(path(s.answer));
        {
            const Faults faults(s.faults, dir->path());
            QVERIFY(faults.ok);
            act(w.get(), {"Command3D2"});
        }
        QVERIFY(fake->dialogs.size() == 1 && fake->dialogs[0].action == CommonDialog::SaveDialog);
        const CommonDialog &d = fake->dialogs[0].settings;
        QCOMPARE(QStringList({QString::number(d.Flags), d.Filter, QString::number(d.FilterIndex), QString::number(d.CancelError), d.FileName}),
                 QStringList({"0", "Filter File (*.DAT)|*.DAT", "1", "1", s.typed.isEmpty() ? (before.isEmpty() ? "*.DAT" : before) : s.typed}));
        const bool saved = !s.answer.isNull() && s.message.isEmpty();
        QCOMPARE(w->isVisible(), !saved);
        QCOMPARE(filterFileName, saved ? path(s.answer) : s.typed);
        QVERIFY2(s.message.isEmpty() ? fake->messages.isEmpty() : warned(path(s.answer), s.message), qPrintable(fake->messages.value(0).prompt));
        // Nothing left behind, nothing replaced that was refused.
        if (saved || !s.existing.isNull())
            files << s.answer;
        const QString target = s.existing.startsWith("<link>") ? (files << "target", path("target")) : path(s.answer);
        files.sort();
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System), files);
        QCOMPARE(QFileInfo(path(s.answer)).isSymLink(), target != path(s.answer));
        if (s.existing == "<pipe>")
            QVERIFY(QFileInfo(target).exists() && !QFileInfo(target).isFile());
        else if (saved || !s.existing.isNull())
            QCOMPARE(content(target), saved ? s.written : s.existing);
    }

    // Each browse starts from a read filter, a typed gain and bottom; a failure keeps all and warns once.
    void browse_data()
    {
        QTest::addColumn<Browse>("b");  // the reason of the warning, or the range and boxes afterwards
        const QByteArray flat = withGains({});
        QTest::newRow("widens to -62") << Browse{"f.DAT", withGains({-62, 8, 0, 6.25, -12.5, 0, 0, 0, 0, 3}), {}, "",
                                                 "+50.0 -62.0", "-62. +8. -0. +6.3 -12.5 -0. -0. -0. -0. +3."};
        QTest::newRow("inside keeps the range") << Browse{"f.DAT", withGains({1, 2, 3}), {}, "", "+50.0 -20.0",
                                                          "+1. +2. +3. -0. -0. -0. -0. -0. -0. -0."};
        QTest::newRow("-20..+20 widens to +30") << Browse{"f.DAT", withGains({-10, 30, 0, 5}), {"Topp=20"}, "", "+30.0 -20.0",
                                                          "-10. +30. +0. +5. +0. +0. +0. +0. +0. +0."};
        QTest::newRow("missing") << Browse{"missing.DAT", {}, {}, "cannot be opened"};
        QTest::newRow("empty") << Browse{"empty.DAT", "", {}, "none of the twenty"};
        QTest::newRow("19 numbers") << Browse{"short.DAT", flat.left(flat.lastIndexOf(" 0 ")), {}, "only 19"};
        QTest::newRow("abc") << Browse{"abc.DAT", QByteArray(flat).replace(" 63  0", " 63  abc"), {}, "gain of band 2"};
        QTest::newRow("nan") << Browse{"nan.DAT", QByteArray(flat).replace(" 31.5", " nan"), {}, "frequency of band 1"};
        QTest::newRow("1e999") << Browse{"huge.DAT", QByteArray(flat).replace(" 63  0", " 63  1e999"), {}, "too large"};
        QTest::newRow("gain beyond 1e30") << Browse{"far.DAT", QByteArray(flat).replace(" 63  0", " 63 -2e30"), {}, "1e30"};
        QTest::newRow("a folder") << Browse{".", {}, {}, "folder"};
        QTest::newRow("a pipe, at once") << Browse{"pipe.DAT", "<pipe>", {}, "not an ordinary file"};
        QTest::newRow("through a link") << Browse{"link.DAT", "<link>" + withGains({1, 2, 3}), {}, "", "+50.0 -20.0",
                                                  "+1. +2. +3. -0. -0. -0. -0. -0. -0. -0."};
        // Cut at the NUL, the name would be that of the filter read before.
        QTest::newRow("NUL in the name") << Browse{QStringLiteral("previous.DAT") + QChar(0) + "x", {}, {}, "NUL"};
    }
    void browse()
    {
        QFETCH(Browse, b);
        if (!b.content.isNull())
            place(path(b.file), b.content);
        filterFileName = path("previous.DAT");
        writeFile(filterFileName, withGains({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
        auto w = open();
        act(w.get(), QStringList{"Text1(3)=7.3", "Bottom=-20"} + b.steps);
        const QString before = state(*w);
        fake->dialogResults.push_back(path(b.file));
        act(w.get(), {"Commbrowse"});
        QVERIFY(fake->dialogs.size() == 1 && fake->dialogs[0].action == CommonDialog::OpenDialog && w->isVisible());
        if (b.reason.isEmpty()) {
            QVERIFY(fake->messages.isEmpty());
            QCOMPARE(QStringList({text(w.get(), "Topp") + ' ' + text(w.get(), "Bottom"), boxes(w.get()), text(w.get(), "Textfiltname"), filterFileName}),
                     QStringList({b.range, b.shown, path(b.file), path(b.file)}));
            return;
        }
        QVERIFY2(warned(path(b.file), b.reason), qPrintable(fake->messages.value(0).prompt));
        QCOMPARE(state(*w), before);
        QCOMPARE(filterFileName, path("previous.DAT"));
    }

    // Modal openings from the converter window (the fake ends them with the close box); $D: the test folder.
    void opening_data()
    {
        QTest::addColumn<Opening>("o");  // the steps, filterFileName afterwards
        QTest::newRow("flat") << Opening{{}, ""};
        QTest::newRow("cancel after browse, by keys") << Opening{{"Commbrowse+Space", "Command3D1+Enter"}, ""};
        QTest::newRow("save, then reopen") << Opening{{"Topp=20", "Bottom=-20", "Text1(2)=7.3", "Text1(8)=-12.5", "Command3D2"}, "$D/loaded.DAT"};
    }
    void opening()
    {
        QFETCH(Opening, o);
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
            QCOMPARE(polyline(&d).size(), 18);
            for (const QPointF &p : polyline(&d))
                QCOMPARE(p.y(), 1770.0);
            QCOMPARE(text(&d, "Topp") + text(&d, "Bottom") + text(&d, "Textfiltname"), "+50.0-50.0");
            act(&d, o.steps);
            ran = true;
        });
        Equal equal(*fake, &converter);
        equal.Form_Load();
        fake->showModal(equal);
        QVERIFY(ran && !equal.isVisible());
        QCOMPARE(filterFileName, o.result.replace("$D", dir->path()));
        QVERIFY(fake->messages.isEmpty());
        QCOMPARE(fake->beeps, 1);
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
