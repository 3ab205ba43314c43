// SPDX-License-Identifier: MIT
#include "OptionButton.h"

#include <QKeyEvent>

#include <algorithm>

OptionButton::OptionButton(const QString &caption, QWidget *parent)
    : QRadioButton(caption, parent)
{
    connect(this, &QAbstractButton::clicked, this, [this](bool checked) {
        if (checked)
            clearSiblings();
        emit clickValue(checked ? -1 : 0);
    });
}

void OptionButton::setValue(bool selected)
{
    setChecked(selected);
    if (selected) {
        clearSiblings();
        emit clickValue(-1);
    }
}

void OptionButton::setTabIndex(int index, bool tabStop)
{
    m_tabIndex = index;
    m_tabStop = tabStop;
    setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

void OptionButton::nextCheckState()
{
    // A click selects; it never clears the selected option.
    if (!isChecked())
        setChecked(true);
}

void OptionButton::keyPressEvent(QKeyEvent *event)
{
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up: step = -1; break;
    case Qt::Key_Right:
    case Qt::Key_Down: step = 1; break;
    default: QRadioButton::keyPressEvent(event); return;
    }
    event->accept();
    // Qt's own arrow handling walks nested containers and hidden options,
    // and selects only when the focused option is the selected one.
    QList<OptionButton *> group;
    for (OptionButton *option :
         parentWidget()->findChildren<OptionButton *>(Qt::FindDirectChildrenOnly))
        if (option == this || (!option->isHidden() && option->isEnabled()))
            group.append(option);
    std::sort(group.begin(), group.end(), [](const OptionButton *a, const OptionButton *b) {
        return a->m_tabIndex < b->m_tabIndex;
    });
    const qsizetype at = group.indexOf(this);
    OptionButton *next = group[(at + step + group.size()) % group.size()];
    if (next == this)
        return;
    next->setFocus(Qt::OtherFocusReason);
    next->click();
}

void OptionButton::focusInEvent(QFocusEvent *event)
{
    // Qt hands the Tab stop of a radio group to the option that gets the
    // focus, and counts options of nested containers into the group.
    QRadioButton::focusInEvent(event);
    restoreTabStops();
}

void OptionButton::clearSiblings()
{
    // Qt leaves hidden buttons out of the automatic exclusion, but a hidden
    // option still belongs to its group: clear the others by hand.
    const auto siblings = parentWidget()->findChildren<OptionButton *>(Qt::FindDirectChildrenOnly);
    for (OptionButton *other : siblings) {
        if (other != this && other->isChecked()) {
            other->setAutoExclusive(false);
            other->setChecked(false);
            other->setAutoExclusive(true);
        }
    }
}

void OptionButton::restoreTabStops()
{
    for (OptionButton *option : window()->findChildren<OptionButton *>())
        option->setFocusPolicy(option->m_tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}
