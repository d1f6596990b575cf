// The standard controls in the visual-style look, drawn by the platform's theme service so
// that they match the painted buttons. Each painter draws only while the process has visual
// styles on and returns false otherwise, leaving the caller to paint the classic look. The
// themed parts keep the classic geometry: client areas, tab rows and caption places are
// where the classic look puts them.
#pragma once

#include <string>
#include <vector>

#include "ui/stdctrls/classiclook.h"

// Push button: the theme's push-button part over the parent's picture (hwnd's parent; the
// face colour without one), the caption centred and not shifted while pressed, the focus
// rectangle 3 pixels inside.
bool DrawThemedPushButton(TCanvas& canvas, HWND hwnd, const RECT& bounds, const std::string& caption,
                          TButtonDrawState state);
// Group box: the theme's one-pixel frame where the classic etched frame runs, and the
// caption at the same place.
bool DrawThemedGroupBoxFrame(TCanvas& canvas, const RECT& bounds, const std::string& caption, TColor color,
                             bool enabled);
// List box: a flat one-pixel border and the background; *client is the same client
// rectangle as the classic look's (the border's second pixel is background).
bool DrawThemedListBoxFrame(TCanvas& canvas, const RECT& bounds, TColor background, bool enabled, RECT* client);
// Focus of a list item (owner-drawn ones included): two pixels of the focused list's
// border colour with one white pixel inside, around the item, so it shows on a white item
// and on a grey or coloured selection alike. The classic look's dotted frame drawn by
// inverting vanishes on mid grey.
bool DrawThemedItemFocus(TCanvas& canvas, const RECT& rect);
// Page control: the pane's outline below the tab row and the tabs at the classic places;
// the selected tab opens into the page.
bool DrawThemedTabStrip(TCanvas& canvas, const RECT& bounds, const std::vector<RECT>& tabs,
                        const std::vector<std::string>& captions, int selected, bool focused);
// Pop-up menu item: the theme's highlight, the text staying in the menu's text colour.
// Separators stay classic.
bool DrawThemedMenuItem(TCanvas& canvas, const RECT& rect, const std::string& caption, TMenuItemDrawState state);
