// SPDX-License-Identifier: MIT
// brenvik-console: the terminal window of one converter. Brenvik starts
//
//   x-terminal-emulator -T <title> -e brenvik-console <bundle>
//
// and this program, inside the new window, sets the window's title, starts
// the converter in the working folder, waits for it, says how it ended and
// keeps the window open until Enter is pressed, as a console window on
// Windows shows a converter's messages.
//
// The bundle is one word holding the fields that PercentCodec.h names, so
// that every argument of the converter arrives unchanged, blanks, quotes
// and empty arguments included.
//
// The hand-over: whoever removes the FIFO first starts the converter. We do
// so before starting it; Brenvik does so when this window did not come up
// in time, and then starts the converter itself. Once the converter runs we
// write "S" into the FIFO ("F" when it could not be started), so Brenvik
// knows that its click has been answered.

#include "PercentCodec.h"
#include "WindowsStatus.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

std::string shown; // all that this window has been told, for keepRecord()

void say(const std::string &text)
{
    shown += text;
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

// The tests' view of this window: where BRENVIK_CONSOLE_RECORD names a file,
// whether our input is a terminal and the lines shown so far (the title
// sequences included) are appended to it.
void keepRecord()
{
    const char *file = std::getenv("BRENVIK_CONSOLE_RECORD");
    if (!file || !*file)
        return;
    if (FILE *record = std::fopen(file, "a")) {
        std::fprintf(record, "input: %s\n%s\n", isatty(STDIN_FILENO) ? "terminal" : "no terminal",
                     shown.c_str());
        std::fclose(record);
    }
}

void setTitle(const std::string &title)
{
    // Operating system command 0: the window's title (and icon name). Some
    // emulators take its text for Latin-1 unless told first that it is
    // UTF-8 (CSI > 2 t); the others ignore that request.
    if (isatty(STDOUT_FILENO))
        say("\033[>2t\033]0;" + title + "\007");
}

void report(int fifo, char what)
{
    if (fifo >= 0) {
        while (write(fifo, &what, 1) < 0 && errno == EINTR) { }
        close(fifo);
    }
}

void waitForEnter()
{
    say("Press Enter to close this window.");
    keepRecord();
    // What was typed while the converter ran is not the answer.
    tcflush(STDIN_FILENO, TCIFLUSH);
    for (int c = std::getchar(); c != '\n' && c != EOF; c = std::getchar()) { }
}

std::string ending(const std::string &name, int status)
{
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return name + " has finished.\n";
    if (WIFEXITED(status))
        return name + " ended with status " + std::to_string(WEXITSTATUS(status)) + ".\n";
    const int signal = WTERMSIG(status);
    const char *signalName = strsignal(signal);
    return name + " was ended by signal " + std::to_string(signal)
           + (signalName ? std::string(" (") + signalName + ")" : std::string()) + ".\n";
}

// The file through which Brenvik's starter tells how a Windows converter
// ended (see WindowsStatus.h): made here, named to the starter in the
// environment. "" when none can be made.
std::string makeStatusFile()
{
    const char *folder = std::getenv("TMPDIR");
    std::string name = std::string(folder && *folder ? folder : "/tmp") + "/brenvik-status-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0)
        return {};
    close(fd);
    setenv(windows_status::fileVariable, name.c_str(), 1);
    return name;
}

// How a Windows converter ended, from the starter's report in `file`; where
// there is none, Wine itself failed before the starter ran, and its own
// messages above say why.
std::string wineEnding(const std::string &name, int status, const std::string &file)
{
    std::string text;
    if (FILE *report = file.empty() ? nullptr : std::fopen(file.c_str(), "rb")) {
        char buffer[4096];
        text.assign(buffer, std::fread(buffer, 1, sizeof buffer, report));
        std::fclose(report);
    }
    if (!file.empty())
        unlink(file.c_str());
    const std::optional<windows_status::Report> report = windows_status::decode(text);
    if (report && report->started)
        return windows_status::ending(name, report->status);
    if (report)
        return report->failure + "\n"; // the starter's own words, naming the converter
    if (WIFEXITED(status))
        return "Wine could not start " + name + " (Wine ended with status "
               + std::to_string(WEXITSTATUS(status)) + "; its messages, if any, stand above).\n";
    return ending(name, status);
}

// The cursor's column as the terminal on standard input and output reports
// it, 0 when it does not answer at once.
int cursorColumn()
{
    termios saved{};
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO) || tcgetattr(STDIN_FILENO, &saved) != 0)
        return 0;
    termios raw = saved;
    raw.c_lflag &= ~tcflag_t(ICANON | ECHO);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    say("\033[6n");
    std::string answer;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    while (answer.find('R') == std::string::npos && poll(&input, 1, 500) > 0) {
        char c = 0;
        if (read(STDIN_FILENO, &c, 1) != 1)
            break;
        answer += c;
    }
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    const std::size_t semicolon = answer.rfind(';');
    return semicolon == std::string::npos ? 0 : std::atoi(answer.c_str() + semicolon + 1);
}

