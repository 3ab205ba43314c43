// SPDX-License-Identifier: MIT
#pragma once

#include <QGroupBox>

/// A group box whose caption has the layout table's fixed colour, black. The
/// caption stands on the classic light face, not on the scheme's window
/// colour, so a dark scheme cannot put it black on dark; on the classic
/// window face that patch does not show.
class FrameBox : public QGroupBox
{
    Q_OBJECT

public:
    explicit FrameBox(const QString &caption, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
