// SPDX-License-Identifier: MIT
#include "Equal.h"
#include "FakePlatform.h"
#include "FilterFile.h"
#include "FilterFileName.h"
#include "PlotArea.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <functional>
#include <limits>

#include <dlfcn.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

const QByteArray Flat = " 31.5  0 \r\n 63  0 \r\n 125  0 \r\n 250  0 \r\n 500  0 \r\n"
                        " 1000  0 \r\n 2000  0 \r\n 4000  0 \r\n 8000  0 \r\n 16000  0 \r\n";

struct Edit
{
    QStringList steps;
    QString range;
    int band, position;
    QString shown;
    double gain;
    int others;
};
struct Save
{
    QString typed, answer;
    QByteArray existing;
    QString message;
    int faults = 0;
};
struct Browse
{
    QString file;
    QByteArray content;
    QString reason, range = {}, shown = {};
    QStringList steps = {};
};

FilterBands bands(const QList<double> &gains = {})
{
    FilterBands b{BandModel::DefaultFrequencies, {}};
    std::copy(gains.begin(), gains.end(), b.gain.begin());
    return b;
}
QByteArray withGains(const QList<double> &gains)
{
    return filterFileText(bands(gains));
}

template<typename T = QLineEdit> T *child(QWidget *w, const QString &name)
{
    return w->findChild<T *>(name);
}
QLineEdit *box(QWidget *w, int k)
{
    return child(w, QStringLiteral("Text1(%1)").arg(k));
}
QString text(QWidget *w, const char *name)
{
    return child(w, QString::fromLatin1(name))->text();
}
QList<QPointF> polyline(QWidget *w)
{
    QList<QPointF> points;
    for (const PlotArea::Segment &s : child<PlotArea>(w, "Picture1")->segments())
        points << s.from << s.to;
    return points;
}

// Drives the window as a user does. "Name=text" clicks into a box (selecting its text), types and
// presses Enter; "Name~text" leaves with Tab instead, "Name>text" not at all; "VScroll1(k)=p" sets
// a slider from code; "Name+Enter" (or Space) presses that key on a button; "Name" clicks. Returns
// the step that could not be taken, "" when all were.
QString act(QWidget *w, const QStringList &steps)
{
    for (const QString &step : steps) {
        const qsizetype at = step.indexOf(QRegularExpression(QStringLiteral("[=~>+]")));
        QWidget *target = child<QWidget>(w, step.left(at));
        if (!target)
            return step + ": no such control";
        const QString how = step.mid(at + 1);
        if (auto *bar = qobject_cast<QScrollBar *>(target)) {
            bar->setValue(-how.toInt());
        } else if (auto *edit = qobject_cast<QLineEdit *>(target)) {
            w->activateWindow();
            if (!QTest::qWaitForWindowActive(w))
                return step + ": the window does not become active";
            edit->hasFocus() ? edit->selectAll() : QTest::mouseClick(edit, Qt::LeftButton);
            QTest::keyClicks(edit, how);
            if (step[at] != u'>')
                QTest::keyClick(edit, step[at] == u'=' ? Qt::Key_Return : Qt::Key_Tab);
        } else if (at >= 0) {
            target->setFocus(Qt::TabFocusReason);
            QTest::keyClick(target, how == "Space" ? Qt::Key_Space : Qt::Key_Enter);
        } else {
            QTest::mouseClick(target, Qt::LeftButton);
        }
    }
    return {};
}

QByteArray content(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Puts at `name` a file holding `bytes`, a pipe ("<pipe>"), or a link to "target" holding what
// follows "<link>". False where that failed.
bool place(const QString &name, const QByteArray &bytes)
{
    if (bytes == "<pipe>")
        return ::mkfifo(QFile::encodeName(name).constData(), 0644) == 0;
    if (bytes.startsWith("<link>"))
        return QFile::link("target", name)
               && writeFile(QFileInfo(name).dir().filePath("target"), bytes.mid(6));
    return writeFile(name, bytes);
}

// Set, fsync fails as a failing disk makes it fail. This program's own fsync takes the place of
// the C library's for the product's code linked into it.
bool syncFails = false;

} // namespace

extern "C" int fsync(int fd)
{
    if (syncFails) {
        errno = EIO;
        return -1;
    }
    static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    return real(fd);
}

