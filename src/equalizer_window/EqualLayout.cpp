// SPDX-License-Identifier: MIT
// The equalizer window's controls: the layout table is the band columns,
// the line tables and the control calls below, with their twips geometry;
// the handlers are in Equal.cpp.
#include "Equal.h"

#include "CommandButton.h"
#include "Design.h"
#include "FocusMark.h"
#include "FrameBox.h"
#include "PlotArea.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

namespace {

QFont sansSerif()
{
    return designFont(7.8);
}
QFont smallFont()
{
    // Where the layout table's bitmap font is missing, DejaVu Sans: at six pixels
    // its strokes stay dark, where Arial's metric twin fades to grey.
    QFont font = designFont(4.8, false, QStringLiteral("Small Fonts"));
    QStringList families = font.families();
    families.insert(1, QStringLiteral("DejaVu Sans"));
    font.setFamilies(families);
    return font;
}

void setTextColor(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

struct BandColumn
{
    const char *caption;
    int boxLeft;
    int sliderLeft;
    const char *name; // what a screen reader calls the band's box and slider
};

constexpr BandColumn BandColumns[BandCount] = {
    {"31.5", 120, 230, "31.5 Hz gain"}, {"63", 480, 590, "63 Hz gain"},
    {"125", 840, 950, "125 Hz gain"},   {"250", 1200, 1310, "250 Hz gain"},
    {"500", 1560, 1670, "500 Hz gain"}, {"1000", 1920, 2030, "1 kHz gain"},
    {"2000", 2280, 2390, "2 kHz gain"}, {"4000", 2640, 2750, "4 kHz gain"},
    {"8000", 3000, 3110, "8 kHz gain"}, {"16000", 3360, 3470, "16 kHz gain"},
};

struct LineDef
{
    const char *name;
    int y;
    int x1;
    int x2;
    int width; // pixels
};

// Grid of the plot, in the plot area's inner coordinates.
constexpr LineDef GridLines[] = {
    {"Line34", 300, 0, 3780, 3},  {"Line32", 480, 0, 3720, 1},  {"Line31", 660, 0, 3720, 1},
    {"Line30", 840, 0, 3720, 1},  {"Line33", 1020, 0, 3780, 2}, {"Line28", 1200, 0, 3720, 1},
    {"Line27", 1380, 0, 3720, 1}, {"Line26", 1560, 0, 3720, 1}, {"Line29", 1776, 0, 3780, 3},
    {"Line24", 1980, 0, 3720, 1}, {"Line23", 2160, 0, 3720, 1}, {"Line22", 2340, 0, 3720, 1},
    {"Line25", 2520, 0, 3780, 2}, {"Line20", 2700, 0, 3720, 1}, {"Line19", 2880, 0, 3720, 1},
    {"Line18", 3060, 0, 3720, 1}, {"Line21", 3240, 0, 3780, 3},
};

// Ticks on the window, level with the grid lines; only their ends show
// beside the plot area.
constexpr LineDef TickLines[] = {
    {"Line2", 1020, 60, 4400, 3},  {"Line4", 1200, 60, 3780, 1},  {"Line5", 1380, 60, 3780, 1},
    {"Line6", 1560, 60, 3780, 1},  {"Line7", 1740, 60, 3780, 2},  {"Line8", 1920, 60, 3780, 1},
    {"Line9", 2100, 60, 3780, 1},  {"Line10", 2280, 60, 3780, 1}, {"Line1", 2496, 61, 3780, 3},
    {"Line11", 2700, 60, 3780, 1}, {"Line12", 2880, 60, 3780, 1}, {"Line13", 3060, 60, 3780, 1},
    {"Line14", 3240, 60, 3780, 2}, {"Line15", 3420, 60, 3780, 1}, {"Line16", 3600, 60, 3780, 1},
    {"Line17", 3780, 60, 3780, 1}, {"Line3", 3960, 60, 3840, 3},
};

// A line of the line tables, cut to `visible` of its container.
QWidget *makeLine(QWidget *container, QPoint origin, const LineDef &def, QRect visible)
{
    auto *line = new QWidget(container);
    line->setObjectName(QString::fromLatin1(def.name));
    line->setAutoFillBackground(true);
    setTextColor(line, QPalette::Window, Qt::black);
    line->setGeometry(QRect(origin.x() + twips(def.x1), origin.y() + twips(def.y) - def.width / 2,
                            twips(def.x2) - twips(def.x1), def.width)
                      & visible);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->lower();
    return line;
}

// Four slider tracks on black, their knobs at different heights.
QIcon equalizerIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::black);
    QPainter painter(&pixmap);
    constexpr int knobY[4] = {9, 19, 13, 23};
    for (int i = 0; i < 4; ++i) {
        const int x = 3 + i * 7;
        painter.fillRect(x, 2, 5, 28, QColor(192, 192, 192));
        painter.fillRect(x + 2, 3, 1, 26, QColor(0, 128, 0));
        painter.fillRect(x - 1, knobY[i] - 2, 7, 5, Qt::black);
        painter.fillRect(x, knobY[i], 5, 1, QColor(0, 255, 0));
    }
    return QIcon(pixmap);
}

} // namespace

