// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFrame>
#include <QList>
#include <QPointF>

#include <optional>

/// The bordered drawing area `Picture1` of the equalizer. It keeps the lines
/// drawn into it, in twips from its plot origin, and paints them again
/// whenever it is exposed, so the drawing survives being covered. The lines
/// are drawn without anti-aliasing, crisp at their full width, and only
/// inside the border.
class PlotArea : public QFrame
{
    Q_OBJECT

public:
    struct Segment
    {
        QPointF from; ///< twips from the plot origin
        QPointF to;
        QColor color;
        int width; ///< pixels

        bool operator==(const Segment &other) const = default;
    };

    explicit PlotArea(QWidget *parent = nullptr);

    /// Replaces everything drawn by `segments` (empty: clears the drawing;
    /// child widgets such as grid lines stay). Only the parts that changed
    /// are repainted.
    void setSegments(const QList<Segment> &segments);
    const QList<Segment> &segments() const { return m_segments; }

    /// Where twip (0, 0) lies, in the area's own pixels; the inner top-left
    /// corner unless set.
    void setPlotOrigin(QPoint origin);
    QPoint plotOrigin() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect pixelRect(const Segment &segment) const;

    QList<Segment> m_segments;
    std::optional<QPoint> m_origin;
};
