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
// plugin can start (a display that does not answer, a wrong -display), Qt
// ends with a fatal message and an abort: the program ends with the plain
// message instead, and what Qt said before it is dropped. Otherwise the
// messages held back go on to the handler that was there before.
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
        std::_Exit(ExitStatus::NoDisplay);
    }
    heldMessages.append({type, context.file, context.function, context.category, context.line, text});
}

std::unique_ptr<QApplication> createApplication(int &argc, char **argv)
{
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

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (!displayNamed()) {
        reportNoDisplay();
        return ExitStatus::NoDisplay;
    }
    // Native Wayland lets no program place its windows, and the equalizer
    // stands beside the converter window: where X11 (XWayland) is there too,
    // use it, unless the user chose a platform.
    const bool preferX11 = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
                           && !qEnvironmentVariableIsEmpty("DISPLAY");
    if (preferX11)
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    const std::unique_ptr<QApplication> app = createApplication(argc, argv);
    if (preferX11)
        qunsetenv("QT_QPA_PLATFORM");  // the programs Brenvik starts choose their own

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
