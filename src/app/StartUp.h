// SPDX-License-Identifier: MIT
#pragma once

#include "Brenvik.h"

/// Exit statuses of the program.
namespace ExitStatus {
constexpr int Ok = 0;
constexpr int StartFailed = 1; ///< the start-up ended the program (regional settings)
constexpr int NoDisplay = 2;   ///< no display can be used
}

/// Runs the converter window's start-up and then shows the window. Returns
/// ExitStatus::Ok when the program goes on with its event loop, otherwise
/// the status it ends with at once; the window is not shown then.
inline int startConverterWindow(Brenvik &window)
{
    if (!window.Form_Load())
        return ExitStatus::StartFailed;
    window.show();
    return ExitStatus::Ok;
}
