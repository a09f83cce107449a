#include "ui/toolkit/backends/win32_window.h"

#include <algorithm>

#include "ui/toolkit/backends/win32_drawing.h"
#include "ui/toolkit/backends/win32_input.h"

namespace {

constexpr const wchar_t* ClassName = L"QuarnetWindow";

DWORD Style(const NativeWindowState& state) {
  if (state.resizable) return WS_OVERLAPPEDWINDOW;
  // An owned window is its owner's dialog, and is not minimized alone.
  return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | (state.owner == 0 ? WS_MINIMIZEBOX : 0);
}

// As the thread reads its input: GetKeyState follows the message being handled.
uint32_t HeldKeys() {
  constexpr struct {
    int key;
    uint32_t flag;
  } keys[] = {{VK_SHIFT, MK_SHIFT}, {VK_CONTROL, MK_CONTROL}, {VK_LBUTTON, MK_LBUTTON}, {VK_MBUTTON, MK_MBUTTON},
              {VK_RBUTTON, MK_RBUTTON}};
  uint32_t held = 0;
  for (const auto& key : keys) {
    if (GetKeyState(key.key) < 0) held |= key.flag;
  }
  return held;
}

}  // namespace

bool NativeWindow::RegisterWindowClass() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  // The program's icon where its resources have one, as their first.
  windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(1));
  if (windowClass.hIcon == nullptr) windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.lpszClassName = ClassName;
  return RegisterClassExW(&windowClass) != 0;
}

void NativeWindow::UnregisterWindowClass() { UnregisterClassW(ClassName, GetModuleHandleW(nullptr)); }

NativeWindow::NativeWindow(WindowHandle window, const NativeWindowState& state, HWND owner, const WindowLook& look)
    : window_(window), look_(look), state_(state), placed_(state.rect) {
  RECT outer = Outer(state.rect);
  applying_ = true;
  CreateWindowExW(0, ClassName, WideText(state.title).c_str(), Style(state), outer.left, outer.top,
                  outer.right - outer.left, outer.bottom - outer.top, owner, nullptr, GetModuleHandleW(nullptr), this);
  applying_ = false;
  Apply(state);
}

NativeWindow::~NativeWindow() {
  if (hwnd_ == nullptr) return;
  // Whatever the window hears while it goes is not the operator's.
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);
}

void NativeWindow::Apply(const NativeWindowState& state) {
  if (hwnd_ == nullptr) return;
  applying_ = true;
  if (state.title != state_.title) SetWindowTextW(hwnd_, WideText(state.title).c_str());
  state_ = state;
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  LONG_PTR wanted = static_cast<LONG_PTR>(Style(state)) | (style & WS_VISIBLE);
  UINT frameChanged = 0;
  if (wanted != style) {
    SetWindowLongPtrW(hwnd_, GWL_STYLE, wanted);
    frameChanged = SWP_FRAMECHANGED;
  }
  if (frameChanged != 0 || !(state.rect == placed_)) {
    RECT outer = Outer(state.rect);
    SetWindowPos(hwnd_, nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | frameChanged);
    placed_ = state.rect;
  }
  applying_ = false;
  bool shown = IsWindowVisible(hwnd_);
  if (state.visible && !shown) ShowWindow(hwnd_, SW_SHOW);
  if (!state.visible && shown) ShowWindow(hwnd_, SW_HIDE);
  Redraw();
}

void NativeWindow::Raise() {
  if (hwnd_ == nullptr || !IsWindowVisible(hwnd_)) return;
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(hwnd_);
}

