// SPDX-License-Identifier: MIT
#include "Equal.h"

#include "FilterFile.h"
#include "FilterFileName.h"
#include "NumberFormat.h"
#include "PlotArea.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QWindow>

#include <algorithm>

namespace {

constexpr int KeyEnter = 13;
const QColor PlotColor(215, 0, 0);

} // namespace

int Equal::sliderPosition(int index) const
{
    return -VScroll1[index]->value();
}

void Equal::setSliderPosition(int index, int position)
{
    VScroll1[index]->setValue(-position);
}

QString Equal::formatted(double value, const char *pattern) const
{
    return formatNumber(value, QString::fromLatin1(pattern), m_platform.numberSymbols());
}

int Equal::boxIndex(QObject *object) const
{
    for (int k = 0; k < BandCount; ++k)
        if (Text1[k] == object)
            return k;
    return -1;
}

// --- Opening and closing ---------------------------------------------------

void Equal::setFlatBands()
{
    m_bands.bandFrequency = BandModel::DefaultFrequencies;
    for (int k = 0; k < BandCount; ++k) {
        m_bands.bandGain[k] = 0.0;
        setSliderPosition(k, 0);
        Text1[k]->setText(QStringLiteral(" 0.0"));
    }
}

void Equal::Form_Load()
{
    m_loaded = true;
    m_bands.rangeBottom = -50.0f;
    m_bands.rangeTop = 50.0f;
    if (filterFileName.isEmpty()) {
        setFlatBands();
    } else if (!ReadFilterFile()) {
        // The name stays chosen until the user picks another; the box shows it.
        setFlatBands();
        Textfiltname->setText(filterFileName);
    }
    Topp->setText(formatted(m_bands.rangeTop, "+##0.0;-##0.0"));
    Bottom->setText(formatted(m_bands.rangeBottom, "+##0.0;-##0.0"));
}

void Equal::Form_Activate()
{
    if (m_converterWindow) {
        // By the outer edges. Before the window is mapped its frame is not
        // known yet: the window system is asked to put the frame there.
        const QRect frame = m_converterWindow->frameGeometry();
        const QPoint place(frame.x() + frame.width(), frame.y());
        move(place);
        if (QWindow *handle = windowHandle())
            handle->setFramePosition(place);
    }
    m_platform.beep();
    DrawResponse();
    m_platform.processPendingEvents();
}

void Equal::Form_Resize()
{
    if (!m_converterWindow)
        return;
    constexpr Qt::WindowStates mask =
        Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    const Qt::WindowStates target =
        (m_converterWindow->windowState() & ~mask) | (windowState() & mask);
    if (target != m_converterWindow->windowState())
        m_converterWindow->setWindowState(target);
}

void Equal::Form_Unload() { }

void Equal::unload()
{
    close();
}

void Equal::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_loaded)
        Form_Load();
    if (!m_shown) {
        m_shown = true;
        Form_Resize();
        Form_Activate();
    }
}

void Equal::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    QDialog::closeEvent(event);
}

void Equal::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && m_shown)
        Form_Resize();
}

void Equal::keyPressEvent(QKeyEvent *event)
{
    // Enter belongs to the focused box or button, never to a default
    // button, and the window has no cancel button for Escape.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape: event->accept(); return;
    default: QDialog::keyPressEvent(event);
    }
}

bool Equal::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    const int index = boxIndex(watched);
    if (!box || (index < 0 && box != Topp && box != Bottom))
        return QDialog::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        int keyAscii = 0;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            keyAscii = KeyEnter;
        else if (!key->text().isEmpty())
            keyAscii = key->text().at(0).unicode();
        if (keyAscii == 0)
            break;
        if (index >= 0)
            Text1_KeyPress(index, keyAscii);
        else if (box == Topp)
            Topp_KeyPress(keyAscii);
        else
            Bottom_KeyPress(keyAscii);
        break; // the key still reaches the box
    }
    case QEvent::FocusIn: {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (index >= 0)
            Text1_GotFocus(index);
        else if (box == Topp)
            Topp_GotFocus();
        else
            Bottom_GotFocus();
        // A click would put the cursor where it landed; select again after it.
        m_selectAllOnRelease = reason == Qt::MouseFocusReason ? box : nullptr;
        break;
    }
    case QEvent::MouseButtonRelease:
        if (m_selectAllOnRelease == box) {
            m_selectAllOnRelease = nullptr;
            box->selectAll();
        }
        break;
    case QEvent::FocusOut: {
        // Switching to another window or opening a menu is no move of the focus.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        if (box == Topp)
            Topp_LostFocus();
        else if (box == Bottom)
            Bottom_LostFocus();
        break;
    }
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

// --- Band editing and the plot ----------------------------------------------

void Equal::VScroll1_Change(int index)
{
    const qint16 position = qint16(sliderPosition(index));
    m_bands.bandGain[index] = m_bands.PositionToGain(position);
    Text1[index]->setText(formatted(m_bands.bandGain[index], "+#0.0;-#0.0"));
    DrawResponse();
}

void Equal::Text1_GotFocus(int index)
{
    Text1[index]->selectAll();
}

void Equal::Text1_KeyPress(int index, int keyAscii)
{
    if (keyAscii != KeyEnter)
        return;
    double gain = readNumber(Text1[index]->text());
    if (gain > m_bands.rangeTop)
        gain = m_bands.rangeTop;
    if (gain < m_bands.rangeBottom)
        gain = m_bands.rangeBottom;
    m_bands.bandGain[index] = gain;
    setSliderPosition(index, m_bands.GainToPosition(gain));
}

