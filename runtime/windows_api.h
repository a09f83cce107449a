// <windows.h> for the program's Windows files. It defines function-like macros under
// names the program uses for its own operations (DeleteFile, CopyFile, SendMessage,
// MessageBox, CreateFile ...); they are undone here, and the Windows files call the W
// functions by their full names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CopyFile
#undef CreateFile
#undef CreateFont
#undef CreateWindow
#undef DeleteFile
#undef DispatchMessage
#undef DrawText
#undef GetClassName
#undef GetMessage
#undef GetWindowLong
#undef GetWindowText
#undef MessageBox
#undef MoveFile
#undef PeekMessage
#undef PostMessage
#undef SendMessage
#undef SetWindowLong
#undef SetWindowText
