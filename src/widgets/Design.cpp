// SPDX-License-Identifier: MIT
#include "Design.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <cmath>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

double luminance(const QColor &colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF())
           + 0.0722 * linear(colour.blueF());
}

QColor mixed(const QColor &from, const QColor &to, double share)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * share),
                            float(from.greenF() + (to.greenF() - from.greenF()) * share),
                            float(from.blueF() + (to.blueF() - from.blueF()) * share));
}

void applyScheme(QWidget *window)
{
    const QPalette scheme = QApplication::palette(window);
    const QColor face = activeBorderColor(scheme);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, face);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role,
                         disabledTextColor(scheme.color(QPalette::Active, role), face));
    }
    palette.setColor(QPalette::Disabled, QPalette::Text,
                     disabledTextColor(scheme.color(QPalette::Active, QPalette::Text),
                                       scheme.color(QPalette::Active, QPalette::Base)));
    window->setPalette(palette);
}

// Applies the scheme again when the desktop's scheme changes while the
// window is open.
class SchemeKeeper : public QObject
{
public:
    explicit SchemeKeeper(QWidget *window)
        : QObject(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The window hears of a new scheme either way, and in no fixed order
        // with its controls; its own palette change ends the chain.
        const QEvent::Type type = event->type();
        if ((type == QEvent::ApplicationPaletteChange || type == QEvent::PaletteChange)
            && !m_applying) {
            m_applying = true;
            applyScheme(static_cast<QWidget *>(watched));
            m_applying = false;
        }
        return false;
    }

private:
    bool m_applying = false;
};

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor activeBorderColor([[maybe_unused]] const QPalette &scheme)
{
#ifdef Q_OS_WIN
    const COLORREF colour = GetSysColor(COLOR_ACTIVEBORDER);
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
#else
    if (contrastRatio(scheme.color(QPalette::Active, QPalette::WindowText), ClassicFace) >= 4.5)
        return ClassicFace;
    return scheme.color(QPalette::Active, QPalette::Window);
#endif
}

QColor disabledTextColor(const QColor &text, const QColor &background)
{
    // Greyed enough to look disabled, yet readable: the smoothed edges of
    // small letters lose about a third of the contrast, and 3 : 1 must remain.
    for (double share = 0.5; share > 0.0; share -= 0.05) {
        const QColor grey = mixed(text, background, share);
        if (contrastRatio(grey, background) >= 4.5)
            return grey;
    }
    return text;
}

void followScheme(QWidget *window)
{
    applyScheme(window);
    new SchemeKeeper(window);
}