void NativeWindow::Redraw() {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT CALLBACK NativeWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<NativeWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* window = reinterpret_cast<NativeWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return window != nullptr ? window->Handle(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT NativeWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    // The paint covers every pixel; erasing first would flicker.
    case WM_ERASEBKGND:
      return 1;
    case WM_GETMINMAXINFO:
      MinMax(*reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) != HTCLIENT) break;
      SetCursor(LoadCursorW(nullptr, look_.waitCursor ? IDC_WAIT : IDC_ARROW));
      return TRUE;
    case WM_SIZE:
    case WM_MOVE:
      Moved();
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
      Mouse(message, wParam, lParam);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      Key(message == WM_KEYDOWN, wParam);
      return 0;
    // Alt with a key (and F10) comes as a system key; the desktop still sees it, for
    // Alt+F4 closes the window.
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      Key(message == WM_SYSKEYDOWN, wParam);
      break;
    // The window has no menu whose letters Alt would choose (the desktop would beep);
    // Alt+Space still opens the window's menu.
    case WM_SYSCHAR:
      if (wParam != L' ') return 0;
      break;
    // Alt or F10 alone would move the keyboard into a menu bar the window does not have.
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0) return 0;
      break;
    case WM_CHAR:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Deliver(message, wParam, lParam);
      return 0;
    // The window system decides, as the close box asks.
    case WM_CLOSE:
      Deliver(message, 0, 0);
      return 0;
    // The window is gone, also when its owner took it along.
    case WM_NCDESTROY: {
      HWND gone = hwnd_;
      hwnd_ = nullptr;
      return DefWindowProcW(gone, message, wParam, lParam);
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// Drawn into a bitmap first and copied to the screen in one piece, so that a window
// never shows half its picture.
void NativeWindow::Paint() {
  PAINTSTRUCT paint;
  HDC screen = BeginPaint(hwnd_, &paint);
  RECT client;
  GetClientRect(hwnd_, &client);
  if (client.right > 0 && client.bottom > 0) {
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    DrawingList picture = ComposeForDisplay(window_, {client.right, client.bottom});
    PlayBack(memory, picture, look_.caretOn);
    showsCaret_ = std::any_of(picture.begin(), picture.end(),
                              [](const DrawCommand& command) { return command.kind == DrawKind::Caret; });
    BitBlt(screen, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
  }
  EndPaint(hwnd_, &paint);
}

// A window that is not resizable keeps its size: the desktop's smallest track size
// would otherwise widen a small one.
void NativeWindow::MinMax(MINMAXINFO& info) const {
  Size fixed{state_.rect.width, state_.rect.height};
  Size minimum = state_.resizable ? state_.minimumSize : fixed;
  Size maximum = state_.resizable ? state_.maximumSize : fixed;
  RECT smallest = Outer({0, 0, std::max(1, minimum.width), std::max(1, minimum.height)});
  info.ptMinTrackSize = {smallest.right - smallest.left, smallest.bottom - smallest.top};
  if (maximum.width > 0 && maximum.height > 0) {
    RECT largest = Outer({0, 0, maximum.width, maximum.height});
    info.ptMaxTrackSize = {largest.right - largest.left, largest.bottom - largest.top};
  }
}

void NativeWindow::Moved() {
  if (applying_ || IsIconic(hwnd_)) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd_, &origin);
  Rect rect{origin.x, origin.y, client.right, client.bottom};
  if (rect == placed_) return;
  placed_ = state_.rect = rect;
  DeliverWindowMoved(window_, rect);
}

void NativeWindow::Mouse(UINT message, WPARAM wParam, LPARAM lParam) {
  // While a button is held the window keeps the mouse, as the X server grabs it for
  // FLTK: a drag goes on outside the window, and the release comes back.
  bool held = (wParam & (MK_LBUTTON | MK_MBUTTON | MK_RBUTTON)) != 0;
  if (held && GetCapture() != hwnd_) SetCapture(hwnd_);
  if (!held && GetCapture() == hwnd_) ReleaseCapture();
  // The wheel's point is on the screen.
  if (message == WM_MOUSEWHEEL) {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(hwnd_, &at);
    lParam = MAKELPARAM(at.x, at.y);
  }
  Deliver(message, wParam, lParam);
}

void NativeWindow::Key(bool down, WPARAM virtualKey) {
  // The message loop's TranslateMessage has queued the character the key types; a
  // delivery carries it with the key.
  uint32_t character = 0;
  MSG next;
  if (down && PeekMessageW(&next, hwnd_, WM_CHAR, WM_CHAR, PM_REMOVE)) {
    character = static_cast<uint32_t>(next.wParam);
    if (IS_HIGH_SURROGATE(character) && PeekMessageW(&next, hwnd_, WM_CHAR, WM_CHAR, PM_REMOVE) &&
        IS_LOW_SURROGATE(next.wParam)) {
      character = 0x10000 + ((character - 0xD800) << 10) + (static_cast<uint32_t>(next.wParam) - 0xDC00);
    }
  }
  Deliver(down ? WM_KEYDOWN : WM_KEYUP, virtualKey, 0, character);
}

void NativeWindow::Deliver(UINT message, WPARAM wParam, LPARAM lParam, uint32_t character) {
  DeliverWindowInput(window_, WindowInput{message, wParam, lParam, character, HeldKeys(), GetKeyState(VK_MENU) < 0});
}

RECT NativeWindow::Outer(const Rect& client) const {
  RECT outer{client.x, client.y, client.Right(), client.Bottom()};
  AdjustWindowRectEx(&outer, Style(state_), FALSE, 0);
  return outer;
}
