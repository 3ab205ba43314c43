// SPDX-License-Identifier: MIT
#include "PlotArea.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>

namespace {
constexpr double PixelsPerTwip = 1.0 / 15.0;
}

PlotArea::PlotArea(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
}

void PlotArea::setPlotOrigin(QPoint origin)
{
    m_origin = origin;
    update();
}

QPoint PlotArea::plotOrigin() const
{
    return m_origin.value_or(contentsRect().topLeft());
}

QRect PlotArea::pixelRect(const Segment &segment) const
{
    const QPointF origin = plotOrigin();
    const QRectF line = QRectF(segment.from * PixelsPerTwip, segment.to * PixelsPerTwip)
                            .normalized()
                            .translated(origin);
    const double margin = segment.width / 2.0 + 2.0; // round caps
    return line.adjusted(-margin, -margin, margin, margin).toAlignedRect();
}

void PlotArea::setSegments(const QList<Segment> &segments)
{
    // The sliders stand over the plot, so repainting all of it repaints
    // them too: invalidate only what changed.
    QRegion dirty;
    const qsizetype count = std::max(segments.size(), m_segments.size());
    for (qsizetype i = 0; i < count; ++i) {
        const bool inOld = i < m_segments.size();
        const bool inNew = i < segments.size();
        if (inOld && inNew && m_segments[i] == segments[i])
            continue;
        if (inOld)
            dirty += pixelRect(m_segments[i]);
        if (inNew)
            dirty += pixelRect(segments[i]);
    }
    m_segments = segments;
    if (!dirty.isEmpty())
        update(dirty & contentsRect());
}

void PlotArea::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_segments.isEmpty())
        return;
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    // A crisp line of whole pixels, like the grid lines beneath it.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(plotOrigin());
    for (const Segment &segment : m_segments) {
        painter.setPen(
            QPen(segment.color, segment.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(segment.from * PixelsPerTwip, segment.to * PixelsPerTwip);
    }
}
