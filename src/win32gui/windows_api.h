#pragma once
// windows.h for the windows of the program: the program's own headers come first, since windows.h
// defines some of their names as macros (ERROR_SUCCESS, REG_NONE, FILE_ATTRIBUTE_*, Yield).
#include "app/app.h"
#include "ui/host_services.h"

// Only after them.
#include <windows.h>
#undef Yield
