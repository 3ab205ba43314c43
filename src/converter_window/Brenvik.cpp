// SPDX-License-Identifier: MIT
#include "Brenvik.h"

#include "ChannelDetection.h"
#include "ClickLabel.h"
#include "CommandButton.h"
#include "CommandLineBuilder.h"
#include "Design.h"
#include "Equal.h"
#include "Module1.h"
#include "NumberFormat.h"
#include "OptionButton.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace {

// The on state of a switch: the radical sign that served as check mark.
const QString checkMark = QStringLiteral("\u221A");

const QColor yellow(255, 255, 0);

QIcon designIcon()
{
    // Grey field, a white arrow to the left above, one to the right below,
    // parted by a dashed yellow band.
    QPixmap pixmap(32, 32);
    pixmap.fill(QColor(128, 128, 128));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(10, 7, 18, 3);
    p.drawPolygon(QPolygon({QPoint(3, 8), QPoint(11, 2), QPoint(11, 14)}));
    p.drawRect(4, 22, 18, 3);
    p.drawPolygon(QPolygon({QPoint(28, 23), QPoint(20, 17), QPoint(20, 29)}));
    p.setBrush(yellow);
    for (int x = 1; x < 32; x += 6)
        p.drawRect(x, 15, 4, 2);
    return QIcon(pixmap);
}

QGroupBox *frame(QWidget *parent, const char *name, const QString &caption, QRect geometry,
                 const QFont &font)
{
    auto *box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setFont(font);
    return box;
}

OptionButton *option(QWidget *parent, const char *name, const QString &caption,
                     QRect geometry, int tabIndex, bool tabStop)
{
    auto *button = new OptionButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setFont(designFont(7.8));
    button->setTabIndex(tabIndex, tabStop);
    return button;
}

QPushButton *command(QWidget *parent, const char *name, const QString &caption,
                     QRect geometry, qreal points, QColor colour = Qt::black)
{
    auto *button = new CommandButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setFont(designFont(points));
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, colour);
    button->setPalette(palette);
    return button;
}

QLineEdit *field(QWidget *parent, const char *name, QRect geometry,
                 Qt::Alignment alignment = Qt::AlignLeft)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    edit->setFont(designFont(7.8));
    edit->setAlignment(alignment | Qt::AlignVCenter);
    return edit;
}

QLabel *panel(QWidget *parent, const char *name, const QString &caption, QRect geometry,
              qreal points)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(designFont(points));
    label->setFrameStyle(QFrame::Panel | QFrame::Raised);
    label->setLineWidth(2);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, yellow);
    label->setPalette(palette);
    return label;
}

ClickLabel *label(QWidget *parent, const char *name, const QString &caption, QRect geometry,
                  bool box)
{
    auto *text = new ClickLabel(caption, parent);
    text->setObjectName(QLatin1String(name));
    text->setGeometry(geometry);
    text->setAutoFillBackground(true);
    if (box) {
        text->setFont(designFont(7.8, true));
        text->setFrameStyle(QFrame::Box | QFrame::Plain);
        text->setAlignment(Qt::AlignCenter);
        QPalette palette = text->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Base));
        palette.setColor(QPalette::WindowText, palette.color(QPalette::ButtonText));
        text->setPalette(palette);
    } else {
        text->setFont(designFont(7.8));
    }
    return text;
}

// Puts the children made first in front, as the design lists them.
void stackAsListed(QWidget *container)
{
    for (QWidget *child : container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->lower();
}

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
        case QEvent::TouchEnd:
            return true;
        case QEvent::Close:
            // The close box is refused, as the shown equalizer's modality
            // refuses it; the program's own closing still unloads both windows.
            if (!event->spontaneous())
                return false;
            event->ignore();
            return true;
        default:
            return false;
        }
    }

private:
    QWidget *m_window;
};

} // namespace

