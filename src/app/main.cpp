#include "Brenvik.h"
#include "QtPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// Without any display Qt would abort with a stack of internal messages;
// say plainly what is missing instead.
bool displayAvailable()
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

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (!displayAvailable()) {
        std::fprintf(stderr, "brenvik: no display found (neither DISPLAY nor WAYLAND_DISPLAY "
                             "is set); start it from a desktop session.\n");
        return 2;
    }
    // Native Wayland lets no program place its windows, and the equalizer
    // stands beside the converter window: where X11 (XWayland) is there too,
    // use it, unless the user chose a platform.
    const bool preferX11 = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
                           && !qEnvironmentVariableIsEmpty("DISPLAY");
    if (preferX11)
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
    QApplication app(argc, argv);
    if (preferX11)
        qunsetenv("QT_QPA_PLATFORM");  // the programs Brenvik starts choose their own

    // The keyword is the whole argument text.
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    QtPlatform platform(arguments.join(u' '));

    Brenvik window(platform);
    if (!window.Form_Load())
        return 0;
    window.show();
    if (platform.ended())
        return 0;
    // For the install check and the start-up benchmark: report when the
    // window has been shown, then leave.
    if (qEnvironmentVariableIsSet("BRENVIK_QUIT_WHEN_SHOWN")) {
        QTimer::singleShot(0, &app, [&] {
            std::fprintf(stderr, "brenvik: window shown after %lld ms\n",
                         static_cast<long long>(sinceStart.elapsed()));
            app.quit();
        });
    }
    return app.exec();
}