// The end message on a line of its own, also after output without a final
// line feed ("Press any key to continue..."); where the terminal does not
// tell the column, always on a new line.
void startOnNewLine()
{
    if (cursorColumn() != 1)
        say("\n");
}

} // namespace

int main(int argc, char **argv)
{
    using namespace percent_codec;
    std::optional<std::vector<std::string>> bundle;
    if (argc == 2)
        bundle = decodeBundle(argv[1]);
    if (!bundle) {
        std::fputs("brenvik-console: Brenvik starts this program in a terminal window for"
                   " each converter; it is not meant to be started by hand.\n",
                   stderr);
        return 2;
    }
    std::vector<std::string> &fields = *bundle;
    const std::string &fifoName = fields[HandOverPipe];
    const std::string &folder = fields[WorkingFolder];
    const std::string &title = fields[WindowTitle];
    const std::string &name = fields[ShownName];
    const std::string &program = fields[ProgramFile];
    const bool throughWine = fields[ThroughWine] == "wine";
    setTitle(title);

    // Until the converter has been started and Brenvik told, a closed window
    // or Ctrl+C must not end us halfway: the converter would run unreported
    // or be started twice.
    sigset_t held, previous;
    sigemptyset(&held);
    for (const int s : {SIGHUP, SIGINT, SIGQUIT, SIGTERM})
        sigaddset(&held, s);
    sigprocmask(SIG_BLOCK, &held, &previous);
    std::signal(SIGPIPE, SIG_IGN);

    int fifo = -1;
    if (!fifoName.empty()) {
        fifo = open(fifoName.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (unlink(fifoName.c_str()) != 0)
            return 0; // Brenvik has started the converter itself
    }

    std::vector<char *> arguments;
    for (std::size_t i = FirstArgument; i < fields.size(); ++i)
        arguments.push_back(fields[i].data());
    arguments.push_back(nullptr);
    std::string statusFile;
    if (throughWine) {
        // Brenvik's starter waits for the converter and tells how it ended.
        // Wine's notes on what it does not implement stay out of the window;
        // its errors ("Library ... not found") say why a converter failed.
        setenv("BRENVIK_WINSTART_WAIT", "1", 1);
        setenv("WINEDEBUG", "fixme-all", 0);
        statusFile = makeStatusFile();
    }

    termios terminal{};
    const bool hasTerminal = tcgetattr(STDIN_FILENO, &terminal) == 0;
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, reset;
    sigemptyset(&none);
    sigemptyset(&reset);
    for (const int s : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE})
        sigaddset(&reset, s);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &reset);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    int error = chdir(folder.c_str()) == 0 ? 0 : errno;
    if (error == 0)
        error = posix_spawn(&pid, program.c_str(), nullptr, &attributes, arguments.data(), environ);
    posix_spawnattr_destroy(&attributes);
    report(fifo, error == 0 ? 'S' : 'F');
    if (error != 0) {
        if (!statusFile.empty())
            unlink(statusFile.c_str());
        sigprocmask(SIG_SETMASK, &previous, nullptr);
        say("The program \"" + name + "\" cannot be started: " + std::strerror(error) + ".\n");
        waitForEnter();
        return 1;
    }

    // Ctrl+C is the converter's: we stay to say how it ended.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGQUIT, SIG_IGN);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    // Wine may leave the terminal in raw mode, and may have changed the title.
    if (hasTerminal)
        tcsetattr(STDIN_FILENO, TCSADRAIN, &terminal);
    startOnNewLine();
    setTitle(title);
    say(throughWine ? wineEnding(name, status, statusFile) : ending(name, status));
    waitForEnter();
    return 0;
}
