#include "WinCommandLine.h"