void Equal::Topp_GotFocus()
{
    Topp->selectAll();
}

void Equal::Topp_KeyPress(int keyAscii)
{
    if (keyAscii == KeyEnter)
        applyRangeEnd(+1);
}

void Equal::Topp_LostFocus()
{
    applyRangeEnd(+1);
}

void Equal::Bottom_GotFocus()
{
    Bottom->selectAll();
}

void Equal::Bottom_KeyPress(int keyAscii)
{
    if (keyAscii == KeyEnter)
        applyRangeEnd(-1);
}

void Equal::Bottom_LostFocus()
{
    applyRangeEnd(-1);
}

// Applies the top (sign +1) or the bottom (sign -1) range box: a typed end
// is limited to +100 / -100, then moved out as far as the gains need.
void Equal::applyRangeEnd(int sign)
{
    QLineEdit *box = sign > 0 ? Topp : Bottom;
    float &end = sign > 0 ? m_bands.rangeTop : m_bands.rangeBottom;
    const float other = sign > 0 ? m_bands.rangeBottom : m_bands.rangeTop;
    float value = toSingle(sign * std::min(sign * readNumber(box->text()), 100.0));
    for (double gain : m_bands.bandGain)
        if (sign * gain > sign * value)
            value = toSingle(gain);
    if (!(sign * value > sign * other)) {
        // An empty range leaves the sliders no scale: keep what was shown.
        box->setText(formatted(end, "+##0.0;-##0.0"));
        return;
    }
    end = value;
    box->setText(formatted(value, "+##0.0;-##0.0"));
    for (int k = 0; k < BandCount; ++k)
        setSliderPosition(k, m_bands.GainToPosition(m_bands.bandGain[k]));
}

void Equal::DrawResponse()
{
    // Clear the plot and draw the nine segments at width 5 in one go.
    QList<PlotArea::Segment> segments;
    segments.reserve(BandCount - 1);
    for (int j = 1; j < BandCount; ++j) {
        const QPointF from(float(170 + 360 * (j - 1)), plotY(qint16(sliderPosition(j - 1))));
        const QPointF to(float(170 + 360 * j), plotY(qint16(sliderPosition(j))));
        segments.append({from, to, PlotColor, 5});
    }
    Picture1->setSegments(segments);
}

// --- Filter file commands ----------------------------------------------------

void Equal::showFileError(const QString &what, const QString &reason)
{
    m_platform.messageBox(
        QStringLiteral("The filter file \"%1\" %2: %3.").arg(filterFileName, what, reason),
        MsgBox::Exclamation, QStringLiteral("Filter File Error"));
}

bool Equal::WriteFilterFile()
{
    FilterBands bands;
    bands.frequency = m_bands.bandFrequency;
    bands.gain = m_bands.bandGain;
    const QString error = saveFilterFile(filterFileName, bands);
    if (!error.isEmpty()) {
        showFileError(QStringLiteral("was not saved"), error);
        return false;
    }
    return true;
}

bool Equal::ReadFilterFile()
{
    const FilterReadResult read = loadFilterFile(filterFileName);
    if (!read.ok()) {
        showFileError(QStringLiteral("was not read"), read.error);
        return false;
    }
    for (int k = 0; k < BandCount; ++k) {
        m_bands.bandFrequency[k] = read.bands.frequency[k];
        m_bands.bandGain[k] = read.bands.gain[k];
        m_bands.widenRange(read.bands.gain[k]);
    }
    Topp->setText(formatted(m_bands.rangeTop, "+##0.0;-##0.0"));
    Bottom->setText(formatted(m_bands.rangeBottom, "+##0.0;-##0.0"));
    for (int k = 0; k < BandCount; ++k) {
        setSliderPosition(k, m_bands.GainToPosition(m_bands.bandGain[k]));
        Text1[k]->setText(formatted(m_bands.bandGain[k], "+##0.#;-##0.#"));
    }
    Textfiltname->setText(filterFileName);
    m_platform.processPendingEvents();
    return true;
}

void Equal::setUpDialog()
{
    CMDialog1.Filter = QStringLiteral("Filter File (*.DAT)|*.DAT");
    CMDialog1.FilterIndex = 1;
    CMDialog1.FileName = filterFileName.isEmpty() ? QStringLiteral("*.DAT") : filterFileName;
}

void Equal::Command3D2_Click()
{
    setUpDialog();
    const QString before = filterFileName;
    if (!m_platform.showFileDialog(CMDialog1, CommonDialog::SaveDialog, this))
        return;
    filterFileName = CMDialog1.FileName;
    if (!WriteFilterFile()) {
        // The converter window must never receive a file that was not written.
        filterFileName = before;
        return;
    }
    unload();
}

void Equal::Command3D1_Click()
{
    filterFileName.clear();
    unload();
}

void Equal::Commbrowse_Click()
{
    setUpDialog();
    const QString before = filterFileName;
    if (!m_platform.showFileDialog(CMDialog1, CommonDialog::OpenDialog, this))
        return;
    filterFileName = CMDialog1.FileName;
    if (!ReadFilterFile())
        filterFileName = before;
}

void Equal::Textfiltname_Change()
{
    filterFileName = Textfiltname->text();
}
