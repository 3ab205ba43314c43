// SPDX-License-Identifier: MIT
#pragma once

#include <QKeySequence>
#include <QLabel>

/// A label that reports a click. A double-click counts as one click: the
/// release that ends it reports nothing.
///
/// A label made a switch with makeSwitch() is on while it shows text. It then
/// also answers a key combination and tells assistive technology what it is:
/// a check box with a name, on or off, whose press and toggle actions are a
/// click.
class ClickLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

    /// Makes the label the switch `name`, clicked by `shortcut` as well while
    /// it is shown in the active window.
    void makeSwitch(const QString &name, const QKeySequence &shortcut);
    bool isSwitch() const { return !m_shortcut.isEmpty(); }
    QKeySequence shortcut() const { return m_shortcut; }
    bool isOn() const { return !text().isEmpty(); }

    /// Reports a click, as the mouse does.
    void click();

signals:
    void clicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_doubleClicked = false;
    QKeySequence m_shortcut;
};
