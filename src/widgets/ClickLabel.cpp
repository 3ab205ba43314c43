// SPDX-License-Identifier: MIT
#include "ClickLabel.h"

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QShortcut>

#include <utility>

namespace {

// A switch as assistive technology sees it: a check box, checked while the
// label shows its mark.
class SwitchAccessible : public QAccessibleWidget
{
public:
    explicit SwitchAccessible(ClickLabel *label)
        : QAccessibleWidget(label, QAccessible::CheckBox)
    { }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name)
            return widget()->accessibleName();
        if (kind == QAccessible::Value)
            return QString();
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = label()->isOn();
        return state;
    }

    QStringList actionNames() const override { return {pressAction(), toggleAction()}; }

    void doAction(const QString &action) override
    {
        if (action == pressAction() || action == toggleAction())
            label()->click();
    }

    QStringList keyBindingsForAction(const QString &action) const override
    {
        if (action == pressAction() || action == toggleAction())
            return {label()->shortcut().toString(QKeySequence::NativeText)};
        return {};
    }

private:
    ClickLabel *label() const { return static_cast<ClickLabel *>(widget()); }
};

QAccessibleInterface *switchFactory(const QString &className, QObject *object)
{
    auto *label = qobject_cast<ClickLabel *>(object);
    if (className == QLatin1String("ClickLabel") && label && label->isSwitch())
        return new SwitchAccessible(label);
    return nullptr;
}

} // namespace

void ClickLabel::makeSwitch(const QString &name, const QKeySequence &shortcut)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(switchFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    m_shortcut = shortcut;
    setAccessibleName(name);
    // A shortcut of a hidden label does not fire: the switch is out of
    // reach in the modes that hide it, by keyboard as by mouse.
    auto *key = new QShortcut(shortcut, this);
    connect(key, &QShortcut::activated, this, &ClickLabel::click);
}

void ClickLabel::click()
{
    const bool wasOn = isOn();
    emit clicked();
    if (isSwitch() && isOn() != wasOn) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

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
        click();
}
