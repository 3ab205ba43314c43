// SPDX-License-Identifier: MIT
#include "Brenvik.h"

#include "ChannelDetection.h"
#include "ClickLabel.h"
#include "CommandLineBuilder.h"
#include "Design.h"
#include "Equal.h"
#include "FilterFileName.h"
#include "NumberFormat.h"
#include "OptionButton.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// The on state of a switch: the radical sign that served as check mark.
const QString checkMark = QStringLiteral("\u221A");

// Keeps the user's input away from the converter window while the equalizer
// is loaded. Its loading and its activation let pending events run before
// Qt's modality holds, and a click queued there must run no handler of this
// window: a second click on the octave-filter box would replace the
// equalizer while it loads. Disabling the window is no way, as the equalizer,
// its child, would be disabled with it.
class InputBlock : public QObject
{
public:
    explicit InputBlock(QWidget *window)
        : m_window(window)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!watched->isWidgetType() || static_cast<QWidget *>(watched)->window() != m_window)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd: return true;
        case QEvent::Close:
            // The close box is refused, as the shown equalizer's modality
            // refuses it; the program's own closing still unloads both windows.
            if (!event->spontaneous())
                return false;
            event->ignore();
            return true;
        default: return false;
        }
    }

private:
    QWidget *m_window;
};

} // namespace

Brenvik::~Brenvik() = default;

bool Brenvik::Form_Load()
{
    // The converters need "." as decimal symbol; nothing works without it.
    const QString probe = formatNumber(2.2, u"000.0", m_platform.numberSymbols());
    if (probe.size() < 4 || probe[3] != u'.') {
        QString message = QStringLiteral("Your Regional Settings are not properly set !!! Velmora "
                                         "requires US English or UK English locale settings, "
                                         "please change them in Your Windows Control Panel.");
#ifndef Q_OS_WIN
        // There is no Control Panel here; the desktop entry's launcher or
        // this variable gives the numbers "." without changing the language.
        message += QStringLiteral(" On this system start Brenvik from its desktop menu entry, or "
                                  "from a terminal with the command "
                                  "\"LC_NUMERIC=C.UTF-8 brenvik\".");
#endif
        m_platform.messageBox(message, MsgBox::Critical, QStringLiteral("Unrecoverable Error"));
        m_platform.endProgram();
        return false;
    }
    const QString exeFolder = m_platform.executableFolder();
    workDir = deriveWorkDir(exeFolder, m_platform.fileNamesIgnoreCase());
#ifndef Q_OS_WIN
    // A copy installed for all users lies in a folder of the package manager's
    // or one the user may not write: the converters would fail to write their
    // results there. It works in the folder it was started in (the home folder
    // from a desktop menu), or in the home folder when that may not be written.
    if (isSharedCopy(exeFolder, m_platform.mayWrite(exeFolder))) {
        const QString start = m_platform.currentDirectory();
        workDir = m_platform.mayWrite(start) ? start : m_platform.homeFolder();
    }
    // From now on a name without a folder, such as a filter file typed into
    // the equalizer, means a file in workDir, as it does for the converters
    // started there. A folder that cannot be entered is reported at the
    // first conversion.
    m_platform.setCurrentDirectory(workDir);
#endif
    CMDialog1.InitDir = workDir;
    setMode(modeForKeyword(m_platform.argumentText()));
    return true;
}

void Brenvik::setMode(ConversionMode mode)
{
    switch (mode) {
    case ConversionMode::TimWav: timwav->setValue(true); break;
    case ConversionMode::WavTim: wavtim->setValue(true); break;
    case ConversionMode::BkTim: bktim->setValue(true); break;
    case ConversionMode::VelmTim: velmtim->setValue(true); break;
    case ConversionMode::VelmWav: velmwav->setValue(true); break;
    }
}

QString Brenvik::adapt(const QString &text, QStringView wanted, QStringView other) const
{
    return adaptExtension(text, wanted, other, m_platform.fileNamesIgnoreCase());
}

