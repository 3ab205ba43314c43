// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

/// A label that reports a click. A double-click counts as one click: the
/// release that ends it reports nothing.
class ClickLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_doubleClicked = false;
};
