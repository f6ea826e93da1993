#pragma once
// The code page of the texts in tables, for callers of the table interface:
// table texts are Windows-1252, everything outside them UTF-8.
#include "engine/text/cp1252.h"
