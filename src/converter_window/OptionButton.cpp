#include "OptionButton.h"

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

void OptionButton::nextCheckState()
{
    // A click selects; it never clears the selected option.
    if (!isChecked())
        setChecked(true);
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
