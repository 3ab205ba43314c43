#include "Module1.h"

QString filterFileName;
