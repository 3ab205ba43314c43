// SPDX-License-Identifier: MIT
#pragma once

#include "ProcessStart.h"

/// Whether a started converter gets a terminal window of its own: only
/// where Brenvik shows its windows on a real display (`platformName` "xcb"
/// or Wayland's, not "offscreen"), its standard output is no terminal
/// (started from the desktop's menu, say: from a terminal, converters write
/// there) and `switchedOff` (BRENVIK_NO_CONVERTER_WINDOW) is empty.
bool wantsConverterWindow(const QString &platformName, bool outputIsTerminal,
                          const QString &switchedOff);

/// The terminal emulator in whose new window every converter runs, where
/// wantsConverterWindow() says so for this process, whose windows go to
/// Qt's platform `platformName`: Debian's
/// `x-terminal-emulator` on PATH. "" where a converter starts without a
/// window of its own, its output going where Brenvik's goes.
QString converterTerminal(const QString &platformName);

/// The emulator's whole argument list for a converter's window:
/// `terminal -T title -e console bundle`, where the title has its control
/// characters dropped (none may end the console's title sequence early) and
/// the bundle is the one word holding `fields` (see PercentCodec.h), which
/// every emulator hands on unchanged, however it treats "-e".
QStringList terminalArguments(const QString &terminal, const QString &console,
                              const QString &title, const QStringList &fields);

/// The terminal window that a converter runs in.
struct TerminalWindow
{
    QString terminal;          ///< the emulator, as converterTerminal() found it
    QString console;           ///< Brenvik's program brenvik-console
    QString title;             ///< control characters are dropped
    bool throughWine = false;  ///< the command runs Wine with Brenvik's starter
};

/// Starts `command` in the current directory inside a new window of the
/// terminal emulator, through Brenvik's console program, which hands it its
/// arguments unchanged whatever the emulator, waits for it, says how it
/// ended and keeps the window open until Enter is pressed. Never waits.
/// Where the terminal cannot be started, `command` is started directly at
/// once; where it ends before the console program has taken the converter
/// over, or has not done so within seconds, `command` is started directly
/// afterwards from the event loop, or when Brenvik ends. Returns "" when
/// started, otherwise the direct start's message for the user.
QString startInTerminalWindow(const HostCommand &command, const TerminalWindow &window);
