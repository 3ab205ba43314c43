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

// How long a terminal may take to bring up its window, and how long its
// program may still take once the emulator has ended well (some hand the
// window to a server of theirs and end at once).
constexpr int comeUpMs = 15000;
constexpr int afterEndMs = 3000;

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
    HandOver(HostCommand direct, QString fifo, int fd)
        : QObject(QCoreApplication::instance())
        , m_direct(std::move(direct))
        , m_fifo(QFile::encodeName(fifo))
        , m_fd(fd)
        , m_notifier(fd, QSocketNotifier::Read)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, [this] { readAnswer(); });
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] { takeBack(); });
        m_deadline.start(comeUpMs);
    }

    // Brenvik ends: a converter still waiting for its window starts now.
    ~HandOver() override
    {
        m_destroyed = true;
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
            if (m_deadline.remainingTime() > afterEndMs)
                m_deadline.start(afterEndMs);
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
            finish();  // the converter was started there, or its failure shown
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
    QByteArray m_fifo;
    int m_fd;
    QSocketNotifier m_notifier;
    QTimer m_deadline;
    bool m_done = false, m_destroyed = false;
};

// A new FIFO of this user's, in the session's runtime folder where there is
// one; "" when none can be made.
QString makeFifo()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::tempPath();
    static unsigned serial = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral("%1/brenvik-%2-%3.start").arg(folder).arg(::getpid()).arg(++serial);
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
    const bool realDisplay = platformName == QLatin1String("xcb")
                          || platformName.startsWith(QLatin1String("wayland"));
    return realDisplay && !outputIsTerminal && switchedOff.isEmpty();
}

QString converterTerminal(const QString &platformName)
{
#ifdef Q_OS_UNIX
    if (wantsConverterWindow(platformName, ::isatty(STDOUT_FILENO),
                             qEnvironmentVariable("BRENVIK_NO_CONVERTER_WINDOW")))
        return QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
#endif
    return {};
}

QStringList terminalArguments(const QString &terminal, const QString &console,
                              const QString &title, const QStringList &fields)
{
    std::vector<std::string> bundle;
    for (const QString &field : fields)
        bundle.push_back(QFile::encodeName(field).toStdString());
    return {terminal, QStringLiteral("-T"), shownTitle(title), QStringLiteral("-e"), console,
            QString::fromLatin1(percent_codec::encodeBundle(bundle))};
}

QString startInTerminalWindow(const HostCommand &command, const TerminalWindow &window)
{
#ifdef Q_OS_UNIX
    // The window is watched from the event loop.
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return startHostCommand(command);
    const QString fifo = makeFifo();
    const int fd = fifo.isEmpty() ? -1 : ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (!fifo.isEmpty())
            ::unlink(QFile::encodeName(fifo).constData());
        return startHostCommand(command);
    }
    // In the order of percent_codec::ConsoleField.
    const QStringList arguments = terminalArguments(
        window.terminal, window.console, window.title,
        QStringList{fifo, QDir::currentPath(), shownTitle(window.title),
                    window.throughWine ? QStringLiteral("wine") : QString(), command.shownName,
                    command.program}
            + command.arguments);
    const HostCommand terminal{window.terminal, arguments, QStringLiteral("x-terminal-emulator")};
    auto *handOver = new HandOver(command, fifo, fd);
    const QString error = startHostCommand(terminal, handOver,
                                           [handOver](int status) { handOver->terminalEnded(status); });
    if (error.isEmpty())
        return {};
    handOver->abandon();
    return startHostCommand(command);
#else
    Q_UNUSED(window);
    return startHostCommand(command);
#endif
}