namespace {

// Runs `command` with faults laid on the host: a full disk (no file may grow past 64 bytes,
// so a write beyond fails with EFBIG), a folder the user may not write (for root also
// without the capabilities that override permissions, in this thread) and a disk that fails to
// sync. False: they did not hold.
enum Fault { FullDisk = 1, ReadOnlyFolder = 2, SyncFails = 4 };
bool withFaults(int faults, const QString &folder, const std::function<void()> &command)
{
    rlimit limit{};
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2]{};
    __user_cap_data_struct dropped[2]{};
    bool ok = ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && ::syscall(SYS_capget, &header, caps) == 0;
    std::copy(caps, caps + 2, dropped);
    if (faults & ReadOnlyFolder) {
        dropped[0].effective &=
            ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH | 1u << CAP_FOWNER);
        ok = ok && QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    }
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{faults & FullDisk ? 64 : limit.rlim_cur, limit.rlim_max};
    ok = ok && ::setrlimit(RLIMIT_FSIZE, &small) == 0
         && ::syscall(SYS_capset, &header, dropped) == 0
         && (!(faults & ReadOnlyFolder)
             || !QFile(QDir(folder).filePath("probe")).open(QIODevice::WriteOnly));
    syncFails = faults & SyncFails;
    if (ok)
        command();
    syncFails = false;
    ::syscall(SYS_capset, &header, caps);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return ok;
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
        w->show(); // loads itself first
        return w;
    }
    QString path(const QString &name) const { return name.isEmpty() ? name : dir->filePath(name); }
    // "" when the one message shown is a warning naming `file` and `reason`; else what was shown.
    QString warningMismatch(const QString &file, const QString &reason) const
    {
        const QList<FakePlatform::Message> &m = fake->messages;
        if (m.size() == 1 && m[0].style == 48 && m[0].prompt.contains(file)
            && m[0].prompt.contains(reason))
            return {};
        return QStringLiteral("%1 messages, the first of style %2: %3")
            .arg(m.size())
            .arg(m.value(0).style)
            .arg(m.value(0).prompt);
    }

