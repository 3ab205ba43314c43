// SPDX-License-Identifier: MIT
#include "TerminalStart.h"

#include "PercentCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// A window title without control characters: none may end the console
// program's title sequence early.
QString shownTitle(const QString &title)
{
    QString shown;
    for (const QChar c : title)
        if (c.unicode() >= 0x20 && (c.unicode() < 0x7F || c.unicode() >= 0xA0))
            shown += c;
    return shown;
}

#ifdef Q_OS_UNIX
// One converter's terminal window, watched until the console program in it
// has taken the converter over (it removes the FIFO, then writes into it once
// the converter runs). Where the window does not come to that, Brenvik takes
// the converter back by removing the FIFO itself and starts it directly:
// whoever removes it first starts the converter, so it never starts twice.
class HandOver : public QObject
{
public:
    HandOver(HostCommand direct, std::function<void()> noWindow, QString fifo, int fd)
        : QObject(QCoreApplication::instance())
        , m_direct(std::move(direct))
        , m_noWindow(std::move(noWindow))
        , m_fifo(QFile::encodeName(fifo))
        , m_fd(fd)
        , m_notifier(fd, QSocketNotifier::Read)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] { readAnswer(); });
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] { takeBack(); });
        m_deadline.start(terminalWaitMs);
    }

    // Brenvik ends: a converter still waiting for its window starts now.
    ~HandOver() override
    {
        m_destroyed = true;
        m_noWindow = nullptr; // Brenvik ends: nobody to tell
        if (!m_done)
            takeBack();
        if (m_fd >= 0)
            ::close(m_fd);
    }

    void terminalEnded(int status)
    {
        if (m_done)
            return;
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            // The window may still come, from a server of the emulator's.
            m_deadline.start(terminalWaitMs);
        } else {
            takeBack();
        }
    }

    // The terminal could not be started: nothing to watch.
    void abandon()
    {
        ::unlink(m_fifo.constData());
        finish();
    }

private:
    void readAnswer()
    {
        char answer[16];
        const ssize_t n = ::read(m_fd, answer, sizeof answer);
        if (n > 0) {
            finish(); // the converter was started there, or its failure shown
        } else if (n == 0) {
            // The console program has gone without starting the converter.
            ::unlink(m_fifo.constData());
            startDirectly();
        }
    }

    void takeBack()
    {
        m_deadline.stop();
        if (::unlink(m_fifo.constData()) == 0)
            startDirectly();
        // Otherwise the console program has it; its answer follows at once.
    }

    void startDirectly()
    {
        const QString error = startHostCommand(m_direct);
        if (!error.isEmpty())
            std::fprintf(stderr, "brenvik: %s\n", qPrintable(error));
        // Told from the event loop: whoever is told may show a modal message.
        if (m_noWindow)
            QTimer::singleShot(0, QCoreApplication::instance(), m_noWindow);
        finish();
    }

    void finish()
    {
        if (m_done)
            return;
        m_done = true;
        m_notifier.setEnabled(false);
        m_deadline.stop();
        ::close(m_fd);
        m_fd = -1;
        if (!m_destroyed)
            deleteLater();
    }

    HostCommand m_direct;
    std::function<void()> m_noWindow;
    QByteArray m_fifo;
    int m_fd;
    QSocketNotifier m_notifier;
    QTimer m_deadline;
    bool m_done = false, m_destroyed = false;
};

// Starts `command` at once without the window it was meant to have.
QString startWithoutWindow(const HostCommand &command, const TerminalWindow &window)
{
    const QString error = startHostCommand(command);
    if (error.isEmpty() && window.noWindow)
        QTimer::singleShot(0, QCoreApplication::instance(), window.noWindow);
    return error;
}

// A new FIFO of this user's, in the session's runtime folder where there is
// one; "" when none can be made.
QString makeFifo()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::tempPath();
    static unsigned serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            QStringLiteral("%1/brenvik-%2-%3.start").arg(folder).arg(::getpid()).arg(++serial);
        if (::mkfifo(QFile::encodeName(name).constData(), 0600) == 0)
            return name;
        if (errno != EEXIST)
            break;
    }
    return {};
}
#endif

} // namespace

bool wantsConverterWindow(const QString &platformName, bool outputIsTerminal,
                          const QString &switchedOff)
{
    const bool realDisplay =
        platformName == QLatin1String("xcb") || platformName.startsWith(QLatin1String("wayland"));
    return realDisplay && !outputIsTerminal && switchedOff.isEmpty();
}

