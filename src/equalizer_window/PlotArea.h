#pragma once

#include <QColor>
#include <QFrame>
#include <QList>
#include <QPointF>

/// The bordered drawing area `Picture1` of the equalizer. It keeps the lines
/// drawn into it, in twips of its inner area, and paints them again whenever
/// it is exposed, so the drawing survives being covered.
class PlotArea : public QFrame
{
    Q_OBJECT

public:
    struct Segment
    {
        QPointF from;  ///< twips from the inner top-left corner
        QPointF to;
        QColor color;
        int width;     ///< pixels

        bool operator==(const Segment &other) const = default;
    };

    explicit PlotArea(QWidget *parent = nullptr);

    /// Replaces everything drawn by `segments` (empty: clears the drawing;
    /// child widgets such as grid lines stay). Only the parts that changed
    /// are repainted.
    void setSegments(const QList<Segment> &segments);
    const QList<Segment> &segments() const { return m_segments; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect pixelRect(const Segment &segment) const;

    QList<Segment> m_segments;
};
