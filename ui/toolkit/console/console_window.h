// The console log window: shows the console buffer (runtime/console_buffer.h) and lets
// the operator scroll it, select a rectangle and copy it, hold the output (Ctrl+S) and
// end the program (Ctrl+Break). Its messages are handled by the thread that creates it,
// the console thread (console_thread.h); tests create it on their own thread.
#pragma once

#include <atomic>
#include <string>

#include "ui/toolkit/core/window_system.h"

// While an operation that asks before it stops runs, the close box hands the request
// to it (called on the console thread) instead of ending the program.
extern std::atomic<void (*)()> ConsoleCloseHandler;

// Registers the window class, creates the window (hidden) and sizes it to 120 × 60
// cells; 0 on failure.
WindowHandle CreateConsoleWindow(const std::string& title);
// One turn of the console thread's loop: the layout, caret and repaint the writers
// asked for, then the queued messages.
void ConsoleWindowStep();
// 0 while there is none.
WindowHandle ConsoleWindow();
// Places the console window beside `owner` (the main window's area on the screen;
// empty: at the screen's right edge), its title bar on the screen and its height
// within it, so that it covers neither the main window nor the desktop's panels.
void PlaceConsoleBeside(Rect owner);
// Shows or hides the console window; SW_SHOWNORMAL also brings it to the front.
void ShowConsole(int command);
