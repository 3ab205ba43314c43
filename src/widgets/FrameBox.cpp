// SPDX-License-Identifier: MIT
#include "FrameBox.h"

#include "Design.h"

#include <QStyleOptionGroupBox>
#include <QStylePainter>

FrameBox::FrameBox(const QString &caption, QWidget *parent)
    : QGroupBox(caption, parent)
{ }

void FrameBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    if (!option.text.isEmpty()) {
        const QRect caption =
            style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
        // Drawn first: the frame's line stops at the caption, as it would
        // on the window's face.
        painter.fillRect(caption.adjusted(-1, 0, 1, 0), ClassicFace);
    }
    option.textColor = Qt::black;
    option.palette.setColor(QPalette::WindowText, Qt::black);
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
}
