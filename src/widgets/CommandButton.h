// SPDX-License-Identifier: MIT
#pragma once

#include <QPushButton>

/// A push button that Enter presses as well as Space, when it has the focus.
/// It is never a default button: Enter typed into a text box stays that
/// box's own key. Its face is the classic light face and its caption black
/// unless given another colour.
class CommandButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CommandButton(const QString &caption, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
