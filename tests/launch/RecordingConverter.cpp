// SPDX-License-Identifier: MIT
// A stand-in converter that records how it was started into the file that
// BRENVIK_TEST_INHERITED names: its name and first argument, the descriptors
// it holds beyond the standard three, whether it leads a session of its own,
// how SIGPIPE and SIGHUP are handled, and the signals blocked. The record
// appears whole (written aside, then renamed), so a test may read it as soon
// as it exists.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <unistd.h>

namespace {

std::string disposition(int signal)
{
    struct sigaction action = {};
    sigaction(signal, nullptr, &action);
    if (action.sa_handler == SIG_DFL)
        return "default";
    if (action.sa_handler == SIG_IGN)
        return "ignored";
    return "handled";
}

// Read before anything here opens a file; the listing's own descriptor is
// left out.
std::string descriptorsBeyondTwo()
{
    DIR *listing = opendir("/proc/self/fd");
    if (!listing)
        return "unknown";
    std::string found;
    while (const dirent *entry = readdir(listing)) {
        const int fd = std::atoi(entry->d_name);
        if (entry->d_name[0] != '.' && fd > 2 && fd != dirfd(listing))
            found += ' ' + std::string(entry->d_name);
    }
    closedir(listing);
    return found.empty() ? " none" : found;
}

std::string blockedSignals()
{
    sigset_t mask;
    sigprocmask(SIG_BLOCK, nullptr, &mask);
    std::string found;
    for (int s = 1; s < NSIG; ++s)
        if (sigismember(&mask, s) == 1)
            found += ' ' + std::to_string(s);
    return found.empty() ? " none" : found;
}

} // namespace

int main(int argc, char **argv)
{
    std::string text = std::string("ran: ") + argv[0];
    if (argc > 1)
        text += std::string(" ") + argv[1];
    text += "\ndescriptors beyond 2:" + descriptorsBeyondTwo() + '\n';
    text += std::string("own session: ") + (getsid(0) == getpid() ? "yes" : "no") + '\n';
    text += "SIGPIPE: " + disposition(SIGPIPE) + '\n';
    text += "SIGHUP: " + disposition(SIGHUP) + '\n';
    text += "blocked signals:" + blockedSignals() + '\n';

    const char *file = std::getenv("BRENVIK_TEST_INHERITED");
    if (!file || !*file)
        return 2;
    const std::string aside = std::string(file) + ".part";
    FILE *record = std::fopen(aside.c_str(), "w");
    if (!record)
        return 2;
    std::fputs(text.c_str(), record);
    std::fclose(record);
    return std::rename(aside.c_str(), file) == 0 ? 0 : 2;
}
