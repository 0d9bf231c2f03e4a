#pragma once
// The Windows API for the win32 back end. Some of its macros share names with the program's
// own declarations: the character-set macros (CreateDirectory, DeleteFile, WriteProfileString,
// MessageBox) would rename them, RGB and the *_CHARSET constants would break the toolkit's.
// They are removed here; this code calls the ...A functions by their full names and uses the
// toolkit's constants.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CreateDirectory
#undef DeleteFile
#undef WriteProfileString
#undef MessageBox
#undef RGB
#undef DEFAULT_CHARSET
#undef GB2312_CHARSET