Brenvik::Brenvik(Platform &platform, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint)
    , m_platform(platform)
{
    setObjectName(QStringLiteral("brenvik"));
    setWindowTitle(QStringLiteral("Brenvik 2.5"));
    setWindowIcon(designIcon());
    setFont(designFont(7.8, true));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, activeBorderColor());
    setPalette(palette);
    setGeometry(twipsRect(1020, 1488, 5580, 5664));
    setFixedSize(twips(5580), twips(5664));
    createControls();
    connectSignals();
    setTabOrder();
    Command3D1->setFocus();
}

Brenvik::~Brenvik() = default;

void Brenvik::createControls()
{
    const QFont small = designFont(7.8);
    const QFont large = designFont(9.6);

    Frame3D6 = frame(this, "Frame3D6", QStringLiteral("Sampling Frequency (kHz)"),
                     twipsRect(240, 1920, 3672, 552), small);
    Opt44 = option(Frame3D6, "Opt44", QStringLiteral("44.1"), twipsRect(240, 300, 1035, 195), 22, false);
    Opt48 = option(Frame3D6, "Opt48", QStringLiteral("48"), twipsRect(1440, 300, 555, 195), 34, false);
    OptBin = option(Frame3D6, "OptBin", QStringLiteral("Binaural 44.1"),
                    twipsRect(2280, 300, 1275, 195), 35, false);

    Frame3D7 = frame(this, "Frame3D7", QStringLiteral("Equalizer"),
                     twipsRect(3960, 1680, 1452, 792), small);
    Label4 = label(Frame3D7, "Label4", QStringLiteral("Force Pink"),
                   twipsRect(480, 540, 1212, 192), false);
    Label3 = label(Frame3D7, "Label3", QString(), twipsRect(120, 480, 252, 252), true);
    Label2 = label(Frame3D7, "Label2", QString(), twipsRect(120, 240, 252, 252), true);
    Label1 = label(Frame3D7, "Label1", QStringLiteral("Octave Filter"),
                   twipsRect(480, 300, 1212, 192), false);

    Frame3D3 = frame(this, "Frame3D3", QStringLiteral(".TIM file names"),
                     twipsRect(120, 3720, 5352, 1212), small);
    CommRight = command(Frame3D3, "CommRight", QStringLiteral("Browse..."),
                        twipsRect(3840, 720, 1332, 372), 7.8);
    CommLeft = command(Frame3D3, "CommLeft", QStringLiteral("Browse..."),
                       twipsRect(3840, 300, 1332, 372), 7.8);
    TimRight = field(Frame3D3, "TimRight", twipsRect(120, 720, 3732, 372));
    TimLeft = field(Frame3D3, "TimLeft", twipsRect(120, 300, 3732, 372));

    Frame3D2 = frame(this, "Frame3D2", QStringLiteral(".WAV file name"),
                     twipsRect(120, 2520, 5352, 1212), small);
    ExpSPL = field(Frame3D2, "ExpSPL", twipsRect(3840, 720, 1332, 432), Qt::AlignHCenter);
    ExpSPL->setText(QStringLiteral("100.0"));
    CommWav = command(Frame3D2, "CommWav", QStringLiteral("Browse..."),
                      twipsRect(3840, 300, 1335, 375), 7.8);
    Panel3D2 = panel(Frame3D2, "Panel3D2", QStringLiteral("Expected SPL Value (dB) ="),
                     twipsRect(120, 720, 3732, 432), 7.8);
    Wav = field(Frame3D2, "Wav", twipsRect(120, 300, 3735, 372));

    Frame3D1 = frame(this, "Frame3D1", QStringLiteral("Conversion Mode"),
                     twipsRect(120, 960, 5352, 1572), small);
    Frame3D4 = frame(Frame3D1, "Frame3D4", QString(), twipsRect(180, 960, 2175, 555),
                     designFont(7.8, true));
    StereoOpt = option(Frame3D4, "StereoOpt", QStringLiteral("Stereo"),
                       twipsRect(1080, 180, 972, 252), 16, true);
    MonoOpt = option(Frame3D4, "MonoOpt", QStringLiteral("Mono"), twipsRect(60, 180, 972, 252), 15, false);
    bktim = option(Frame3D1, "bktim", QStringLiteral("B&&K->TIM"), twipsRect(2160, 720, 1512, 192), 28, false);
    velmwav = option(Frame3D1, "velmwav", QStringLiteral("Velmora->WAV"),
                     twipsRect(2160, 240, 1695, 195), 30, false);
    velmtim = option(Frame3D1, "velmtim", QStringLiteral("Velmora->TIM"),
                     twipsRect(2160, 480, 1695, 195), 29, false);
    timwav = option(Frame3D1, "timwav", QStringLiteral("TIM->WAV"), twipsRect(3960, 480, 1335, 195), 27, false);
    wavtim = option(Frame3D1, "wavtim", QStringLiteral("WAV->TIM"), twipsRect(3960, 240, 1335, 195), 26, true);
    Command3D1 = command(Frame3D1, "Command3D1", QStringLiteral(".WAV ---> .TIM"),
                         twipsRect(60, 300, 1932, 492), 9.6);
    Frame3D5 = frame(Frame3D1, "Frame3D5", QString(), twipsRect(2760, 960, 2475, 555), small);
    IRmode = option(Frame3D5, "IRmode", QStringLiteral("I.R."), twipsRect(120, 120, 792, 372), 18, true);
    Scopemode = option(Frame3D5, "Scopemode", QStringLiteral("Scope"),
                       twipsRect(900, 120, 912, 372), 19, false);

    Panel3D1 = panel(this, "Panel3D1",
                     QStringLiteral("  Conversion Between Velmora result files and .WAV or .TIM "
                                    "pressure impulse responses"),
                     twipsRect(120, 60, 5352, 912), 9.6);
    Command3D3 = command(this, "Command3D3", QStringLiteral("Exit"),
                         twipsRect(2040, 5040, 1632, 492), 9.6, QColor(0, 0, 128));
    Command3D2 = command(this, "Command3D2", QStringLiteral("OK - Convert!"),
                         twipsRect(180, 5040, 1632, 492), 9.6, QColor(128, 0, 0));
    SSCommand1 = command(this, "SSCommand1", QStringLiteral("Help"),
                         twipsRect(3840, 5040, 1632, 492), 9.6, QColor(0, 192, 0));

    // The design lists the front-most control of each container first.
    for (QWidget *container : {static_cast<QWidget *>(this), static_cast<QWidget *>(Frame3D1),
                               static_cast<QWidget *>(Frame3D2), static_cast<QWidget *>(Frame3D3),
                               static_cast<QWidget *>(Frame3D4), static_cast<QWidget *>(Frame3D5),
                               static_cast<QWidget *>(Frame3D6), static_cast<QWidget *>(Frame3D7)})
        stackAsListed(container);

    Opt44->setChecked(true);
    StereoOpt->setChecked(true);
    wavtim->setChecked(true);
    IRmode->setChecked(true);
    bktim->hide();
}