private slots:
    void init()
    {
        fake = std::make_unique<FakePlatform>();
        dir = std::make_unique<QTemporaryDir>();
        filterFileName.clear();
    }

    // On -10000..+10000 a position equals its gain, so the halves are exact. The last gain is
    // half-way between 0 and 1 with the single-precision width 1.10000002 (so 0), 0.5002 with a
    // double width.
    void scale_data()
    {
        QTest::addColumn<float>("bottom");
        QTest::addColumn<float>("top");
        QTest::addColumn<double>("gain");
        QTest::addColumn<int>("position");
        QTest::newRow("a half to even") << -1e4f << 1e4f << 2.5 << 2;
        QTest::newRow("above a half") << -1e4f << 1e4f << 2.5000001 << 3;
        QTest::newRow("single-precision width")
            << -0.1f << 1.0f << double(-0.1f) + 10000.5 * double(1.0f - (-0.1f)) / 20000 << 0;
    }
    void scale()
    {
        QFETCH(float, bottom);
        QFETCH(float, top);
        QFETCH(double, gain);
        QFETCH(int, position);
        BandModel model;
        model.rangeBottom = bottom;
        model.rangeTop = top;
        QCOMPARE(int(model.GainToPosition(gain)), position);
    }

    // Byte for byte; that every value reads back bit for bit is the fuzz target's property.
    void fileText()
    {
        FilterBands b = bands({-12.5, 0, 7.299999999999997, 1e-7, 1e21, 0, 0, 0, 0, 6.25});
        b.frequency[1] = -0.0;
        QCOMPARE(filterFileText(b),
                 QByteArray(" 31.5 -12.5 \r\n 0  0 \r\n 125  7.3 \r\n 250  0.0000001 \r\n 500  "
                            "1000000000000000000000 \r\n 1000  0 \r\n 2000  0 \r\n 4000  0 \r\n "
                            "8000  0 \r\n 16000  6.25 \r\n"));
    }

    // At most 15 significant digits, rounded to the nearest; toward zero where that would pass the
    // limit.
    void digits_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("limit");
        QTest::addColumn<QByteArray>("text");
        const double most = std::numeric_limits<double>::max();
        QTest::newRow("7.3 off the slider grid") << 7.299999999999997 << most << QByteArray("7.3");
        QTest::newRow("16th digit rounds up")
            << 0.1234567890123456 << most << QByteArray("0.123456789012346");
        QTest::newRow("16th digit rounds down")
            << -98765.43210987654 << most << QByteArray("98765.4321098765");
        QTest::newRow("no exponent when small") << 1.25e-7 << most << QByteArray("0.000000125");
        QTest::newRow("gain limit: toward zero")
            << MaxFilterGain << MaxFilterGain << QByteArray("1000000015047460000000000000000");
        QTest::newRow("below the limit: nearest") << 1.2345678901234567e29 << MaxFilterGain
                                                  << QByteArray("123456789012346000000000000000");
        QTest::newRow("largest double stays finite")
            << most << most << QByteArray("179769313486231") + QByteArray(294, '0');
    }
    void digits()
    {
        QFETCH(double, value);
        QFETCH(double, limit);
        QFETCH(QByteArray, text);
        QCOMPARE(filterNumberText(value, limit), text);
    }

    // What a read gives ("": the flat filter), and how far it reads at most.
    void reader_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        QTest::addColumn<qint64>("mostRead");
        const qint64 all = 1 << 30;
        QTest::newRow("separators, exponents, signed zero")
            << QByteArray("3.15E1,-0\t6.3d1 +0\r\n125.\n0.0,,250 .0 500 0e5 1000 0 2000 0 4000 0 "
                          "8000 0 16000 0")
            << "" << all;
        QTest::newRow("no more read than the numbers")
            << Flat + QByteArray(16 << 20, '\x01') << "" << qint64(8192);
        QTest::newRow("blanks read only so far")
            << QByteArray(64 << 20, ' ') << "hold only 0 of" << qint64(MaxFilterScanBytes + 4096);
    }
    void reader()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        QFETCH(qint64, mostRead);
        QBuffer buffer;
        buffer.setData(text);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const FilterReadResult back = readFilterBands(buffer);
        QVERIFY2(buffer.pos() <= mostRead, qPrintable(QString::number(buffer.pos())));
        if (!error.isEmpty()) {
            QVERIFY2(back.error.contains(error), qPrintable(back.error));
            return;
        }
        QVERIFY2(back.ok(), qPrintable(back.error));
        QCOMPARE(back.bands.frequency, BandModel::DefaultFrequencies);
        QCOMPARE(back.bands.gain, bands().gain);
    }

    // The Tab cycle; each grid line inside the plot's border, level with its tick on the
    // window; the flat curve 5 crisp pixels: one pure red row above and below the middle line.
    void tabOrderAndPlot()
    {
        auto w = open();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QStringList visited;
        for (int i = 0; i < 27; ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(
            visited.join(u' '),
            "VScroll1(0) VScroll1(1) Text1(0) Text1(1) Textfiltname Commbrowse Topp Bottom "
            "Command3D2 "
            "Command3D1 VScroll1(2) VScroll1(3) VScroll1(4) VScroll1(5) VScroll1(6) VScroll1(7) "
            "VScroll1(8) VScroll1(9) "
            "Text1(2) Text1(3) Text1(4) Text1(5) Text1(6) Text1(7) Text1(8) Text1(9) Picture1");

        auto *plot = child<PlotArea>(w.get(), "Picture1");
        QList<QPair<int, int>> grid, ticks;
        for (QWidget *line : plot->findChildren<QWidget *>(QRegularExpression("^Line"))) {
            QVERIFY2(plot->contentsRect().contains(line->geometry()),
                     qPrintable(line->objectName()));
            grid << std::pair(line->mapTo(w.get(), QPoint()).y(), line->height());
        }
        for (QWidget *line :
             w->findChildren<QWidget *>(QRegularExpression("^Line"), Qt::FindDirectChildrenOnly))
            ticks << std::pair(line->y(), line->height());
        std::sort(grid.begin(), grid.end());
        std::sort(ticks.begin(), ticks.end());
        QCOMPARE(grid, ticks);

        const QRect middle = child<QWidget>(plot, "Line29")->geometry();
        const QImage image = plot->grab().toImage();
        QStringList column;
        for (int y = middle.top() - 2; y <= middle.bottom() + 2; ++y)
            column << image.pixelColor(plot->width() / 2, y).name();
        QCOMPARE(column.join(u' '), "#ffff00 #d70000 #000000 #000000 #000000 #d70000 #ffff00");
    }

    void edit_data()
    {
        QTest::addColumn<Edit>("e");
        const QString full = "+50.0 -50.0";
        QTest::newRow("beyond the top, twice")
            << Edit{{"Text1(0)=80", "Text1(0)=90"}, full, 0, 10000, "90", 50, 0};
        QTest::newRow("no Enter, present position: no change")
            << Edit{{"Text1(1)~7.3", "VScroll1(1)=0"}, full, 1, 0, "7.3", 0, 0};
        QTest::newRow("top limited to 100")
            << Edit{{"Topp=150"}, "+100.0 -50.0", 9, -3333, "+0.0", 0.0025, -3333};
        QTest::newRow("top not below a gain of 6")
            << Edit{{"Text1(0)=6", "Topp=-20"}, "+6.0 -50.0", 0, 10000, "+6.0", 6, 7857};
        QTest::newRow("top left by a click on the plot")
            << Edit{{"Topp>20", "Picture1"}, "+20.0 -50.0", 9, 4286, "+0.0", 0.001, 4286};
        QTest::newRow("empty range refused")
            << Edit{{"Topp=0", "Bottom=0"}, "+0.0 -50.0", 9, 10000, "+0.0", 0, 10000};
    }
    void edit()
    {
        QFETCH(Edit, e);
        auto w = open();
        QCOMPARE(act(w.get(), e.steps), QString());
        QTest::keyClick(box(w.get(), e.band), Qt::Key_Escape);
        // Enter and Escape belong to the box.
        QVERIFY(w->isVisible());
        QCOMPARE(fake->dialogs.size(), 0);
        QCOMPARE(text(w.get(), "Topp") + ' ' + text(w.get(), "Bottom") + ' '
                     + box(w.get(), e.band)->text(),
                 e.range + ' ' + e.shown);
        QVERIFY2(std::fabs(w->bands().bandGain[e.band] - e.gain) < 1e-5,
                 qPrintable(QString::number(w->bands().bandGain[e.band])));
        // One joined line drawn from the sliders, so it also proves their positions.
        QList<QPointF> points;
        for (int k = 1; k < BandCount; ++k)
            for (int j : {k - 1, k})
                points << QPointF(170 + 360 * j,
                                  plotY(qint16(j == e.band ? e.position : e.others)));
        QCOMPARE(polyline(w.get()), points);
    }

    void save_data()
    {
        // A null answer cancels the dialog; `existing` is as place() takes it; no message: saved as
        // flat.
        QTest::addColumn<Save>("s");
        const QByteArray old(200, 'z');
        QTest::newRow("flat") << Save{"", "flat.DAT", {}, ""};
        QTest::newRow("unwritable, name kept")
            << Save{"typed.DAT", "no-such-folder/x.DAT", {}, "cannot be created"};
        QTest::newRow("NUL in the name")
            << Save{"typed.DAT", QStringLiteral("new") + QChar(0) + ".DAT", {}, "NUL"};
        QTest::newRow("full disk: old file kept")
            << Save{"typed.DAT", "old.DAT", old, "cannot be written", FullDisk};
        QTest::newRow("onto a pipe: refused")
            << Save{"typed.DAT", "pipe.DAT", "<pipe>", "not an ordinary file"};
        QTest::newRow("link: its target replaced") << Save{"", "link.DAT", "<link>" + old, ""};
        QTest::newRow("the disk fails to sync: old file kept")
            << Save{"typed.DAT", "old.DAT", old, "cannot be written", SyncFails};
        QTest::newRow("read-only folder: in place") << Save{"", "old.DAT", old, "", ReadOnlyFolder};
        QTest::newRow("read-only folder, full disk")
            << Save{"typed.DAT", "old.DAT", "old", "cannot be written", ReadOnlyFolder | FullDisk};
    }
    void save()
    {
        QFETCH(Save, s);
        auto w = open();
        if (!s.typed.isEmpty())
            QCOMPARE(act(w.get(), {"Textfiltname~" + s.typed}), QString());
        if (!s.existing.isNull())
            QVERIFY(place(path(s.answer), s.existing));
        fake->dialogResults.push_back(path(s.answer));
        QString acted;
        QVERIFY(withFaults(s.faults, dir->path(), [&] { acted = act(w.get(), {"Command3D2"}); }));
        QCOMPARE(acted, QString());
        QCOMPARE(fake->dialogs.size(), 1);
        QCOMPARE(fake->dialogs[0].action, int(CommonDialog::SaveDialog));
        const CommonDialog &d = fake->dialogs[0].settings;
        QCOMPARE(d.Filter, QStringLiteral("Filter File (*.DAT)|*.DAT"));
        QCOMPARE(d.FileName, s.typed.isEmpty() ? QStringLiteral("*.DAT") : s.typed);
        const bool saved = !s.answer.isNull() && s.message.isEmpty();
        const bool link = s.existing.startsWith("<link>");
        QCOMPARE(w->isVisible(), !saved);
        QCOMPARE(filterFileName, saved ? path(s.answer) : s.typed);
        if (s.message.isEmpty())
            QCOMPARE(fake->messages.size(), 0);
        else
            QCOMPARE(warningMismatch(path(s.answer), s.message), QString());
        // Nothing left behind, nothing replaced that was refused; a link's target gets the new
        // content.
        QStringList files;
        if (saved || !s.existing.isNull())
            files << s.answer;
        if (link)
            files << "target";
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System), files);
        const QString target = path(link ? "target" : s.answer);
        if (s.existing == "<pipe>")
            QVERIFY(QFileInfo(target).exists() && !QFileInfo(target).isFile());
        else if (saved || !s.existing.isNull())
            QCOMPARE(content(target), saved ? Flat : s.existing);
    }

    // Each browse starts from a read filter, a typed gain and bottom; a failure keeps all and warns
    // once.
    void browse_data()
    {
        QTest::addColumn<Browse>(
            "b"); // the reason of the warning, or the range and boxes afterwards
        // A gain of exactly the limit (1e30 in single precision) is read; the range widens to both
        // ends, so that zero gains fall to its bottom.
        QTest::newRow("a gain of 1e30") << Browse{
            "f.DAT", withGains({1, -62}).replace("  1 ", " 1000000015047466219876688855040 "), "",
            "+1000000015047470000000000000000.0 -62.0",
            "+1000000015047470000000000000000. -62. -62. -62. -62. -62. -62. -62. -62. -62."};
        QTest::newRow("-20..+20 widens to +30")
            << Browse{"f.DAT",
                      withGains({-10, 30, 0, 5}),
                      "",
                      "+30.0 -20.0",
                      "-10. +30. +0. +5. +0. +0. +0. +0. +0. +0.",
                      {"Topp=20"}};
        QTest::newRow("inside, through a link")
            << Browse{"link.DAT", "<link>" + withGains({1, 2, 3}), "", "+50.0 -20.0",
                      "+1. +2. +3. -0. -0. -0. -0. -0. -0. -0."};
        QTest::newRow("missing") << Browse{"missing.DAT", {}, "cannot be opened"};
        QTest::newRow("a folder") << Browse{".", {}, "folder"};
        QTest::newRow("a pipe, at once") << Browse{"pipe.DAT", "<pipe>", "not an ordinary file"};
        // Cut at the NUL, the name would be that of the filter read before.
        QTest::newRow("NUL in the name")
            << Browse{QStringLiteral("previous.DAT") + QChar(0) + "x", {}, "NUL"};
    }
    void browse()
    {
        QFETCH(Browse, b);
        if (!b.content.isNull())
            QVERIFY(place(path(b.file), b.content));
        filterFileName = path("previous.DAT");
        QVERIFY(writeFile(filterFileName, withGains({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})));
        auto w = open();
        QCOMPARE(act(w.get(), QStringList{"Text1(3)=7.3", "Bottom=-20"} + b.steps), QString());
        // All a failed read must leave alone; the line stands for the sliders.
        const auto state = [&] {
            QStringList s{text(w.get(), "Topp") + ' ' + text(w.get(), "Bottom"), "",
                          text(w.get(), "Textfiltname"), filterFileName};
            for (int k = 0; k < BandCount; ++k)
                s[1] += box(w.get(), k)->text() + (k < BandCount - 1 ? " " : "");
            for (const QPointF &p : polyline(w.get()))
                s << QString::number(p.y());
            return s;
        };
        const QStringList before = state();
        fake->dialogResults.push_back(path(b.file));
        QCOMPARE(act(w.get(), {"Commbrowse"}), QString());
        QCOMPARE(fake->dialogs.size(), 1);
        QCOMPARE(fake->dialogs[0].action, int(CommonDialog::OpenDialog));
        QVERIFY(w->isVisible());
        if (!b.reason.isEmpty()) {
            QCOMPARE(warningMismatch(path(b.file), b.reason), QString());
            QCOMPARE(state(), before);
        } else {
            QCOMPARE(fake->messages.size(), 0);
            QCOMPARE(state().mid(0, 4),
                     QStringList({b.range, b.shown, path(b.file), path(b.file)}));
        }
    }

    // Modal from the converter window, right beside it; a browse and a cancel by keys leave the
    // filter as it was.
    void opening()
    {
        QVERIFY(writeFile(path("loaded.DAT"), withGains({5})));
        fake->dialogResults.push_back(path("loaded.DAT"));
        QWidget converter; // not shown: the offscreen platform would keep it the active window
        converter.setGeometry(100, 80, 400, 300);
        // How the dialog was shown, and what the keys did in it.
        QPoint placed;
        bool modal = false;
        QWidget *parent = nullptr;
        QString acted = "not shown";
        fake->modalScripts.push_back([&](QDialog &d) {
            placed = d.frameGeometry().topLeft();
            modal = d.isModal();
            parent = d.parentWidget();
            acted = act(&d, {"Commbrowse+Space", "Command3D1+Enter"});
        });
        Equal equal(*fake, &converter);
        equal.Form_Load();
        fake->showModal(equal);
        const QRect frame = converter.frameGeometry();
        QCOMPARE(placed, QPoint(frame.x() + frame.width(), frame.y()));
        QVERIFY(modal);
        QCOMPARE(parent, &converter);
        QCOMPARE(acted, QString());
        QVERIFY(!equal.isVisible());
        QCOMPARE(fake->messages.size(), 0);
        QCOMPARE(fake->beeps, 1);
        QCOMPARE(filterFileName, QString());
        QCOMPARE(content(path("loaded.DAT")), withGains({5}));
    }

