// SPDX-License-Identifier: MIT
#include "Design.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

QColor activeBorderColor()
{
#ifdef Q_OS_WIN
    const COLORREF colour = GetSysColor(COLOR_ACTIVEBORDER);
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
#else
    return QColor(192, 192, 192);
#endif
}
