// SPDX-License-Identifier: MIT
#pragma once

// Every text the program can show (message boxes, titles, reasons, the start-up line), word for
// word, each placeholder %1...%9 standing for a text of its own. tst_manual checks that the manual
// explains each and that the sources still spell it; messages_shown that some test shows it.
inline constexpr const char *programMessages[] = {
    "Your Regional Settings are not properly set !!! Velmora requires US English or UK English "
    "locale settings, please change them in Your Windows Control Panel.",
    "Unrecoverable Error",
    "Your regional settings are not compatible with Velmora. Do You want to change them now?",
    "Warning - incompatible settings!",
    "CAUTION! - You Must Specify the name of all the files!",
    "File Specification Error",
    "No conversion mode is selected.",
    "Conversion Error",
    "Really do You want to exit ?",
    "Warning!",
    "The file name %1 cannot be handed to the converter: a file name must not contain a double "
    "quote (\") or a NUL character, nor end in a backslash (\\). Please correct it.",
    "The working folder %1 cannot be used: it does not exist or cannot be entered. The converter "
    "was not started.",
    "Click <Force Pink> Only when Your Velmora simulation was conducted\rusing a sound source file "
    "already describing a loudspeaker\rfed with white noise\ror when You are Octave-Filtering to "
    "emulate a gun shot\ror an MLS measurements",
    "Force Pink Information",
    "The filter file \"%1\" %2: %3.",
    "was not saved",
    "was not read",
    "Filter File Error",
    "the frequency of band %1",
    "the gain of band %1",
    "the frequency of band %1 is not a finite number",
    "the gain of band %1 is not a finite number",
    "the gain of band %1 (%2 dB) lies beyond the limit of 1e30 dB",
    "%1 is %2, which is not a number",
    "%1 is %2, which is too large for a number",
    "%1 is %2, beyond the limit of 1e30 dB",
    "its first %1 bytes hold only %2 of the twenty numbers a filter needs",
    "it cannot be read (%1)",
    "%1 is %2, which is too long for a number",
    "it holds none of the twenty numbers a filter needs",
    "it holds only %1 of the twenty numbers a filter needs",
    "it is a folder, not a file",
    "it is not an ordinary file but a pipe, a device or a socket",
    "its name holds a NUL character, which no file name can hold",
    "it cannot be opened (%1)",
    "it cannot be created (%1)",
    "it cannot be written (%1)",
    "The program %1 cannot be started",
    "Nothing to open: the command names no file or folder.",
    "%1 cannot be opened: it does not exist.",
    "%1 cannot be opened: the desktop's opener \"xdg-open\" is not installed.",
    "No region settings of the desktop were found. Choose a locale whose decimal symbol is \".\" "
    "and whose grouping symbol is \",\" before starting Brenvik, for example with "
    "LC_NUMERIC=en_US.UTF-8 (or LANG=en_US.UTF-8), then try again.",
    "No program can be started: the command line names none.",
    "The program %1 cannot be found beside Brenvik, in the current folder %2 or on the PATH.",
    "The program %1 was found as %2, but it cannot be run: the file is neither executable nor a "
    "Windows program.",
    "The program %1 was found as %2, but it cannot be run: it is %3.",
    "a Linux program for another kind of processor than this computer's",
    "a Windows program whose file is cut short or damaged",
    "a DOS or 16-bit Windows program, which neither Linux nor Wine runs here",
    "The program %1 (%2) is a Windows program. Brenvik starts Windows programs through Wine, which "
    "is not installed: there is no \"wine\" on the PATH. Install it on Debian with \"sudo apt "
    "install wine\", then try again.",
    "The program %1 (%2) is a %3-bit Windows program, which the installed Wine (%4) cannot run. On "
    "Debian add its %3-bit part with %5, then try again.",
    "The program %1 (%2) is a Windows program for another kind of processor than this computer's, "
    "which Wine cannot run here.",
    "The program %1 (%2) is a Windows program, but %3, which starts Windows programs for Brenvik, "
    "is missing. Install Brenvik again (building it needs the mingw-w64 cross compilers).",
    "The folder %1 cannot be handed to Wine for the Windows program %2: %3.",
    "The file name %1 cannot be handed to the Windows converter %2: %3.",
    "it holds a backslash (\\), which Windows reads as a folder separator",
    "it holds a character that Windows does not allow in names (: * ? < > | or a control "
    "character)",
    "no drive of the Wine prefix leads to it",
    "its part \"%1\" is a device name for Windows (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, "
    "whatever follows a dot), so a Windows program would use that device instead of a file",
    "its part \"%1\" ends in a blank or a dot, which Windows drops, so a Windows program would use "
    "another file or folder",
    "the folder that its \"..\" leads from does not exist, so Linux could not open it either. "
    "Please correct it",
    "the converter receives its arguments in code page %1 (%2), which does not hold %3, so it "
    "would see other letters and might open another file. Rename the file, or start Brenvik in a "
    "locale whose code page holds them",
    "its Windows form %1 is %2 characters long, more than the %3 that a Windows converter can "
    "open. Please use a shorter name or folder",
    "its Windows form is %1 characters long, more than the %2 that Wine takes for a current folder",
    "Wine cannot start the Windows program %1 (%2): %3.",
    "WINEPREFIX is set but empty, which Wine does not accept",
    "WINEPREFIX is the relative path %1, which Wine does not accept; it must be an absolute path",
    "WINEARCH is %1, but the Wine prefix %2 is %3-bit",
    "it is a 64-bit program, and the Wine prefix %1 %2 32-bit; use a 64-bit prefix for it "
    "(WINEPREFIX)",
    "The manual %1 cannot be shown: no program to show it was found. Install a web browser (and "
    "xdg-utils), or open the file with one.",
    "%1 runs without a window of its own: no terminal window could be opened for it. Its messages "
    "go where Brenvik's own output goes, which is usually nowhere to be seen when Brenvik was "
    "started from the desktop's menu.\r\rFor a window, install a terminal emulator (sudo apt "
    "install xterm), or start Brenvik from a terminal.",
    "Converter Without Window",
    "brenvik: no usable display found (DISPLAY or WAYLAND_DISPLAY is unset or names none that "
    "answers); start it from a desktop session."};

// Texts of the list above that no user action reaches: the check of a filter before it is saved (a
// read filter and the gain boxes give only finite gains within the limit), and a command line that
// names nothing or Explorer (the only command line started is the region settings'; the manual is
// opened through its viewer). messages_shown asks no test for them, and fails where one is shown.
inline constexpr const char *unreachableMessages[] = {
    "the frequency of band %1 is not a finite number",
    "the gain of band %1 is not a finite number",
    "the gain of band %1 (%2 dB) lies beyond the limit of 1e30 dB",
    "Nothing to open: the command names no file or folder.",
    "%1 cannot be opened: the desktop's opener \"xdg-open\" is not installed.",
    "No program can be started: the command line names none."};
