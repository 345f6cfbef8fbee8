#pragma once

// Resources built into keymint.exe, shared by the resource script and the code that loads them.
#define KEYMINT_IDI_PROGRAM 1