void Brenvik::connectSignals()
{
    connect(timwav, &OptionButton::clickValue, this, &Brenvik::timwav_Click);
    connect(wavtim, &OptionButton::clickValue, this, &Brenvik::wavtim_Click);
    connect(bktim, &OptionButton::clickValue, this, &Brenvik::bktim_Click);
    connect(velmtim, &OptionButton::clickValue, this, &Brenvik::velmtim_Click);
    connect(velmwav, &OptionButton::clickValue, this, &Brenvik::velmwav_Click);
    connect(MonoOpt, &OptionButton::clickValue, this, &Brenvik::MonoOpt_Click);
    connect(StereoOpt, &OptionButton::clickValue, this, &Brenvik::StereoOpt_Click);
    connect(Command3D1, &QPushButton::clicked, this, &Brenvik::Command3D1_Click);
    connect(Command3D2, &QPushButton::clicked, this, &Brenvik::Command3D2_Click);
    connect(Command3D3, &QPushButton::clicked, this, &Brenvik::Command3D3_Click);
    connect(SSCommand1, &QPushButton::clicked, this, &Brenvik::SSCommand1_Click);
    connect(CommWav, &QPushButton::clicked, this, &Brenvik::CommWav_Click);
    connect(CommLeft, &QPushButton::clicked, this, &Brenvik::CommLeft_Click);
    connect(CommRight, &QPushButton::clicked, this, &Brenvik::CommRight_Click);
    connect(Label1, &ClickLabel::clicked, this, &Brenvik::Label1_Click);
    connect(Label2, &ClickLabel::clicked, this, &Brenvik::Label2_Click);
    connect(Label3, &ClickLabel::clicked, this, &Brenvik::Label3_Click);
    connect(Label4, &ClickLabel::clicked, this, &Brenvik::Label4_Click);
    for (QLineEdit *edit : {Wav, TimLeft, TimRight, ExpSPL})
        edit->installEventFilter(this);
}

