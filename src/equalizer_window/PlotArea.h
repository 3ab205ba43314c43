#pragma once

#include <QColor>
#include <QFrame>
#include <QList>
#include <QPointF>

/// The bordered drawing area `Picture1` of the equalizer. It keeps every
/// line drawn into it, in twips of its inner area, and paints them again
/// whenever it is exposed, so the drawing survives being covered.
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
    };

    explicit PlotArea(QWidget *parent = nullptr);

    /// Removes everything drawn; child widgets (the grid lines) stay.
    void clear();
    /// Width in pixels of the lines drawn from now on.
    void setDrawWidth(int pixels);
    int drawWidth() const { return m_drawWidth; }
    /// Draws a line between two points given in twips of the inner area.
    void drawLine(QPointF from, QPointF to, const QColor &color);

    const QList<Segment> &segments() const { return m_segments; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<Segment> m_segments;
    int m_drawWidth = 1;
};
