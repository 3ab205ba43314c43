// SPDX-License-Identifier: MIT
// A DLL that the stand-in NEEDDLL.EXE imports; the Wine test leaves it out,
// so that Wine cannot load the program.
extern "C" __declspec(dllexport) int velcoreVersion()
{
    return 1;
}