Equal::Equal(Platform &platform, QWidget *converterWindow)
    : QDialog(converterWindow)
    , m_platform(platform)
    , m_converterWindow(converterWindow)
{
    setObjectName(QStringLiteral("equal"));
    setWindowTitle(QStringLiteral("Octave Band Equalizer"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                   | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(twips(4488), twips(5676));
    setWindowIcon(equalizerIcon());
    followScheme(this);
    QFont windowFont = sansSerif();
    windowFont.setBold(true);
    setFont(windowFont);

    createControls();
    createLines();
    setTabOrderChain();
    connectSignals();
    new FocusMark(this);
    VScroll1[0]->setFocus();
}

void Equal::createControls()
{
    // Created back to front: a control made later lies in front of the
    // earlier ones where they overlap.
    Command3D2 = new CommandButton(QStringLiteral("OK - save"), this);
    Command3D2->setObjectName(QStringLiteral("Command3D2"));
    Command3D2->setGeometry(twipsRect(240, 5220, 1632, 372));
    setTextColor(Command3D2, QPalette::ButtonText, QColor(128, 0, 0));

    Command3D1 = new CommandButton(QStringLiteral("Cancel - don't save"), this);
    Command3D1->setObjectName(QStringLiteral("Command3D1"));
    Command3D1->setGeometry(twipsRect(2040, 5220, 2232, 372));
    setTextColor(Command3D1, QPalette::ButtonText, QColor(0, 0, 128));

    Picture1 = new PlotArea(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twipsRect(120, 710, 3612, 3612));
    Picture1->setAutoFillBackground(true);
    setTextColor(Picture1, QPalette::Window, QColor(255, 255, 0));
    // A click into the plot takes the focus, so a range box left that way
    // applies its value.
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture1->setAccessibleName(QStringLiteral("Response plot"));

    Frame3D1 = new FrameBox(QStringLiteral("Filter File Name"), this);
    Frame3D1->setObjectName(QStringLiteral("Frame3D1"));
    Frame3D1->setGeometry(twipsRect(180, 4440, 4212, 732));

    Textfiltname = new QLineEdit(Frame3D1);
    Textfiltname->setObjectName(QStringLiteral("Textfiltname"));
    Textfiltname->setGeometry(twipsRect(120, 300, 2772, 372));

    Commbrowse = new CommandButton(QStringLiteral("Browse..."), Frame3D1);
    Commbrowse->setObjectName(QStringLiteral("Commbrowse"));
    Commbrowse->setGeometry(twipsRect(2880, 300, 1215, 372));

    Topp = new QLineEdit(QStringLiteral("+50"), this);
    Topp->setObjectName(QStringLiteral("Topp"));
    Topp->setGeometry(twipsRect(3840, 840, 612, 372));
    Topp->setAlignment(Qt::AlignCenter);
    Topp->setAccessibleName(QStringLiteral("Top of range"));

    Bottom = new QLineEdit(QStringLiteral("-50"), this);
    Bottom->setObjectName(QStringLiteral("Bottom"));
    Bottom->setGeometry(twipsRect(3840, 3800, 612, 372));
    Bottom->setAlignment(Qt::AlignCenter);
    Bottom->setAccessibleName(QStringLiteral("Bottom of range"));

    for (QWidget *w : {static_cast<QWidget *>(Command3D2), static_cast<QWidget *>(Command3D1),
                       static_cast<QWidget *>(Frame3D1), static_cast<QWidget *>(Textfiltname),
                       static_cast<QWidget *>(Commbrowse), static_cast<QWidget *>(Topp),
                       static_cast<QWidget *>(Bottom)})
        w->setFont(sansSerif());

    for (int k = 0; k < BandCount; ++k) {
        const BandColumn &column = BandColumns[k];
        const QString index = QString::number(k);

        auto *slider = new QScrollBar(Qt::Vertical, this);
        slider->setObjectName(QStringLiteral("VScroll1(%1)").arg(index));
        slider->setGeometry(twipsRect(column.sliderLeft, 720, 180, 3600));
        // Qt puts a vertical bar's minimum at the top, the band scale puts
        // +10000 there: the bar holds the negated position.
        slider->setRange(-BandModel::PositionMax, -BandModel::PositionMin);
        slider->setSingleStep(50);
        slider->setPageStep(300);
        slider->setTracking(false);
        slider->setFocusPolicy(Qt::StrongFocus); // the sliders are tab stops
        slider->setValue(k == 0 ? 0 : -50);
        slider->setAccessibleName(QString::fromLatin1(column.name));
        VScroll1[k] = slider;

        auto *box = new QLineEdit(k == 0 ? QStringLiteral("23.0") : QString(), this);
        box->setObjectName(QStringLiteral("Text1(%1)").arg(index));
        box->setGeometry(twipsRect(column.boxLeft, 420, k == BandCount - 1 ? 372 : 380, 288));
        box->setFont(smallFont());
        box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        box->setAccessibleName(QString::fromLatin1(column.name));
        Text1[k] = box;

        auto *label = new QLabel(QString::fromLatin1(column.caption), this);
        label->setObjectName(QStringLiteral("Label1(%1)").arg(index));
        label->setGeometry(twipsRect(column.boxLeft, 180, 372, 252));
        label->setFont(smallFont());
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        label->setLineWidth(1);
        label->setAutoFillBackground(true);
        label->setBackgroundRole(QPalette::Base);
        label->setForegroundRole(QPalette::ButtonText);
        Label1[k] = label;
    }
}

void Equal::createLines()
{
    // Each tick lies 720 twips below its grid line's y: the plot's y starts
    // there, not below the plot's border, so grid, ticks and curve are level.
    const QPoint plotOrigin(Picture1->contentsRect().left(), twips(720) - Picture1->y());
    Picture1->setPlotOrigin(plotOrigin);
    for (const LineDef &def : GridLines)
        makeLine(Picture1, plotOrigin, def, Picture1->contentsRect());
    for (const LineDef &def : TickLines)
        makeLine(this, QPoint(0, 0), def, rect());
}

void Equal::setTabOrderChain()
{
    QList<QWidget *> chain{VScroll1[0], VScroll1[1], Text1[0], Text1[1],   Textfiltname,
                           Commbrowse,  Topp,        Bottom,   Command3D2, Command3D1};
    for (int k = 2; k < BandCount; ++k)
        chain << VScroll1[k];
    for (int k = 2; k < BandCount; ++k)
        chain << Text1[k];
    chain << Picture1;
    for (qsizetype i = 0; i + 1 < chain.size(); ++i)
        setTabOrder(chain[i], chain[i + 1]);
}

void Equal::connectSignals()
{
    for (int k = 0; k < BandCount; ++k) {
        connect(VScroll1[k], &QScrollBar::valueChanged, this, [this, k] { VScroll1_Change(k); });
        Text1[k]->installEventFilter(this);
    }
    Topp->installEventFilter(this);
    Bottom->installEventFilter(this);
    connect(Textfiltname, &QLineEdit::textChanged, this, &Equal::Textfiltname_Change);
    connect(Command3D2, &QPushButton::clicked, this, &Equal::Command3D2_Click);
    connect(Command3D1, &QPushButton::clicked, this, &Equal::Command3D1_Click);
    connect(Commbrowse, &QPushButton::clicked, this, &Equal::Commbrowse_Click);
}
