// The Win32 backend: real windows on the Windows desktop, the counterpart of the FLTK
// backend. A GUI thread of its own owns them (win32_desktop.h): it draws them from the
// pictures the owner threads painted and turns the operator's input into deliveries
// for the owner threads' queues.
#pragma once

#include <memory>

#include "ui/toolkit/core/window_backend.h"

// Null when the GUI thread cannot make its windows.
std::unique_ptr<WindowBackend> StartWin32Backend();
