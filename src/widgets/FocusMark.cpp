// SPDX-License-Identifier: MIT
#include "FocusMark.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace {
constexpr int RingWidth = 2;
}

FocusMark::FocusMark(QWidget *window)
    : QWidget(window)
{
    setObjectName(QStringLiteral("focusMark"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { follow(now); });
}

void FocusMark::follow(QWidget *now)
{
    watchChain(false);
    m_target = now && now != parentWidget() && now->window() == parentWidget() ? now : nullptr;
    watchChain(true);
    place();
}

// The focused control moves with its containers: a mode change moves whole
// groups of the converter window.
void FocusMark::watchChain(bool watch)
{
    for (QWidget *w = m_target; w && w != parentWidget(); w = w->parentWidget()) {
        if (watch)
            w->installEventFilter(this);
        else
            w->removeEventFilter(this);
    }
}

void FocusMark::place()
{
    if (!m_target || !m_target->isVisible()) {
        hide();
        return;
    }
    const QRect target(m_target->mapTo(parentWidget(), QPoint(0, 0)), m_target->size());
    setGeometry(target.adjusted(-RingWidth, -RingWidth, RingWidth, RingWidth));
    raise();
    show();
    update();
}

bool FocusMark::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide: place(); break;
    default: break;
    }
    return false;
}

void FocusMark::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect outer = rect();
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    painter.setPen(Qt::white);
    painter.drawRect(outer.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::black);
    painter.drawRect(inner.adjusted(0, 0, -1, -1));
}
