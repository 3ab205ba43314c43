// SPDX-License-Identifier: MIT
#pragma once

#include "CommandLineBuilder.h"
#include "FieldRules.h"
#include "Platform.h"

#include <QWidget>

#include <memory>

class ClickLabel;
class Equal;
class OptionButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

/// The converter window: collects file names and options, and starts the
/// converter of the selected conversion mode.
class Brenvik : public QWidget
{
    Q_OBJECT

public:
    explicit Brenvik(Platform &platform, QWidget *parent = nullptr);
    ~Brenvik() override;

    /// Start-up before the window is first shown. False when the program has
    /// to end (regional settings unusable): the window must not be shown.
    bool Form_Load();

    // Mode state; exactly one is true after any mode handler.
    bool modeTimWav = false;
    bool modeWavTim = false;
    bool modeBkTim = false;
    bool modeVelmTim = false;
    bool modeVelmWav = false;
    QString workDir;

    /// The equalizer window while it is loaded, else null.
    Equal *equalizer() const { return m_equal.get(); }

    // Handlers.
    void timwav_Click(int value);
    void wavtim_Click(int value);
    void bktim_Click(int value);
    void velmtim_Click(int value);
    void velmwav_Click(int value);
    void MonoOpt_Click(int value);
    void StereoOpt_Click(int value);
    void Command3D1_Click();
    void Command3D2_Click();
    void Command3D3_Click();
    void SSCommand1_Click();
    void CommWav_Click();
    void CommLeft_Click();
    void CommRight_Click();
    void Label2_Click();
    void Label1_Click() { Label2_Click(); }
    void Label3_Click();
    void Label4_Click() { Label3_Click(); }
    void Form_Unload();

    /// The file dialog's settings, kept between showings.
    CommonDialog CMDialog1;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void connectSignals();
    void setTabOrder();
    void setMode(ConversionMode mode);
    LaunchInput launchInput(const NumberSymbols &symbols) const;
    void setModeFlags(ConversionMode mode);
    void placeFrames(int wavTop, int timTop);
    void showNumberField(const QString &caption, const QString &text);
    void showLowerStrip(bool simulation);
    void monoStereo(bool fromMono);
    QString browse(const QString &filter, const QString &preset, int action);
    QString adapt(const QString &text, QStringView wanted, QStringView other) const;

    Platform &m_platform;
    std::unique_ptr<Equal> m_equal;

    QGroupBox *Frame3D1 = nullptr;
    QGroupBox *Frame3D2 = nullptr;
    QGroupBox *Frame3D3 = nullptr;
    QGroupBox *Frame3D4 = nullptr;
    QGroupBox *Frame3D5 = nullptr;
    QGroupBox *Frame3D6 = nullptr;
    QGroupBox *Frame3D7 = nullptr;
    OptionButton *Opt44 = nullptr;
    OptionButton *Opt48 = nullptr;
    OptionButton *OptBin = nullptr;
    OptionButton *StereoOpt = nullptr;
    OptionButton *MonoOpt = nullptr;
    OptionButton *bktim = nullptr;
    OptionButton *velmwav = nullptr;
    OptionButton *velmtim = nullptr;
    OptionButton *timwav = nullptr;
    OptionButton *wavtim = nullptr;
    OptionButton *IRmode = nullptr;
    OptionButton *Scopemode = nullptr;
    ClickLabel *Label1 = nullptr;
    ClickLabel *Label2 = nullptr;
    ClickLabel *Label3 = nullptr;
    ClickLabel *Label4 = nullptr;
    QLineEdit *Wav = nullptr;
    QLineEdit *TimLeft = nullptr;
    QLineEdit *TimRight = nullptr;
    QLineEdit *ExpSPL = nullptr;
    QPushButton *CommWav = nullptr;
    QPushButton *CommLeft = nullptr;
    QPushButton *CommRight = nullptr;
    QPushButton *Command3D1 = nullptr;
    QPushButton *Command3D2 = nullptr;
    QPushButton *Command3D3 = nullptr;
    QPushButton *SSCommand1 = nullptr;
    QLabel *Panel3D1 = nullptr;
    QLabel *Panel3D2 = nullptr;
};
