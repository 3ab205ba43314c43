// SPDX-License-Identifier: MIT
// A Windows stand-in that imports VELCORE.DLL: where that DLL is missing,
// Wine cannot load it and it ends with 0xC0000135.
extern "C" __declspec(dllimport) int velcoreVersion();

int main()
{
    return velcoreVersion() == 1 ? 0 : 3;
}
