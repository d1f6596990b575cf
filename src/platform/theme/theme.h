// Visual styles: the platform draws the standard parts of controls (push button, group-box
// frame, list-box border, tab items and pane, pop-up menu items) in one modern look, with the Win32 names, argument orders and results. Our look:
// rounded corners that let the parent show through, a subtle vertical gradient, distinct
// hot and pressed faces and an accent ring on the default button.
//
// On by default. The process falls back to the classic look when the environment holds
// LB_CLASSIC_LOOK with a value other than "" or "0", or after SetThemeAppProperties
// without STAP_ALLOW_CONTROLS (which then overrides the environment for the rest of the
// run). While the classic look is on, IsAppThemed is false and OpenThemeData gives null.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi.h"
#include "platform/win/win.h"

using HRESULT = std::int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057u);

// The theme data of one window class; obtained from OpenThemeData.
struct ThemeData;
using HTHEME = ThemeData*;

// Parts and states of the "BUTTON" class.
constexpr int BP_PUSHBUTTON = 1;
constexpr int PBS_NORMAL = 1;
constexpr int PBS_HOT = 2;
constexpr int PBS_PRESSED = 3;
constexpr int PBS_DISABLED = 4;
constexpr int PBS_DEFAULTED = 5;
constexpr int BP_GROUPBOX = 4;
constexpr int GBS_NORMAL = 1;
constexpr int GBS_DISABLED = 2;

// "LISTBOX": the one-pixel border of a list without scroll bars; the inside stays the
// list's own.
constexpr int LBCP_BORDER_NOSCROLL = 3;
constexpr int LBPSN_NORMAL = 1;
constexpr int LBPSN_FOCUSED = 2;
constexpr int LBPSN_HOT = 3;
constexpr int LBPSN_DISABLED = 4;

// "TAB": a tab of the row (open at the bottom) and the pane's outline below the row. The
// selected tab and the pane draw outlines only: their inside is the page's face.
constexpr int TABP_TABITEM = 1;
constexpr int TABP_PANE = 9;
constexpr int TIS_NORMAL = 1;
constexpr int TIS_HOT = 2;
constexpr int TIS_SELECTED = 3;
constexpr int TIS_DISABLED = 4;
constexpr int TIS_FOCUSED = 5;

// "MENU": the highlight of a pop-up menu item; a normal item draws nothing.
constexpr int MENU_POPUPITEM = 14;
constexpr int MPI_NORMAL = 1;
constexpr int MPI_HOT = 2;
constexpr int MPI_DISABLED = 3;
constexpr int MPI_DISABLEDHOT = 4;

// Flags of SetThemeAppProperties.
constexpr DWORD STAP_ALLOW_NONCLIENT = 1;
constexpr DWORD STAP_ALLOW_CONTROLS = 2;
constexpr DWORD STAP_ALLOW_WEBCONTENT = 4;

// The platform has visual styles on (always, here).
BOOL IsThemeActive();
// Visual styles apply to this process's controls (see the top of this file).
BOOL IsAppThemed();
DWORD GetThemeAppProperties();
void SetThemeAppProperties(DWORD flags);

// Theme data for the first class of a semicolon-separated list that has a look ("BUTTON",
// "LISTBOX", "TAB", "MENU"; case does not matter); null when none has or the classic look is on. hwnd may be null.
HTHEME OpenThemeData(HWND hwnd, const char* classList);
HRESULT CloseThemeData(HTHEME theme);

// Draws the part in the state over rect (clip, when given, limits the drawing). Pixels the
// part leaves partly or wholly transparent blend with what the DC already holds.
HRESULT DrawThemeBackground(HTHEME theme, HDC hdc, int partId, int stateId, const RECT* rect, const RECT* clip);
// The area inside the part's frame meant for its content, and back.
HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC hdc, int partId, int stateId, const RECT* bounds,
                                      RECT* content);
HRESULT GetThemeBackgroundExtent(HTHEME theme, HDC hdc, int partId, int stateId, const RECT* content,
                                 RECT* extent);
// True when the part does not cover its whole rectangle (rounded corners, outlines).
BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int partId, int stateId);
// Paints what the parent window shows under hwnd into hdc (hwnd's client coordinates),
// limited to rect when given: the parent receives WM_ERASEBKGND and WM_PRINTCLIENT with
// the DC's origin moved to its own corner. E_FAIL for a window without a parent.
HRESULT DrawThemeParentBackground(HWND hwnd, HDC hdc, const RECT* rect);
