// SPDX-License-Identifier: MIT
#include "CommandButton.h"

#include "Design.h"

#include <QKeyEvent>

CommandButton::CommandButton(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent)
{
    setAutoDefault(false);
    setDefault(false);
    // The captions have fixed colours, so the face is fixed too: a dark
    // scheme's face would swallow them.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Button, ClassicFace);
    palette.setColor(QPalette::ButtonText, Qt::black);
    setPalette(palette);
}

void CommandButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QPushButton::keyPressEvent(event);
        return;
    }
    event->accept();
    // A held key presses once, as a held Space does.
    if (!event->isAutoRepeat())
        click();
}
