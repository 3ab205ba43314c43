#include "PlotArea.h"

#include <QPainter>

PlotArea::PlotArea(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
}

void PlotArea::clear()
{
    m_segments.clear();
    update();
}

void PlotArea::setDrawWidth(int pixels)
{
    m_drawWidth = pixels;
}

void PlotArea::drawLine(QPointF from, QPointF to, const QColor &color)
{
    m_segments.append({from, to, color, m_drawWidth});
    update();
}

void PlotArea::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_segments.isEmpty())
        return;
    QPainter painter(this);
    const QRect inner = contentsRect();
    painter.setClipRect(inner);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(inner.topLeft());
    constexpr double pixelsPerTwip = 1.0 / 15.0;
    for (const Segment &segment : m_segments) {
        painter.setPen(QPen(segment.color, segment.width, Qt::SolidLine, Qt::RoundCap,
                            Qt::RoundJoin));
        painter.drawLine(segment.from * pixelsPerTwip, segment.to * pixelsPerTwip);
    }
}
