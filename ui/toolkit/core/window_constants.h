// The vocabulary of the window system: message numbers, styles, notification codes,
// key codes, scroll codes, system colours and metrics. The numbers are those the
// program's forms were written against (the Win32 ones), so that the forms' tables of
// styles and messages read as they always did.
#pragma once

#include <cstdint>

// Messages.
inline constexpr uint32_t WM_NULL = 0x0000;
inline constexpr uint32_t WM_CREATE = 0x0001;
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_MOVE = 0x0003;
inline constexpr uint32_t WM_SIZE = 0x0005;
inline constexpr uint32_t WM_ACTIVATE = 0x0006;
inline constexpr uint32_t WM_SETFOCUS = 0x0007;
inline constexpr uint32_t WM_KILLFOCUS = 0x0008;
inline constexpr uint32_t WM_ENABLE = 0x000A;
inline constexpr uint32_t WM_SETTEXT = 0x000C;
inline constexpr uint32_t WM_PAINT = 0x000F;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_QUERYENDSESSION = 0x0011;
inline constexpr uint32_t WM_QUIT = 0x0012;
inline constexpr uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr uint32_t WM_SHOWWINDOW = 0x0018;
inline constexpr uint32_t WM_GETMINMAXINFO = 0x0024;
inline constexpr uint32_t WM_SETFONT = 0x0030;
inline constexpr uint32_t WM_NOTIFY = 0x004E;
inline constexpr uint32_t WM_NCCREATE = 0x0081;
inline constexpr uint32_t WM_NCDESTROY = 0x0082;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_CHAR = 0x0102;
inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t WM_HSCROLL = 0x0114;
inline constexpr uint32_t WM_VSCROLL = 0x0115;
inline constexpr uint32_t WM_CTLCOLORMSGBOX = 0x0132;
inline constexpr uint32_t WM_CTLCOLOREDIT = 0x0133;
inline constexpr uint32_t WM_CTLCOLORLISTBOX = 0x0134;
inline constexpr uint32_t WM_CTLCOLORBTN = 0x0135;
inline constexpr uint32_t WM_CTLCOLORDLG = 0x0136;
inline constexpr uint32_t WM_CTLCOLORSCROLLBAR = 0x0137;
inline constexpr uint32_t WM_CTLCOLORSTATIC = 0x0138;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr uint32_t WM_EXITSIZEMOVE = 0x0232;
inline constexpr uint32_t WM_USER = 0x0400;
// The notification icon's message; this program shows no icon but traces the name.
inline constexpr uint32_t WM_TRAY_MESSAGE = WM_USER + 0x100;
inline constexpr uint32_t WM_APP = 0x8000;

// WM_ACTIVATE states.
inline constexpr uint32_t WA_INACTIVE = 0;
inline constexpr uint32_t WA_ACTIVE = 1;

// WM_SYSCOMMAND commands.
inline constexpr uint32_t SC_CLOSE = 0xF060;

// Window styles.
inline constexpr uint32_t WS_OVERLAPPED = 0x00000000;
inline constexpr uint32_t WS_TABSTOP = 0x00010000;
inline constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000;
inline constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
inline constexpr uint32_t WS_THICKFRAME = 0x00040000;
inline constexpr uint32_t WS_SYSMENU = 0x00080000;
inline constexpr uint32_t WS_HSCROLL = 0x00100000;
inline constexpr uint32_t WS_VSCROLL = 0x00200000;
inline constexpr uint32_t WS_BORDER = 0x00800000;
inline constexpr uint32_t WS_CAPTION = 0x00C00000;
inline constexpr uint32_t WS_DISABLED = 0x08000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_CLIPCHILDREN = 0x02000000;
inline constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000;
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;
inline constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200;

// The position or size the system chooses.
inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// Static styles.
inline constexpr uint32_t SS_LEFT = 0x0;
inline constexpr uint32_t SS_CENTER = 0x1;
inline constexpr uint32_t SS_RIGHT = 0x2;
inline constexpr uint32_t SS_LEFTNOWORDWRAP = 0xC;
inline constexpr uint32_t SS_TYPEMASK = 0x1F;
inline constexpr uint32_t SS_NOTIFY = 0x100;

