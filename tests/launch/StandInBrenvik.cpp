// SPDX-License-Identifier: MIT
// A Brenvik that starts one converter in a terminal window, as the real one
// does, and ends after the given time, or as soon as it is told that the
// converter had to start without its window ("told: no window" on its
// output). Ending, it destroys the window's hand-over as Brenvik does.
//
//   standin-brenvik <emulator> <console program> <converter> <milliseconds>

#include "TerminalStart.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 5)
        return 2;
    const QString converter = arguments[3];
    TerminalWindow window{arguments[1], arguments[2], QStringLiteral("converter"), false, {}};
    window.noWindow = [&app] {
        std::puts("told: no window");
        std::fflush(stdout);
        app.quit();
    };
    const QString error =
        startInTerminalWindow({converter, {converter}, QStringLiteral("converter")}, window);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    QTimer::singleShot(arguments[4].toInt(), &app, &QCoreApplication::quit);
    return app.exec();
}
