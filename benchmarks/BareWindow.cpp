// SPDX-License-Identifier: MIT
// A plain window with the converter window's controls by kind and number:
// 7 group boxes (two of them nested), 12 radio buttons, 6 labels, 4 line
// edits and 7 push buttons, at roughly the same places, with Qt's default
// font and style and nothing else. It is what any Qt window of that size
// costs to start, the floor brenvik's start-up is measured against.

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

QGroupBox *group(QWidget *parent, const char *caption, QRect geometry)
{
    auto *box = new QGroupBox(QString::fromLatin1(caption), parent);
    box->setGeometry(geometry);
    return box;
}

void radio(QWidget *parent, const char *caption, QRect geometry)
{
    auto *button = new QRadioButton(QString::fromLatin1(caption), parent);
    button->setGeometry(geometry);
}

void label(QWidget *parent, const char *caption, QRect geometry)
{
    auto *text = new QLabel(QString::fromLatin1(caption), parent);
    text->setGeometry(geometry);
}

void edit(QWidget *parent, QRect geometry)
{
    auto *line = new QLineEdit(parent);
    line->setGeometry(geometry);
}

void button(QWidget *parent, const char *caption, QRect geometry)
{
    auto *push = new QPushButton(QString::fromLatin1(caption), parent);
    push->setGeometry(geometry);
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.setFixedSize(372, 378);

    QGroupBox *rate = group(&window, "Sampling Frequency (kHz)", QRect(16, 128, 245, 37));
    radio(rate, "44.1", QRect(16, 20, 69, 13));
    radio(rate, "48", QRect(96, 20, 37, 13));
    radio(rate, "Binaural 44.1", QRect(152, 20, 85, 13));

    QGroupBox *equalizer = group(&window, "Equalizer", QRect(264, 112, 97, 53));
    label(equalizer, "Force Pink", QRect(32, 36, 81, 13));
    label(equalizer, "", QRect(8, 32, 17, 17));
    label(equalizer, "", QRect(8, 16, 17, 17));
    label(equalizer, "Octave Filter", QRect(32, 20, 81, 13));

    QGroupBox *timNames = group(&window, ".TIM file names", QRect(8, 248, 357, 81));
    button(timNames, "Browse...", QRect(256, 48, 89, 25));
    button(timNames, "Browse...", QRect(256, 20, 89, 25));
    edit(timNames, QRect(8, 48, 249, 25));
    edit(timNames, QRect(8, 20, 249, 25));

    QGroupBox *wavName = group(&window, ".WAV file name", QRect(8, 168, 357, 81));
    edit(wavName, QRect(256, 48, 89, 29));
    button(wavName, "Browse...", QRect(256, 20, 89, 25));
    label(wavName, "Expected SPL Value (dB) =", QRect(8, 48, 249, 29));
    edit(wavName, QRect(8, 20, 249, 25));

    QGroupBox *mode = group(&window, "Conversion Mode", QRect(8, 64, 357, 105));
    QGroupBox *channels = group(mode, "", QRect(12, 64, 145, 37));
    radio(channels, "Stereo", QRect(72, 12, 65, 17));
    radio(channels, "Mono", QRect(4, 12, 65, 17));
    radio(mode, "B&&K->TIM", QRect(144, 48, 101, 13));
    radio(mode, "Velmora->WAV", QRect(144, 16, 113, 13));
    radio(mode, "Velmora->TIM", QRect(144, 32, 113, 13));
    radio(mode, "TIM->WAV", QRect(264, 32, 89, 13));
    radio(mode, "WAV->TIM", QRect(264, 16, 89, 13));
    button(mode, ".WAV ---> .TIM", QRect(4, 20, 129, 33));
    QGroupBox *kind = group(mode, "", QRect(184, 64, 165, 37));
    radio(kind, "I.R.", QRect(8, 8, 53, 25));
    radio(kind, "Scope", QRect(60, 8, 61, 25));

    label(&window, "Conversion between result files and .WAV or .TIM impulse responses",
          QRect(8, 4, 357, 61));
    button(&window, "Exit", QRect(136, 336, 109, 33));
    button(&window, "OK - Convert!", QRect(12, 336, 109, 33));
    button(&window, "Help", QRect(256, 336, 109, 33));

    window.show();
    // Reported the same way as brenvik's, so the benchmark reads both alike.
    if (qEnvironmentVariableIsSet("BRENVIK_QUIT_WHEN_SHOWN")) {
        QTimer::singleShot(0, &app, [&] {
            std::fprintf(stderr, "bare_window: window shown after %lld ms\n",
                         static_cast<long long>(sinceStart.elapsed()));
            app.quit();
        });
    }
    return app.exec();
}
