// SPDX-License-Identifier: MIT
#include "Module1.h"

QString filterFileName;
