// The classic Windows look of the standard controls: each look is a painter function that
// draws into any TCanvas in the system colours, so every look can be drawn and checked
// offscreen without a window.
#pragma once

#include <string>
#include <vector>

#include "ui/graphics/graphics.h"

// Which half of a two-pixel 3D edge, and which way it is cut.
enum TEdgePart { epRaisedOuter, epRaisedInner, epSunkenOuter, epSunkenInner };

// A panel bevel: none, cut into the surface, standing out of it, or blank space.
enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };
using TBevelCut = TPanelBevel;

// The shape a bevel control draws, and whether it looks cut in or raised.
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

// A canvas on a memory DC of its own: measures text (and draws into a selected bitmap)
// outside any paint.
class TMeasureCanvas : public TCanvas {
  LB_CLASS(TMeasureCanvas)
 public:
  TMeasureCanvas() = default;
  ~TMeasureCanvas() override;

 protected:
  void CreateHandle() override;

 private:
  HDC dc_ = nullptr;
};

// Selects a canvas's font into its DC for direct DrawTextA and metrics calls and puts the
// previous font back afterwards.
class FontSelection {
 public:
  explicit FontSelection(TCanvas& canvas);
  ~FontSelection();
  FontSelection(const FontSelection&) = delete;
  FontSelection& operator=(const FontSelection&) = delete;
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// ---------------------------------------------------------------------------------------
// Lines and frames

// Fills a rectangle with one colour, leaving the canvas's brush alone.
void FillColor(TCanvas& canvas, const RECT& rect, TColor color);
// A frame `width` pixels thick: top and left in topColor, bottom and right in bottomColor
// (the bottom-left and top-right corner pixels belong to the bottom/right colour). The
// rectangle shrinks by the width.
void Frame3D(TCanvas& canvas, RECT& rect, TColor topColor, TColor bottomColor, int width);
// One pixel of a Windows 3D edge; returns the rectangle inside it.
RECT DrawEdgePart(TCanvas& canvas, const RECT& rect, TEdgePart part);
// Sunken client edge (list boxes): two pixels; returns the inside.
RECT DrawSunkenEdge(TCanvas& canvas, const RECT& rect);
// Raised window edge (menus, tab pages, buttons): two pixels; returns the inside.
RECT DrawRaisedEdge(TCanvas& canvas, const RECT& rect);
// Etched lines: a shadow line with a highlight line below it (right of it for vertical).
void DrawEtchedHLine(TCanvas& canvas, int left, int right, int y);
// An etched frame (group boxes, bevel frames): shadow outline, highlight outline inside
// it offset by one pixel.
void DrawEtchedFrame(TCanvas& canvas, const RECT& rect);

// ---------------------------------------------------------------------------------------
// Text

// DrawTextA with the canvas's font and font colour, transparent background.
int DrawCanvasText(TCanvas& canvas, RECT& rect, const std::string& text, UINT format);
// Text as a disabled control shows it: highlight copy one pixel down-right, shadow on top.
void DrawDisabledText(TCanvas& canvas, RECT rect, const std::string& text, UINT format);

// ---------------------------------------------------------------------------------------
// Painters of the controls

// Panel face: outer bevel, border of `borderWidth` in the face colour, inner bevel, then
// the face; the caption is centred vertically and aligned as asked (empty: none).
void DrawPanelFace(TCanvas& canvas, const RECT& bounds, TPanelBevel outer, TPanelBevel inner, int bevelWidth,
                   int borderWidth, TColor color, const std::string& caption, TAlignment alignment);
// A bevel control: boxes and frames around the rectangle, lines along one of its sides.
void DrawBevelShape(TCanvas& canvas, const RECT& bounds, TBevelShape shape, TBevelStyle style);

// Group box: etched frame whose top runs through the middle of the caption line, and the
// caption at x = 8 on the group's colour. No caption, no gap.
void DrawGroupBoxFrame(TCanvas& canvas, const RECT& bounds, const std::string& caption, TColor color,
                       bool enabled);

enum TButtonDrawFlag { bdfPressed, bdfFocused, bdfDefault, bdfDisabled };
using TButtonDrawState = TSet<TButtonDrawFlag>;
// Push button: face, raised edge (sunken single frame while pressed), a black frame around
// the default (or focused) button, the caption centred with its "&" underline (shifted one
// pixel while pressed), and the focus rectangle 4 pixels inside the edge.
void DrawPushButton(TCanvas& canvas, const RECT& bounds, const std::string& caption, TButtonDrawState state);

// List box: sunken client edge and the background; returns the client rectangle.
RECT DrawListBoxFrame(TCanvas& canvas, const RECT& bounds, TColor background);
// An item as a list box draws it when nobody owner-draws: highlight when selected, text
// two pixels in, focus rectangle around the item when focused.
void DrawListItemClassic(TCanvas& canvas, const RECT& rect, const std::string& text, bool selected,
                         bool focused);

// Page control: tab row height at the canvas's font, tab rectangles for the captions
// (first tab at x = 2, row top 2), and the whole strip with the page frame below the row.
int TabRowHeight(TCanvas& canvas);
std::vector<RECT> LayoutTabs(TCanvas& canvas, const std::vector<std::string>& captions, int width);
// Draws the page frame (from the bottom of the tab row to the bottom of bounds) and every
// tab; the selected one is two pixels larger, joins the page and shows the focus rectangle
// around its caption when focused. selected -1: none.
void DrawTabStrip(TCanvas& canvas, const RECT& bounds, const std::vector<RECT>& tabs,
                  const std::vector<std::string>& captions, int selected, bool focused);

// Popup menus: three-pixel frame (raised edge plus one pixel of menu colour).
constexpr int kMenuFrame = 3;
int MenuItemHeight(TCanvas& canvas, bool separator);
// Width of an item with this caption ("&" not counted), gutters included.
int MenuItemWidth(TCanvas& canvas, const std::string& caption);
void DrawMenuFrame(TCanvas& canvas, const RECT& bounds);
enum TMenuItemDrawFlag { midHighlighted, midDisabled, midSeparator };
using TMenuItemDrawState = TSet<TMenuItemDrawFlag>;
void DrawMenuItem(TCanvas& canvas, const RECT& rect, const std::string& caption, TMenuItemDrawState state);

// Message box icons, 32 x 32 with their top-left corner at (x, y).
enum TMessageIconKind { mikError, mikWarning, mikInformation, mikQuestion };
void DrawMessageIcon(TCanvas& canvas, int x, int y, TMessageIconKind kind);

// Removes single "&" prefixes ("&&" becomes "&"): the text as it measures without underline.
std::string StripAccelChars(const std::string& caption);
// The access key of a caption, upper case ('B' for "A&bout"), 0 when there is none.
char AccelCharOf(const std::string& caption);
