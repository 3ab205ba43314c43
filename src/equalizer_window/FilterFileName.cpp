// SPDX-License-Identifier: MIT
#include "FilterFileName.h"

QString filterFileName;
