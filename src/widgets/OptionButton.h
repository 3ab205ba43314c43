// SPDX-License-Identifier: MIT
#pragma once

#include <QRadioButton>

/// A radio button that reports every selection, by the user or from code,
/// with a click notification carrying the new value (non-zero = selected),
/// also when it already was the selected one.
///
/// The options of one container form one group: a selection clears the
/// others of that container only, and the arrow keys move the selection
/// among its visible, enabled options in Tab-index order, running the same
/// handler a click runs. Whatever gets the focus, every option keeps the Tab
/// stop it was given with setTabIndex().
class OptionButton : public QRadioButton
{
    Q_OBJECT

public:
    explicit OptionButton(const QString &caption, QWidget *parent = nullptr);

    /// Selects the button (true) and delivers the click notification at once.
    void setValue(bool selected);
    bool value() const { return isChecked(); }

    /// The layout table's place in the Tab order, and whether Tab stops here; an
    /// option that is no Tab stop still takes the focus by click or arrow key.
    void setTabIndex(int index, bool tabStop);

protected:
    void nextCheckState() override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void clearSiblings();
    void restoreTabStops();

    int m_tabIndex = 0;
    bool m_tabStop = false;

signals:
    void clickValue(int value);
};
