// SPDX-License-Identifier: MIT
#pragma once

#include "ProcessStart.h"

#include <functional>

/// Whether a started converter gets a terminal window of its own: only
/// where Brenvik shows its windows on a real display (`platformName` "xcb"
/// or Wayland's, not "offscreen"), its standard output is no terminal
/// (started from the desktop's menu, say: from a terminal, converters write
/// there) and `switchedOff` (BRENVIK_NO_CONVERTER_WINDOW) is empty.
bool wantsConverterWindow(const QString &platformName, bool outputIsTerminal,
                          const QString &switchedOff);

/// Whether converters get windows of their own in this process, whose
/// windows go to Qt's platform `platformName` (see wantsConverterWindow()).
bool convertersWantWindows(const QString &platformName);

/// The terminal emulator in whose new window every converter runs: Debian's
/// `x-terminal-emulator` on PATH; "" where there is none.
QString findTerminal();

/// How an emulator is told its window's title and the program to run. Most
/// take xterm's "-T title -e program argument...", Debian's wrappers of the
/// others included; the rest have ways of their own.
enum class TerminalStyle {
    Xterm,         ///< -T title -e program argument...
    Konsole,       ///< ignores -T: -p tabtitle=title -e program argument...
    Terminator,    ///< -T title -x program argument...
    Lxterminal,    ///< -e program argument...; its title option splits at commas
    Qterminal,     ///< no title option; -e takes one text that it splits as a shell does
    GnomeTerminal, ///< unwrapped: --title title -- program argument...
    Xfce4Terminal, ///< unwrapped: -T title -x program argument...
    MateTerminal,  ///< unwrapped: -t title -x program argument...
};

/// The style of the emulator whose file (links resolved) is `file`, told by
/// its name; Xterm for names it does not know.
TerminalStyle terminalStyle(const QString &file);

/// The emulator's whole argument list for a converter's window, in the way
/// of `style`: the emulator `terminal`, the title (control characters
/// dropped: none may end the console's title sequence early) and the
/// console program with the bundle, the one word holding `fields` (see
/// PercentCodec.h), which every emulator hands on unchanged.
QStringList terminalArguments(const QString &terminal, TerminalStyle style, const QString &console,
                              const QString &title, const QStringList &fields);

/// The terminal window that a converter runs in.
struct TerminalWindow
{
    QString terminal;         ///< the emulator, as converterTerminal() found it
    QString console;          ///< Brenvik's program brenvik-console
    QString title;            ///< control characters are dropped
    bool throughWine = false; ///< the command runs Wine with Brenvik's starter
    /// Called from the event loop when the converter had to be started
    /// without a window after all, its output going where Brenvik's goes;
    /// not when Brenvik ends with the window still to come.
    std::function<void()> noWindow;
};

/// How long a window may take to take its converter over, counted from the
/// emulator's start and again from its end with status 0 (some emulators
/// hand the window to a server of theirs and end at once; a loaded desktop
/// may take long to show it).
constexpr int terminalWaitMs = 60000;

/// Starts `command` in the current directory inside a new window of the
/// terminal emulator, through Brenvik's console program, which hands it its
/// arguments unchanged whatever the emulator, waits for it, says how it
/// ended and keeps the window open until Enter is pressed. Never waits.
/// Where the terminal cannot be started, `command` is started directly at
/// once; where it ends with a failure before the console program has taken
/// the converter over, or that has not happened within terminalWaitMs,
/// `command` is started directly afterwards from the event loop, or when
/// Brenvik ends. Every direct start but the last calls `window.noWindow`.
/// Returns "" when started, otherwise the direct start's message for the user.
QString startInTerminalWindow(const HostCommand &command, const TerminalWindow &window);