private slots:
    void unreadable_data();
    void unreadable();
};

// A filter file chosen with "Browse..." that cannot be read, and why, in the words the user reads.
void TestEqual::unreadable_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content"); // of the file put there, where not null
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << "f.DAT" << QByteArray("")
                           << "it holds none of the twenty numbers a filter needs";
    QTest::newRow("two numbers") << "f.DAT" << QByteArray("31.5 3")
                                 << "it holds only 2 of the twenty numbers a filter needs";
    QTest::newRow("a word for a frequency")
        << "f.DAT" << QByteArray("31.5 3 abc 0")
        << "the frequency of band 2 is \"abc\", which is not a number";
    QTest::newRow("beyond every number")
        << "f.DAT" << QByteArray("31.5 3 1e999")
        << "the frequency of band 2 is \"1e999\", which is too large for a number";
    QTest::newRow("gain beyond 1e30 dB") << "f.DAT" << QByteArray("31.5 -2e30")
                                         << "the gain of band 1 is \"-2e30\", beyond the limit "
                                            "of 1e30 dB";
    QTest::newRow("401 digits, quoted to 24") << "f.DAT" << QByteArray(401, '7')
                                              << "the frequency of band 1 is \"" + QString(24, u'7')
                                                     + "...\", which is too long for a number";
    QTest::newRow("a number, then a mebibyte of blanks")
        << "f.DAT"
        << "31.5" + QByteArray(1 << 20, ' ')
        << "its first 1048576 bytes hold only 1 of the twenty numbers a filter needs";
    QTest::newRow("reading fails")
        << "/proc/self/mem" << QByteArray() << "it cannot be read (Input/output error)";
}

void TestEqual::unreadable()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString name = QDir(dir->path()).filePath(file);
    if (!content.isNull())
        writeFile(name, content);
    auto w = open();
    fake->dialogResults.push_back(name);
    act(w.get(), {"Commbrowse"});
    QCOMPARE(fake->messages.size(), 1);
    QCOMPARE(fake->messages[0].prompt,
             "The filter file \"" + name + "\" was not read: " + reason + ".");
    QCOMPARE(fake->messages[0].style, 48);
    QCOMPARE(fake->messages[0].title, QStringLiteral("Filter File Error"));
}

QTEST_MAIN(TestEqual)
#include "tst_equal.moc"
