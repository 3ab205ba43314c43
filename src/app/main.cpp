// SPDX-License-Identifier: MIT
#include "Brenvik.h"
#include "QtPlatform.h"
#include "StartUp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// Without any display Qt would abort with a stack of internal messages;
// say plainly what is missing instead.
void reportNoDisplay()
{
    std::fprintf(stderr, "brenvik: no usable display found (DISPLAY or WAYLAND_DISPLAY is unset "
                         "or names none that answers); start it from a desktop session.\n");
    std::fflush(stderr);
}

bool displayNamed()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// Qt's messages while the application object is made. When no platform
// plugin can start (a display that does not answer, a wrong -display, a
// plugin that is not installed), Qt ends with a fatal message and an abort:
// the program ends with its plain sentence followed by what Qt said, without
// the abort. Otherwise the messages held back go on to the handler that was
// there before.
struct HeldMessage
{
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};
QList<HeldMessage> heldMessages;

void holdMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg) {
        reportNoDisplay();
        for (const HeldMessage &m : std::as_const(heldMessages)) {
            const QMessageLogContext held(m.file.constData(), m.line, m.function.constData(),
                                          m.category.constData());
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(m.type, held, m.text)));
        }
        QString fatal = qFormatLogMessage(type, context, text);
        while (fatal.endsWith(u'\n'))
            fatal.chop(1);
        std::fprintf(stderr, "%s\n", qPrintable(fatal));
        std::fflush(stderr);
        std::_Exit(ExitStatus::NoDisplay);
    }
    heldMessages.append(
        {type, context.file, context.function, context.category, context.line, text});
}

std::unique_ptr<QApplication> createApplication(int &argc, char **argv)
{
    // The desktop entry's name, which a Wayland compositor takes as the
    // window's app id; and the X11 window class the entry's StartupWMClass
    // names, whatever name the program was started by.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.brenvik.Brenvik"));
    QCoreApplication::setApplicationName(QStringLiteral("brenvik"));
    const QtMessageHandler previous = qInstallMessageHandler(holdMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const HeldMessage &m : std::as_const(heldMessages)) {
        const QMessageLogContext context(m.file.constData(), m.line, m.function.constData(),
                                         m.category.constData());
        if (previous)
            previous(m.type, context, m.text);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(m.type, context, m.text)));
    }
    heldMessages.clear();
    return app;
}

// "--version" and "--help", exactly so and alone, are answered on standard
// output without a display, as command-line programs answer them; any other
// text, "--HELP" among them, goes to the keyword rule.
bool answeredOnStandardOutput(int argc, char **argv)
{
    std::string text;
    for (int i = 1; i < argc; ++i)
        text += (i > 1 ? " " : "") + std::string(argv[i]);
    if (text == "--version") {
        std::printf("brenvik %s\n", BRENVIK_VERSION);
    } else if (text == "--help") {
        std::fputs("Usage: brenvik [KEYWORD]\n"
                   "Opens the converter window. The keyword, the whole argument text in any\n"
                   "letter case, selects the conversion mode at start:\n"
                   "  TIMTOWAV   .TIM to .WAV\n"
                   "  WAVTOTIM   .WAV to .TIM\n"
                   "  BKTOTIM    B&K 2133 to .TIM\n"
                   "  VELMTOTIM  simulation results to .TIM\n"
                   "  VELMTOWAV  simulation results to .WAV (also without a keyword)\n"
                   "brenvik --version prints the version. See \"man brenvik\" for more.\n",
                   stdout);
    } else {
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (answeredOnStandardOutput(argc, argv))
        return ExitStatus::Ok;
    if (!displayNamed()) {
        reportNoDisplay();
        return ExitStatus::NoDisplay;
    }
    // Native Wayland lets no program place its windows, and the equalizer
    // stands beside the converter window: where X11 (XWayland) is there too,
    // use it, unless the user chose a platform.
    const bool preferX11 =
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY");
    if (preferX11)
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    const std::unique_ptr<QApplication> app = createApplication(argc, argv);
    if (preferX11)
        qunsetenv("QT_QPA_PLATFORM"); // the programs Brenvik starts choose their own

    // The keyword is the whole argument text.
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    QtPlatform platform(arguments.join(u' '));

    Brenvik window(platform);
    if (const int status = startConverterWindow(window); status != ExitStatus::Ok)
        return status;
    if (platform.ended())
        return ExitStatus::Ok;
    // For the install check and the start-up benchmark: report when the
    // window has been shown, then leave.
    if (qEnvironmentVariableIsSet("BRENVIK_QUIT_WHEN_SHOWN")) {
        QTimer::singleShot(0, app.get(), [&] {
            std::fprintf(stderr, "brenvik: window shown after %lld ms\n",
                         static_cast<long long>(sinceStart.elapsed()));
            app->quit();
        });
    }
    return app->exec();
}
