#pragma once
// The Windows API for the win32 back end. Include it after the program's own headers: the API's
// character-set macros (CreateDirectory, DeleteFile, MessageBox) and its RGB and *_CHARSET
// macros would otherwise rename or break the program's declarations of the same names. This
// code calls the ...A functions by their full names.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CreateDirectory
#undef DeleteFile
#undef MessageBox
#undef RGB
