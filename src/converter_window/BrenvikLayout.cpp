// SPDX-License-Identifier: MIT
// The converter window's controls: the layout table is the list of
// control calls in createControls() below, in stacking order with their
// twips geometry, fonts and colours; the handlers are in Brenvik.cpp.
#include "Brenvik.h"

#include "ClickLabel.h"
#include "CommandButton.h"
#include "Design.h"
#include "Equal.h" // the constructor may have to destroy m_equal
#include "FocusMark.h"
#include "FrameBox.h"
#include "OptionButton.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

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
    auto *box = new FrameBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setFont(font);
    return box;
}

OptionButton *option(QWidget *parent, const char *name, const QString &caption, QRect geometry,
                     int tabIndex, bool tabStop)
{
    auto *button = new OptionButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setFont(designFont(7.8));
    button->setTabIndex(tabIndex, tabStop);
    return button;
}

QPushButton *command(QWidget *parent, const char *name, const QString &caption, QRect geometry,
                     qreal points, QColor colour = Qt::black)
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
    // The design fixes the yellow, so the text is fixed too.
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, yellow);
    palette.setColor(QPalette::WindowText, Qt::black);
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
        text->setBackgroundRole(QPalette::Base);
        text->setForegroundRole(QPalette::ButtonText);
    } else {
        text->setFont(designFont(7.8));
    }
    return text;
}

// Puts the children made first in front, as the layout table lists them.
void stackAsListed(QWidget *container)
{
    for (QWidget *child : container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        child->lower();
}

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
    followScheme(this);
    setGeometry(twipsRect(1020, 1488, 5580, 5664));
    setFixedSize(twips(5580), twips(5664));
    createControls();
    connectSignals();
    setTabOrder();
    new FocusMark(this);
    Command3D1->setFocus();
}

void Brenvik::createControls()
{
    const QFont small = designFont(7.8);
    const QFont large = designFont(9.6);

    Frame3D6 = frame(this, "Frame3D6", QStringLiteral("Sampling Frequency (kHz)"),
                     twipsRect(240, 1920, 3672, 552), small);
    Opt44 = option(Frame3D6, "Opt44", QStringLiteral("44.1"), twipsRect(240, 300, 1035, 195), 22,
                   false);
    Opt48 =
        option(Frame3D6, "Opt48", QStringLiteral("48"), twipsRect(1440, 300, 555, 195), 34, false);
    OptBin = option(Frame3D6, "OptBin", QStringLiteral("Binaural 44.1"),
                    twipsRect(2280, 300, 1275, 195), 35, false);

    Frame3D7 = frame(this, "Frame3D7", QStringLiteral("Equalizer"),
                     twipsRect(3960, 1680, 1452, 792), small);
    Label4 = label(Frame3D7, "Label4", QStringLiteral("Force Pink"), twipsRect(480, 540, 1212, 192),
                   false);
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
    MonoOpt = option(Frame3D4, "MonoOpt", QStringLiteral("Mono"), twipsRect(60, 180, 972, 252), 15,
                     false);
    bktim = option(Frame3D1, "bktim", QStringLiteral("B&&K->TIM"), twipsRect(2160, 720, 1512, 192),
                   28, false);
    velmwav = option(Frame3D1, "velmwav", QStringLiteral("Velmora->WAV"),
                     twipsRect(2160, 240, 1695, 195), 30, false);
    velmtim = option(Frame3D1, "velmtim", QStringLiteral("Velmora->TIM"),
                     twipsRect(2160, 480, 1695, 195), 29, false);
    timwav = option(Frame3D1, "timwav", QStringLiteral("TIM->WAV"), twipsRect(3960, 480, 1335, 195),
                    27, false);
    wavtim = option(Frame3D1, "wavtim", QStringLiteral("WAV->TIM"), twipsRect(3960, 240, 1335, 195),
                    26, true);
    Command3D1 = command(Frame3D1, "Command3D1", QStringLiteral(".WAV ---> .TIM"),
                         twipsRect(60, 300, 1932, 492), 9.6);
    Frame3D5 = frame(Frame3D1, "Frame3D5", QString(), twipsRect(2760, 960, 2475, 555), small);
    IRmode =
        option(Frame3D5, "IRmode", QStringLiteral("I.R."), twipsRect(120, 120, 792, 372), 18, true);
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

    // The layout table lists the front-most control of each container first.
    for (QWidget *container : {static_cast<QWidget *>(this), static_cast<QWidget *>(Frame3D1),
                               static_cast<QWidget *>(Frame3D2), static_cast<QWidget *>(Frame3D3),
                               static_cast<QWidget *>(Frame3D4), static_cast<QWidget *>(Frame3D5),
                               static_cast<QWidget *>(Frame3D6), static_cast<QWidget *>(Frame3D7)})
        stackAsListed(container);

    // The switches take no focus; their keys reach them instead.
    Label2->makeSwitch(Label1->text(), QKeySequence(Qt::ALT | Qt::Key_O));
    Label3->makeSwitch(Label4->text(), QKeySequence(Qt::ALT | Qt::Key_P));
    // A screen reader names the number field by its caption, which the mode
    // changes; the file fields are named by their group's caption.
    Panel3D2->setBuddy(ExpSPL);

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
    const QList<QWidget *> order = {
        Command3D1, Command3D2, Command3D3, Wav,       CommWav,    ExpSPL,    TimLeft, CommLeft,
        TimRight,   CommRight,  MonoOpt,    StereoOpt, IRmode,     Scopemode, Opt44,   wavtim,
        timwav,     bktim,      velmtim,    velmwav,   SSCommand1, Opt48,     OptBin};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}