void Brenvik::setModeFlags(ConversionMode mode)
{
    modeTimWav = mode == ConversionMode::TimWav;
    modeWavTim = mode == ConversionMode::WavTim;
    modeBkTim = mode == ConversionMode::BkTim;
    modeVelmTim = mode == ConversionMode::VelmTim;
    modeVelmWav = mode == ConversionMode::VelmWav;
}

void Brenvik::placeFrames(int wavTop, int timTop)
{
    Frame3D2->move(Frame3D2->x(), twips(wavTop));
    Frame3D3->move(Frame3D3->x(), twips(timTop));
}

void Brenvik::showNumberField(const QString &caption, const QString &text)
{
    Panel3D2->setText(caption);
    Panel3D2->setVisible(true);
    ExpSPL->setText(text);
    ExpSPL->setVisible(true);
}

// The lower strip of "Conversion Mode" shows either the channel choice or
// the sampling rate and the equalizer switches.
void Brenvik::showLowerStrip(bool simulation)
{
    Frame3D4->setVisible(!simulation);
    Frame3D6->setVisible(simulation);
    Frame3D7->setVisible(simulation);
}

void Brenvik::timwav_Click(int value)
{
    if (value == 0)
        return;
    setModeFlags(ConversionMode::TimWav);
    Command3D1->setText(QStringLiteral(".TIM ---> .WAV"));
    placeFrames(3720, 2520);
    Frame3D5->setVisible(false);
    Frame3D2->setTitle(QStringLiteral(".WAV file name"));
    Wav->setText(adapt(Wav->text(), u"wav", u"tim"));
    Frame3D3->setTitle(QStringLiteral(".TIM file names"));
    TimLeft->setText(adapt(TimLeft->text(), u"tim", u"wav"));
    Panel3D2->setVisible(false);
    ExpSPL->setVisible(false);
    Frame3D4->setVisible(true);
    StereoOpt->setValue(true);
    showLowerStrip(false);
}

void Brenvik::wavtim_Click(int value)
{
    if (value == 0)
        return;
    setModeFlags(ConversionMode::WavTim);
    Command3D1->setText(QStringLiteral(".WAV ---> .TIM"));
    placeFrames(2520, 3720);
    Frame3D5->setVisible(true);
    Frame3D2->setTitle(QStringLiteral(".WAV file name"));
    Wav->setText(adapt(Wav->text(), u"wav", u"tim"));
    Frame3D3->setTitle(QStringLiteral(".TIM file names"));
    TimLeft->setText(adapt(TimLeft->text(), u"tim", u"wav"));
    showNumberField(QStringLiteral("Expected SPL Value (dB) ="), QStringLiteral("100.0"));
    showLowerStrip(false);
}

void Brenvik::bktim_Click(int value)
{
    if (value == 0)
        return;
    setModeFlags(ConversionMode::BkTim);
    Command3D1->setText(QStringLiteral("B&&K ---> .TIM"));
    placeFrames(2520, 3720);
    Frame3D5->setVisible(true);
    Frame3D2->setTitle(QStringLiteral("B&&K 2133 file name"));
    Frame3D3->setTitle(QStringLiteral(".TIM file names"));
    showNumberField(QStringLiteral("Expected SPL Value (dB) ="), QStringLiteral("100.0"));
    showLowerStrip(false);
}

void Brenvik::velmtim_Click(int value)
{
    if (value == 0)
        return;
    setModeFlags(ConversionMode::VelmTim);
    Command3D1->setText(QStringLiteral("Velmora -> .TIM"));
    placeFrames(2520, 3720);
    Frame3D5->setVisible(false);
    Frame3D2->setTitle(QStringLiteral("._* File name"));
    Wav->setText(checkResultName(Wav->text(), m_platform.fileNamesIgnoreCase()));
    Frame3D3->setTitle(QStringLiteral(".TIM File name"));
    TimLeft->setText(adapt(TimLeft->text(), u"tim", u"wav"));
    showNumberField(QStringLiteral("Microphone Number ="), QStringLiteral("1"));
    Frame3D4->setVisible(false);
    MonoOpt->setValue(true);
    showLowerStrip(true);
    OptBin->setEnabled(false);
    if (OptBin->value())
        Opt44->setValue(true);
}

