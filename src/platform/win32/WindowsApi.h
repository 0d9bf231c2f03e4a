#pragma once
// The Windows API for the win32 back end. This code calls the wide (...W) functions by their
// full names and converts at the seam with code page 936 (Cp936.h), never through the system's
// own code page; UNICODE stays undefined so that no name changes meaning behind its back. Some
// macros share names with the program's own declarations: the character-set macros
// (CreateDirectory, DeleteFile, RemoveDirectory, WriteProfileString, MessageBox, CopyFile)
// would rename them; RGB and the *_CHARSET constants would break the toolkit's. They are
// removed here; the toolkit uses its own constants.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CreateDirectory
#undef DeleteFile
#undef RemoveDirectory
#undef CopyFile
#undef WriteProfileString
#undef MessageBox
#undef RGB
#undef DEFAULT_CHARSET
#undef GB2312_CHARSET