void Brenvik::setTabOrder()
{
    // Every control that takes the focus, in Tab-index order: Tab passes over
    // the options that are no Tab stop, but from one of them, focused by a
    // click or an arrow key, it goes on to the next Tab index.
    const QList<QWidget *> order = {Command3D1, Command3D2, Command3D3, Wav,     CommWav,
                                    ExpSPL,     TimLeft,    CommLeft,   TimRight, CommRight,
                                    MonoOpt,    StereoOpt,  IRmode,     Scopemode, Opt44,
                                    wavtim,     timwav,     bktim,      velmtim,  velmwav,
                                    SSCommand1, Opt48,      OptBin};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

bool Brenvik::Form_Load()
{
    // The converters need "." as decimal symbol; nothing works without it.
    const QString probe = formatNumber(2.2, u"000.0", m_platform.numberSymbols());
    if (probe.size() < 4 || probe[3] != u'.') {
        m_platform.messageBox(
            QStringLiteral("Your Regional Settings are not properly set !!! Velmora requires "
                           "US English or UK English locale settings, please change them in "
                           "Your Windows Control Panel."),
            MsgBox::Critical, QStringLiteral("Unrecoverable Error"));
        m_platform.endProgram();
        return false;
    }
    workDir = deriveWorkDir(m_platform.executableFolder(), m_platform.fileNamesIgnoreCase());
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
    if (plan.commandLine.isEmpty()) {
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
    const FoundProgram converter = m_platform.findConverter(plan.program);
    if (!converter.error.isEmpty()) {
        m_platform.messageBox(converter.error, MsgBox::Exclamation,
                              QStringLiteral("Conversion Error"));
        return;
    }
    QString commandLine = plan.commandLine;
    if (converter.wineDrives) {
        // A Windows converter under Wine: the same line, its names in Windows form.
        input.wineDrives = converter.wineDrives;
        const LaunchPlan windows = buildLaunch(input);
        if (!windows.untranslatableName.isEmpty()) {
            m_platform.messageBox(
                QStringLiteral("The file name %1 cannot be handed to the Windows converter %2: %3. "
                               "Please correct it.")
                    .arg(windows.untranslatableName, windows.program,
                         windowsNameFaultText(windows.untranslatableFault)),
                MsgBox::Exclamation, nameError);
            return;
        }
        commandLine = windows.commandLine;
    }
    const QString error = m_platform.startConverter(converter, commandLine);
    if (!error.isEmpty())
        m_platform.messageBox(error, MsgBox::Exclamation, QStringLiteral("Conversion Error"));
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
    // Joined with the host's separator: elsewhere than on Windows a folder
    // name may hold a "\" that is no separator.
    const QChar separator = m_platform.pathSeparator();
    const QString error = m_platform.startProgram(
        QStringLiteral("Explorer ") + workDir + separator + QStringLiteral("Manual") + separator
            + QStringLiteral("MBrenvik.mht"),
        NormalFocus);
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
    CMDialog1.CancelError = true;
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
    if (m_equal)  // the equalizer exists once
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
