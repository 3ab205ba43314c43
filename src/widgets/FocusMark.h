// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QWidget>

/// The keyboard focus made visible: a ring two pixels wide around whatever
/// control of the window has the focus, one pixel black and one white, so
/// that one of them stands out on any background. It lies in front of every
/// control, follows the focused control when that moves, and lets every
/// mouse click through.
class FocusMark : public QWidget
{
    Q_OBJECT

public:
    explicit FocusMark(QWidget *window);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow(QWidget *now);
    void place();
    void watchChain(bool watch);

    QPointer<QWidget> m_target;
};
