// SPDX-License-Identifier: MIT
#pragma once

#include "BandModel.h"
#include "Platform.h"

#include <QDialog>

#include <array>

class PlotArea;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

/// The octave-band equalizer window `equal`: ten band sliders and boxes, the
/// displayed gain range, the response plot and the filter file commands.
/// Its one result is the global `filterFileName` ("" for no filter).
///
/// The converter window makes a fresh one for each opening and shows it
/// modally:
///
///     Equal equal(platform, converterWindow);
///     equal.Form_Load();
///     platform.showModal(equal);   // returns once the window is unloaded
///
/// The first showing runs Form_Resize() and Form_Activate(); a window shown
/// without Form_Load() loads itself first. Unloading is closing the dialog
/// (close()); it never asks and never cancels.
class Equal : public QDialog
{
    Q_OBJECT

public:
    /// `converterWindow` becomes the parent (so the window has no task-bar
    /// button of its own); the window places itself beside it and copies its
    /// window state onto it.
    explicit Equal(Platform &platform, QWidget *converterWindow = nullptr);

    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void Form_Unload();

    void VScroll1_Change(int index);
    void Text1_GotFocus(int index);
    void Text1_KeyPress(int index, int keyAscii);
    void Topp_GotFocus();
    void Topp_KeyPress(int keyAscii);
    void Topp_LostFocus();
    void Bottom_GotFocus();
    void Bottom_KeyPress(int keyAscii);
    void Bottom_LostFocus();
    void Textfiltname_Change();
    void Command3D2_Click();
    void Command3D1_Click();
    void Commbrowse_Click();

    /// Redraws the response polyline from the present slider positions.
    void DrawResponse();
    /// Writes the bands to `filterFileName`; on failure shows a message
    /// naming the file and returns false.
    bool WriteFilterFile();
    /// Reads `filterFileName` into the window (widening the range, moving
    /// the sliders, filling the boxes); on failure shows a message naming the
    /// file, changes nothing and returns false.
    bool ReadFilterFile();

    /// Position of band slider `index`, +10000 at the top, -10000 at the bottom.
    int sliderPosition(int index) const;
    /// Moves band slider `index`; a new position runs VScroll1_Change at once.
    void setSliderPosition(int index, int position);

    const BandModel &bands() const { return m_bands; }

    CommonDialog CMDialog1;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createLines();
    void setTabOrderChain();
    void connectSignals();

    void setFlatBands();
    void applyRangeEnd(int sign);
    void setUpDialog();
    void unload();
    void showFileError(const QString &what, const QString &reason);
    QString formatted(double value, const char *pattern) const;
    int boxIndex(QObject *object) const;

    std::array<QLabel *, BandCount> Label1{};
    std::array<QLineEdit *, BandCount> Text1{};
    std::array<QScrollBar *, BandCount> VScroll1{};
    QLineEdit *Topp = nullptr;
    QLineEdit *Bottom = nullptr;
    QGroupBox *Frame3D1 = nullptr;
    QLineEdit *Textfiltname = nullptr;
    QPushButton *Commbrowse = nullptr;
    PlotArea *Picture1 = nullptr;
    QPushButton *Command3D1 = nullptr;
    QPushButton *Command3D2 = nullptr;

    Platform &m_platform;
    QWidget *m_converterWindow;
    BandModel m_bands;
    bool m_loaded = false;
    bool m_shown = false;
    QLineEdit *m_selectAllOnRelease = nullptr;
};