void Brenvik::velmwav_Click(int value)
{
    if (value == 0)
        return;
    OptBin->setEnabled(true);
    setModeFlags(ConversionMode::VelmWav);
    Command3D1->setText(QStringLiteral("Velmora -> .WAV"));
    placeFrames(2520, 3720);
    Frame3D5->setVisible(false);
    Frame3D2->setTitle(QStringLiteral("._* File name"));
    Wav->setText(checkResultName(Wav->text(), m_platform.fileNamesIgnoreCase()));
    showNumberField(QStringLiteral("Microphone Number ="), QStringLiteral("1"));
    MonoOpt->setValue(true);
    Frame3D3->setTitle(QStringLiteral(".WAV File name"));
    TimLeft->setText(adapt(TimLeft->text(), u"wav", u"tim"));
    showLowerStrip(true);
}

void Brenvik::MonoOpt_Click(int)
{
    monoStereo(true);
}

void Brenvik::StereoOpt_Click(int)
{
    monoStereo(false);
}

void Brenvik::monoStereo(bool fromMono)
{
    if (MonoOpt->value()) {
        TimRight->setVisible(false);
        CommRight->setVisible(false);
        Frame3D3->setTitle(QStringLiteral(".TIM file name"));
        if (fromMono)
            TimLeft->setText(adapt(TimLeft->text(), u"tim", u"wav"));
    } else {
        TimRight->setVisible(true);
        CommRight->setVisible(true);
        Frame3D3->setTitle(QStringLiteral(".TIM file names"));
    }
}

void Brenvik::Command3D1_Click()
{
    if (modeVelmWav)
        velmtim->setValue(true);
    else if (modeVelmTim)
        wavtim->setValue(true);
    else if (modeWavTim)
        timwav->setValue(true);
    else if (modeTimWav)
        velmwav->setValue(true);
}

// What "OK - Convert!" reads of the window at the moment of the click.
LaunchInput Brenvik::launchInput(const NumberSymbols &symbols) const
{
    LaunchInput input;
    input.wav = Wav->text();
    input.timLeft = TimLeft->text();
    input.timRight = TimRight->text();
    input.expSpl = ExpSPL->text();
    input.stereo = StereoOpt->value();
    input.irMode = IRmode->value();
    input.opt44 = Opt44->value();
    input.opt48 = Opt48->value();
    input.optBin = OptBin->value();
    input.forcePink = !Label3->text().isEmpty();
    input.octaveFilter = !Label2->text().isEmpty();
    input.filterFileName = filterFileName;
    input.modeTimWav = modeTimWav;
    input.modeWavTim = modeWavTim;
    input.modeBkTim = modeBkTim;
    input.modeVelmTim = modeVelmTim;
    input.modeVelmWav = modeVelmWav;
    input.symbols = symbols;
    return input;
}

