// <windows.h> for the Win32 backend's native files. windows.h declares functions under
// the window system's own names with other results (GetFocus, ReleaseCapture,
// DestroyCaret, PostQuitMessage ...) and macros over its constants (WM_PAINT, VK_...),
// so no file includes both it and window_system.h: the native files speak to the
// window system through win32_desktop.h and win32_input.h, whose types windows.h
// leaves alone. Its A/W macros are undone here, for they would rename the program's
// functions of those names (CreateFont, DrawText, MessageBox ...); the native files
// call the W functions by their full names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
// The W forms of the names windows.h gives both (IDC_ARROW, IDI_APPLICATION ...).
#ifndef UNICODE
#define UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef CreateFont
#undef CreateWindow
#undef DispatchMessage
#undef DrawText
#undef GetClassName
#undef GetMessage
#undef GetWindowLong
#undef GetWindowText
#undef MessageBox
#undef PeekMessage
#undef PostMessage
#undef SendMessage
#undef SetWindowLong
#undef SetWindowText

#include <cstdint>
#include <string>
#include <string_view>

// UTF-8, the program's text, and UTF-16, what the W functions take.
std::wstring Utf16(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
// One code point, two units beyond U+FFFF.
void AppendUtf16(std::wstring& text, uint32_t code);