// Button styles, messages, notifications and check states.
inline constexpr uint32_t BS_PUSHBUTTON = 0x0;
inline constexpr uint32_t BS_DEFPUSHBUTTON = 0x1;
inline constexpr uint32_t BS_CHECKBOX = 0x2;
inline constexpr uint32_t BS_AUTOCHECKBOX = 0x3;
inline constexpr uint32_t BS_TYPEMASK = 0xF;
inline constexpr uint32_t BS_LEFTTEXT = 0x20;
inline constexpr uint32_t BM_GETCHECK = 0x00F0;
inline constexpr uint32_t BM_SETCHECK = 0x00F1;
inline constexpr uint32_t BM_SETIMAGE = 0x00F7;
inline constexpr uint32_t IMAGE_BITMAP = 0;
inline constexpr uint32_t BN_CLICKED = 0;
inline constexpr uint32_t BN_PUSHED = 2;
inline constexpr uint32_t BN_UNPUSHED = 3;
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;

// Edit styles, messages and notifications.
inline constexpr uint32_t ES_LEFT = 0x0;
inline constexpr uint32_t ES_CENTER = 0x1;
inline constexpr uint32_t ES_RIGHT = 0x2;
inline constexpr uint32_t ES_AUTOVSCROLL = 0x40;
inline constexpr uint32_t ES_AUTOHSCROLL = 0x80;
inline constexpr uint32_t EM_GETSEL = 0x00B0;
inline constexpr uint32_t EM_SETSEL = 0x00B1;
inline constexpr uint32_t EM_GETMODIFY = 0x00B8;
inline constexpr uint32_t EM_SETMODIFY = 0x00B9;
inline constexpr uint32_t EM_GETLINECOUNT = 0x00BA;
inline constexpr uint32_t EM_LINEINDEX = 0x00BB;
inline constexpr uint32_t EM_LINELENGTH = 0x00C1;
inline constexpr uint32_t EM_REPLACESEL = 0x00C2;
inline constexpr uint32_t EM_GETLINE = 0x00C4;
inline constexpr uint32_t EN_SETFOCUS = 0x0100;
inline constexpr uint32_t EN_KILLFOCUS = 0x0200;
inline constexpr uint32_t EN_CHANGE = 0x0300;

// List box styles, messages and notifications.
inline constexpr uint32_t LBS_NOTIFY = 0x0001;
inline constexpr uint32_t LBS_HASSTRINGS = 0x0040;
inline constexpr uint32_t LBS_NOINTEGRALHEIGHT = 0x0100;
inline constexpr uint32_t LBS_DISABLENOSCROLL = 0x1000;
inline constexpr uint32_t LB_ADDSTRING = 0x0180;
inline constexpr uint32_t LB_RESETCONTENT = 0x0184;
inline constexpr uint32_t LB_SETCURSEL = 0x0186;
inline constexpr uint32_t LB_GETCURSEL = 0x0188;
inline constexpr uint32_t LB_GETTEXT = 0x0189;
inline constexpr uint32_t LB_GETTEXTLEN = 0x018A;
inline constexpr uint32_t LB_GETCOUNT = 0x018B;
inline constexpr uint32_t LB_GETTOPINDEX = 0x018E;
inline constexpr uint32_t LB_GETITEMDATA = 0x0199;
inline constexpr uint32_t LB_SETITEMDATA = 0x019A;
inline constexpr uint32_t LBN_SELCHANGE = 1;
inline constexpr intptr_t LB_ERR = -1;

// Up-down messages and notifications.
inline constexpr uint32_t UDM_SETRANGE32 = WM_USER + 111;
inline constexpr uint32_t UDM_GETRANGE32 = WM_USER + 112;
inline constexpr uint32_t UDM_SETPOS32 = WM_USER + 113;
inline constexpr uint32_t UDM_GETPOS32 = WM_USER + 114;
inline constexpr int UDN_DELTAPOS = -722;

// Progress bar messages.
inline constexpr uint32_t PBM_SETPOS = WM_USER + 2;
inline constexpr uint32_t PBM_SETRANGE32 = WM_USER + 6;
inline constexpr uint32_t PBM_GETPOS = WM_USER + 8;

// Tree view messages and notifications. Items are added at the root, after the last.
inline constexpr uint32_t TVM_INSERTITEM = 0x1100;
inline constexpr uint32_t TVM_DELETEITEM = 0x1101;
inline constexpr uint32_t TVM_GETCOUNT = 0x1105;
inline constexpr uint32_t TVM_SELECTITEM = 0x110B;
inline constexpr uint32_t TVM_GETITEM = 0x110C;
inline constexpr uint32_t TVM_GETNEXTITEM = 0x110A;
inline constexpr intptr_t TVI_ROOT = -0x10000;
inline constexpr intptr_t TVI_LAST = -0x0FFFE;
inline constexpr uint32_t TVIF_TEXT = 0x0001;
inline constexpr uint32_t TVGN_CARET = 0x0009;
// A tree view reports a change of its selection with this WM_COMMAND notification,
// as a list box does.
inline constexpr uint32_t TVN_SELECTIONCHANGED = 1;

