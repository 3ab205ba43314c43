#pragma once

#include <QRadioButton>

/// A radio button that reports every selection, by the user or from code,
/// with a click notification carrying the new value (non-zero = selected),
/// also when it already was the selected one.
class OptionButton : public QRadioButton
{
    Q_OBJECT

public:
    explicit OptionButton(const QString &caption, QWidget *parent = nullptr);

    /// Selects the button (true) and delivers the click notification at once.
    void setValue(bool selected);
    bool value() const { return isChecked(); }

protected:
    void nextCheckState() override;

private:
    void clearSiblings();

signals:
    void clickValue(int value);
};