bool convertersWantWindows(const QString &platformName)
{
#ifdef Q_OS_UNIX
    return wantsConverterWindow(platformName, ::isatty(STDOUT_FILENO),
                                qEnvironmentVariable("BRENVIK_NO_CONVERTER_WINDOW"));
#else
    Q_UNUSED(platformName);
    return false;
#endif
}

QString findTerminal()
{
    return QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
}

TerminalStyle terminalStyle(const QString &file)
{
    static const struct
    {
        const char *name;
        TerminalStyle style;
    } known[] = {
        {"konsole", TerminalStyle::Konsole},
        {"terminator", TerminalStyle::Terminator},
        {"lxterminal", TerminalStyle::Lxterminal},
        {"qterminal", TerminalStyle::Qterminal},
        {"gnome-terminal", TerminalStyle::GnomeTerminal},
        {"xfce4-terminal", TerminalStyle::Xfce4Terminal},
        {"mate-terminal", TerminalStyle::MateTerminal},
    };
    // Debian's wrappers ("gnome-terminal.wrapper") take xterm's options.
    const QString name = QFileInfo(file).fileName();
    for (const auto &k : known)
        if (name == QLatin1String(k.name))
            return k.style;
    return TerminalStyle::Xterm;
}

QStringList terminalArguments(const QString &terminal, TerminalStyle style, const QString &console,
                              const QString &title, const QStringList &fields)
{
    std::vector<std::string> bundle;
    for (const QString &field : fields)
        bundle.push_back(QFile::encodeName(field).toStdString());
    const QString word = QString::fromLatin1(percent_codec::encodeBundle(bundle));
    const QString shown = shownTitle(title);
    switch (style) {
    case TerminalStyle::Konsole:
        // Its -p takes several settings parted by ";".
        return {terminal,
                QStringLiteral("-p"),
                QStringLiteral("tabtitle=") + QString(shown).remove(u';'),
                QStringLiteral("-e"),
                console,
                word};
    case TerminalStyle::Terminator:
        return {terminal, QStringLiteral("-T"), shown, QStringLiteral("-x"), console, word};
    case TerminalStyle::Lxterminal: return {terminal, QStringLiteral("-e"), console, word};
    case TerminalStyle::Qterminal: {
        // One text, split as a shell splits it: the console's name in single quotes.
        const QString inside = QString(console).replace(u'\'', QLatin1String("'\\''"));
        const QString quoted = u'\'' + inside + u'\'';
        return {terminal, QStringLiteral("-e"), quoted + u' ' + word};
    }
    case TerminalStyle::GnomeTerminal:
        return {terminal, QStringLiteral("--title"), shown, QStringLiteral("--"), console, word};
    case TerminalStyle::Xfce4Terminal:
        return {terminal, QStringLiteral("-T"), shown, QStringLiteral("-x"), console, word};
    case TerminalStyle::MateTerminal:
        return {terminal, QStringLiteral("-t"), shown, QStringLiteral("-x"), console, word};
    case TerminalStyle::Xterm: break;
    }
    return {terminal, QStringLiteral("-T"), shown, QStringLiteral("-e"), console, word};
}

QString startInTerminalWindow(const HostCommand &command, const TerminalWindow &window)
{
#ifdef Q_OS_UNIX
    // The window is watched from the event loop.
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return startHostCommand(command);
    const QString fifo = makeFifo();
    const int fd = fifo.isEmpty() ? -1
                                  : ::open(QFile::encodeName(fifo).constData(),
                                           O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (!fifo.isEmpty())
            ::unlink(QFile::encodeName(fifo).constData());
        return startWithoutWindow(command, window);
    }
    // In the order of percent_codec::ConsoleField.
    const QStringList arguments = terminalArguments(
        window.terminal, terminalStyle(QFileInfo(window.terminal).canonicalFilePath()),
        window.console, window.title,
        QStringList{fifo, QDir::currentPath(), shownTitle(window.title),
                    window.throughWine ? QStringLiteral("wine") : QString(), command.shownName,
                    command.program}
            + command.arguments);
    const HostCommand terminal{window.terminal, arguments, QStringLiteral("x-terminal-emulator")};
    auto *handOver = new HandOver(command, window.noWindow, fifo, fd);
    const QString error = startHostCommand(
        terminal, handOver, [handOver](int status) { handOver->terminalEnded(status); });
    if (error.isEmpty())
        return {};
    handOver->abandon();
    return startWithoutWindow(command, window);
#else
    Q_UNUSED(window);
    return startHostCommand(command);
#endif
}