// Scroll bars: which bar, the codes of WM_VSCROLL and WM_HSCROLL, and the fields of
// a scroll information record.
inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_LINEUP = 0;
inline constexpr int SB_LINEDOWN = 1;
inline constexpr int SB_PAGEUP = 2;
inline constexpr int SB_PAGEDOWN = 3;
inline constexpr int SB_THUMBPOSITION = 4;
inline constexpr int SB_THUMBTRACK = 5;
inline constexpr int SB_TOP = 6;
inline constexpr int SB_BOTTOM = 7;
inline constexpr int SB_ENDSCROLL = 8;
inline constexpr uint32_t SIF_RANGE = 0x1;
inline constexpr uint32_t SIF_PAGE = 0x2;
inline constexpr uint32_t SIF_POS = 0x4;
inline constexpr uint32_t SIF_TRACKPOS = 0x10;
inline constexpr uint32_t SIF_ALL = 0x17;
inline constexpr int ESB_ENABLE_BOTH = 0;
inline constexpr int ESB_DISABLE_BOTH = 3;

// Show commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;

// Window longs.
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_ID = -12;

// Virtual keys.
inline constexpr uint32_t VK_LBUTTON = 0x01;
inline constexpr uint32_t VK_RBUTTON = 0x02;
inline constexpr uint32_t VK_CANCEL = 0x03;
inline constexpr uint32_t VK_MBUTTON = 0x04;
inline constexpr uint32_t VK_BACK = 0x08;
inline constexpr uint32_t VK_TAB = 0x09;
inline constexpr uint32_t VK_RETURN = 0x0D;
inline constexpr uint32_t VK_SHIFT = 0x10;
inline constexpr uint32_t VK_CONTROL = 0x11;
inline constexpr uint32_t VK_MENU = 0x12;
inline constexpr uint32_t VK_PAUSE = 0x13;
inline constexpr uint32_t VK_ESCAPE = 0x1B;
inline constexpr uint32_t VK_SPACE = 0x20;
inline constexpr uint32_t VK_PRIOR = 0x21;
inline constexpr uint32_t VK_NEXT = 0x22;
inline constexpr uint32_t VK_END = 0x23;
inline constexpr uint32_t VK_HOME = 0x24;
inline constexpr uint32_t VK_LEFT = 0x25;
inline constexpr uint32_t VK_UP = 0x26;
inline constexpr uint32_t VK_RIGHT = 0x27;
inline constexpr uint32_t VK_DOWN = 0x28;
inline constexpr uint32_t VK_INSERT = 0x2D;
inline constexpr uint32_t VK_DELETE = 0x2E;
inline constexpr uint32_t VK_F1 = 0x70;
inline constexpr uint32_t VK_F12 = 0x7B;

// The buttons and keys held, in wParam of the mouse messages.
inline constexpr uint32_t MK_LBUTTON = 0x0001;
inline constexpr uint32_t MK_RBUTTON = 0x0002;
inline constexpr uint32_t MK_SHIFT = 0x0004;
inline constexpr uint32_t MK_CONTROL = 0x0008;
inline constexpr uint32_t MK_MBUTTON = 0x0010;

// One notch of a mouse wheel.
inline constexpr int WHEEL_DELTA = 120;

// Text formats of DrawText.
inline constexpr uint32_t DT_LEFT = 0x0000;
inline constexpr uint32_t DT_CENTER = 0x0001;
inline constexpr uint32_t DT_RIGHT = 0x0002;
inline constexpr uint32_t DT_VCENTER = 0x0004;
inline constexpr uint32_t DT_BOTTOM = 0x0008;
inline constexpr uint32_t DT_WORDBREAK = 0x0010;
inline constexpr uint32_t DT_SINGLELINE = 0x0020;
inline constexpr uint32_t DT_NOCLIP = 0x0100;
inline constexpr uint32_t DT_CALCRECT = 0x0400;
inline constexpr uint32_t DT_NOPREFIX = 0x0800;

// System colours.
inline constexpr int COLOR_SCROLLBAR = 0;
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_3DDKSHADOW = 21;

// System metrics.
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXVSCROLL = 2;
inline constexpr int SM_CYHSCROLL = 3;
inline constexpr int SM_CXHSCROLL = 21;
inline constexpr int SM_CYVSCROLL = 20;
inline constexpr int SM_CXMINTRACK = 34;
inline constexpr int SM_CYMINTRACK = 35;
inline constexpr int SM_CXMAXTRACK = 59;
inline constexpr int SM_CYMAXTRACK = 60;

// Message box styles are those of runtime/message_box.h.
