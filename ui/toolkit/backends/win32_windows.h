// <windows.h> for the Win32 backend's native files. windows.h declares functions under
// the window system's own names with other results (GetFocus, ReleaseCapture,
// DestroyCaret, PostQuitMessage ...) and macros over its constants (WM_PAINT, VK_...),
// so no file includes both it and window_system.h: the native files speak to the
// window system through win32_desktop.h and win32_input.h, whose types windows.h
// leaves alone. Its A/W macros are undone in runtime/windows_api.h, for they would rename the program's
// functions of those names (CreateFont, DrawText, MessageBox ...); the native files
// call the W functions by their full names.
#pragma once

// The W forms of the names windows.h gives both (IDC_ARROW, IDI_APPLICATION ...).
#ifndef UNICODE
#define UNICODE
#endif
#include "runtime/windows_api.h"
#include "runtime/windows_text.h"