void Brenvik::Command3D2_Click()
{
    const NumberSymbols symbols = m_platform.numberSymbols();
    if (!regionalSettingsCompatible(symbols)) {
        const int answer = m_platform.messageBox(
            QStringLiteral("Your regional settings are not compatible with Velmora. Do You want "
                           "to change them now?"),
            MsgBox::YesNoCritical, QStringLiteral("Warning - incompatible settings!"));
        if (answer == MsgBox::AnswerYes) {
            const QString error = m_platform.startProgram(
                QStringLiteral("rundll32.exe shell32.dll,Control_RunDLL intl.cpl"), NormalFocus);
            if (!error.isEmpty())
                m_platform.messageBox(error, MsgBox::Exclamation,
                                      QStringLiteral("Warning - incompatible settings!"));
        }
        return;
    }

    const LaunchInput input = launchInput(symbols);
    const QString nameError = QStringLiteral("File Specification Error");
    if (requiredNamesMissing(input)) {
        m_platform.messageBox(
            QStringLiteral("CAUTION! - You Must Specify the name of all the files!"),
            MsgBox::Exclamation, nameError);
        return;
    }
    const LaunchPlan plan = buildLaunch(input);
    if (!plan.unsafeName.isNull()) {
        m_platform.messageBox(
            QStringLiteral("The file name %1 cannot be handed to the converter: a file name must "
                           "not contain a double quote (\") or a NUL character, nor end in a "
                           "backslash (\\). Please correct it.")
                .arg(plan.unsafeName),
            MsgBox::Exclamation, nameError);
        return;
    }
    if (plan.command.pieces.isEmpty()) {
        m_platform.messageBox(QStringLiteral("No conversion mode is selected."),
                              MsgBox::Exclamation, QStringLiteral("Conversion Error"));
        return;
    }

    Wav->setText(plan.wav);
    TimRight->setText(plan.timRight);
    TimLeft->setText(plan.timLeft);

    if (!m_platform.setCurrentDirectory(workDir)) {
        m_platform.messageBox(
            QStringLiteral("The working folder %1 cannot be used: it does not exist or cannot be "
                           "entered. The converter was not started.")
                .arg(workDir),
            MsgBox::Exclamation, QStringLiteral("Conversion Error"));
        return;
    }
    // Its window names the converter and the file it reads.
    const QString &program = plan.command.program;
    const QString source = program == QLatin1String("ZARVO.EXE") ? plan.timLeft : plan.wav;
    const QString title =
        program + QStringLiteral(" - ") + source.section(m_platform.pathSeparator(), -1);
    const LaunchRefusal refusal = m_platform.startConverter(plan.command, title);
    if (!refusal.isNull())
        m_platform.messageBox(refusal.message, MsgBox::Exclamation, refusal.title);
}

void Brenvik::Command3D3_Click()
{
    m_platform.beep();
    const int answer = m_platform.messageBox(QStringLiteral("Really do You want to exit ?"),
                                             MsgBox::YesNoExclamation, QStringLiteral("Warning!"));
    if (answer == MsgBox::AnswerYes)
        m_platform.endProgram();
}

void Brenvik::SSCommand1_Click()
{
#ifdef Q_OS_WIN
    const QChar separator = m_platform.pathSeparator();
    const QString error = m_platform.startProgram(QStringLiteral("Explorer ") + workDir + separator
                                                      + QStringLiteral("Manual") + separator
                                                      + QStringLiteral("MBrenvik.mht"),
                                                  NormalFocus);
#else
    // Elsewhere no browser shows every web archive: the same manual as a
    // plain page, beside the program (the package links its folder there).
    const QString manual = m_platform.executableFolder() + QStringLiteral("/Manual/MBrenvik.html");
    const QString error = m_platform.openDocument(manual, this, [this, manual] {
        m_platform.messageBox(QStringLiteral("The manual %1 cannot be shown: no program to show it "
                                             "was found. Install a web browser (and xdg-utils), "
                                             "or open the file with one.")
                                  .arg(manual),
                              MsgBox::Exclamation, QStringLiteral("Help"));
    });
#endif
    if (!error.isEmpty())
        m_platform.messageBox(error, MsgBox::Exclamation, QStringLiteral("Help"));
}

// The frame all three "Browse..." buttons share: the dialog with `filter`
// and `preset`, and on a confirmed choice the chosen name (lower-cased where
// names ignore case) with `InitDir` cleared. A null string when cancelled.
QString Brenvik::browse(const QString &filter, const QString &preset, int action)
{
    CMDialog1.Filter = filter;
    CMDialog1.FilterIndex = 1;
    CMDialog1.FileName = preset;
    if (!m_platform.showFileDialog(CMDialog1, action, this))
        return QString();
    CMDialog1.InitDir.clear();
    return m_platform.fileNamesIgnoreCase() ? CMDialog1.FileName.toLower() : CMDialog1.FileName;
}

