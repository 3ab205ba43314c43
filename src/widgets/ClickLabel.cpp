// SPDX-License-Identifier: MIT
#include "ClickLabel.h"

#include <QMouseEvent>

#include <utility>

void ClickLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLabel::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        m_doubleClicked = true;
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    // The first click of a double-click has been reported already; its
    // second one would toggle the switch straight back.
    if (event->button() != Qt::LeftButton || std::exchange(m_doubleClicked, false))
        return;
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}