void Brenvik::CommLeft_Click()
{
    const QString text = TimLeft->text();
    const int action = modeTimWav ? CommonDialog::OpenDialog : CommonDialog::SaveDialog;
    const QString name =
        modeVelmWav
            ? browse(QStringLiteral("MS RIFF Audio File (*.WAV)|*.WAV"),
                     text.toLower().right(3) == u"wav" ? text : QStringLiteral("*.WAV"), action)
            : browse(QStringLiteral("MLSSA Imp.Resp. File (*.TIM)|*.TIM"),
                     text.toLower().right(3) == u"tim" ? text : QStringLiteral("*.TIM"), action);
    if (!name.isNull())
        TimLeft->setText(completeName(name, modeVelmWav ? u".wav" : u".tim"));
}

void Brenvik::CommRight_Click()
{
    const QString name =
        browse(QStringLiteral("MLSSA Imp.Resp. File (*.TIM)|*.TIM"),
               TimRight->text().isEmpty() ? QStringLiteral("*.TIM") : TimRight->text(),
               modeTimWav ? CommonDialog::OpenDialog : CommonDialog::SaveDialog);
    if (!name.isNull())
        TimRight->setText(completeName(name, u".tim"));
}

void Brenvik::CommWav_Click()
{
    const int action = modeTimWav ? CommonDialog::SaveDialog : CommonDialog::OpenDialog;
    QString name;
    if (modeBkTim)
        name = browse(QStringLiteral("2Ch. Time File (*.DTI)|*.DTI|Ch.A Time File (*.TIA)|*.TIA|"
                                     "Ch.B Time File (*.TIB)|*.TIB"),
                      QStringLiteral("*.DTI"), action);
    else if (modeVelmTim || modeVelmWav)
        name = browse(QStringLiteral("Velmora files (*._*)|*._*"), QStringLiteral("*._*"), action);
    else
        name = browse(QStringLiteral("MS RIFF Audio File (*.WAV)|*.WAV"), QStringLiteral("*.WAV"),
                      action);
    if (name.isNull())
        return;
    // Simulation result names carry their own "._nn" ending; a B&K 2133
    // name gets the ending of its first kind.
    if (modeTimWav || modeWavTim)
        name = completeName(name, u".wav");
    else if (modeBkTim)
        name = completeName(name, u".dti");
    Wav->setText(name);

    if (modeWavTim) {
        if (wavChannelCount(name) == 1)
            MonoOpt->setValue(true);
        else
            StereoOpt->setValue(true);
    } else if (modeBkTim) {
        if (bkTimeFileIsStereo(name))
            StereoOpt->setValue(true);
        else
            MonoOpt->setValue(true);
    }
}

void Brenvik::Label2_Click()
{
    if (m_equal) // the equalizer exists once
        return;
    if (!Label2->text().isEmpty()) {
        Label2->setText(QString());
        return;
    }
    const InputBlock block(this);
    m_equal = std::make_unique<Equal>(m_platform, this);
    m_equal->Form_Load();
    m_platform.showModal(*m_equal);
    m_equal.reset();
    if (filterFileName.isEmpty())
        return;
    Label2->setText(checkMark);
}

void Brenvik::Label3_Click()
{
    if (!Label3->text().isEmpty()) {
        Label3->setText(QString());
        return;
    }
    Label3->setText(checkMark);
    m_platform.messageBox(
        QStringLiteral("Click <Force Pink> Only when Your Velmora simulation was conducted\r"
                       "using a sound source file already describing a loudspeaker\r"
                       "fed with white noise\r"
                       "or when You are Octave-Filtering to emulate a gun shot\r"
                       "or an MLS measurements"),
        MsgBox::OkOnly, QStringLiteral("Force Pink Information"));
}

void Brenvik::Form_Unload()
{
    if (m_equal)
        m_equal->close();
}

void Brenvik::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

bool Brenvik::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        auto *edit = static_cast<QLineEdit *>(watched);
        // A mouse click places the cursor after the focus arrives; select
        // once the click has been handled so the selection stays.
        if (static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason)
            QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
        else
            edit->selectAll();
    }
    return QWidget::eventFilter(watched, event);
}
