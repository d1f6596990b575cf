// Graphics of the class library: colours, fonts, brushes and pens, the canvas that draws
// with them on a device context, the picture base TGraphic with its bitmap and icon
// classes, and TPicture, which holds any picture and picks its class by file extension.
//
// Sections: colours / fonts, brushes and pens / TCanvas / TGraphic / TPicture / TBitmap
// / TIcon.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "ui/core/classes.h"
#include "ui/core/streams.h"

// ---------------------------------------------------------------------------------------
// Colours: 0x00BBGGRR; 0xFF0000nn names system colour nn, resolved by ColorToRGB.

using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor SystemColor(int index) { return TColor(0xFF000000u | unsigned(index)); }
constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SystemColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SystemColor(COLOR_MENUBAR);

// Resolves a system colour to its 0x00BBGGRR value; other values come back unchanged.
TColor ColorToRGB(TColor color);
// The colour's name ("clBtnFace", "clRed") or "$00BBGGRR" hex; and back (names or numbers,
// EConvertError for anything else). Used by the form streaming.
std::string ColorToString(TColor color);
TColor StringToColor(const std::string& text);
bool IdentToColor(const std::string& ident, TColor& color);

class TCanvas;
class TGraphic;
class TBitmap;
class TIcon;

// ---------------------------------------------------------------------------------------
// Graphics objects: fonts, brushes and pens. Each creates its platform handle on demand
// and recreates it after a change; OnChange tells the canvas using it.

class TGraphicsObject : public TPersistent {
  LB_CLASS(TGraphicsObject)
 public:
  ~TGraphicsObject() override;
  TNotifyEvent OnChange;
  bool HandleAllocated() const { return handle_ != nullptr; }

 protected:
  // Tells OnChange first (so a canvas takes the old handle out of its DC), then drops
  // the handle so the next Handle() builds one from the new values.
  void Changed();
  HGDIOBJ handle_ = nullptr;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };

class TFont : public TGraphicsObject {
  LB_CLASS(TFont)
 public:
  TFont() = default;
  HFONT Handle();
  // Takes a font handle's logical font as this font's values (the handle stays the caller's).
  void SetHandle(HFONT font);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& value);
  int Height() const { return height_; }  // negative: character height in pixels
  void SetHeight(int value);
  int Size() const;  // points at PixelsPerInch: -Height * 72 / PixelsPerInch
  void SetSize(int value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles value);
  int Charset() const { return charset_; }
  void SetCharset(int value);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch value);
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int value) { pixelsPerInch_ = value; }
  void Assign(TPersistent* source) override;

 private:
  std::string name_ = "Tahoma";
  int height_ = -11;
  TColor color_ = clWindowText;
  TFontStyles style_;
  int charset_ = 1;  // DEFAULT_CHARSET
  TFontPitch pitch_ = fpDefault;
  int pixelsPerInch_ = 96;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
  LB_CLASS(TBrush)
 public:
  TBrush() = default;
  HBRUSH Handle();
  TColor Color() const { return color_; }
  void SetColor(TColor value);  // also turns a clear brush solid
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle value);
  // A pattern bitmap (not owned; the brush copies its pixels when it makes its handle).
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* value);
  void Assign(TPersistent* source) override;

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
                pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };

class TPen : public TGraphicsObject {
  LB_CLASS(TPen)
 public:
  TPen() = default;
  HPEN Handle();
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  int Width() const { return width_; }
  void SetWidth(int value);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle value);
  // pmCopy draws the pen colour; pmNot and pmXor invert / xor the pixels under the line
  // (the canvas draws those lines itself, one pixel wide).
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode value);
  void Assign(TPersistent* source) override;

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

// ---------------------------------------------------------------------------------------
// TCanvas: drawing with a font, brush and pen on a device context.

class TCanvas : public TPersistent {
  LB_CLASS(TCanvas)
 public:
  TCanvas();
  ~TCanvas() override;

  // The DC; a canvas without one asks CreateHandle() (subclasses make one) and raises
  // EInvalidOperation "Canvas does not allow drawing" when there is still none.
  HDC Handle();
  // Uses hdc (not owned) from now on; the previous DC gets its own objects back.
  void SetHandle(HDC hdc);
  bool HandleAllocated() const { return hdc_ != nullptr; }

  TFont* Font() { return font_.get(); }
  TBrush* Brush() { return brush_.get(); }
  TPen* Pen() { return pen_.get(); }
  void SetFont(TFont* value) { font_->Assign(value); }
  // The raster operation of CopyRect and Draw of bitmaps (SRCCOPY by default).
  DWORD CopyMode() const { return copyMode_; }

  void FillRect(const RECT& rect);
  void FrameRect(const RECT& rect);  // a one-pixel frame in the brush
  void Rectangle(int x1, int y1, int x2, int y2);  // pen outline, brush inside
  void Rectangle(const RECT& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
  // Text with the cell's top-left corner at (x, y) in Font->Color; the cell is filled with
  // Brush->Color unless Brush->Style is bsClear. Moves PenPos to the end of the text.
  void TextOut(int x, int y, const std::string& text);
  // TextOut clipped to rect; an opaque brush fills the whole rect.
  void TextRect(const RECT& rect, int x, int y, const std::string& text);
  int TextWidth(const std::string& text);
  int TextHeight(const std::string& text);
  SIZE TextExtent(const std::string& text);
  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const RECT& rect, TGraphic* graphic);
  TColor Pixels(int x, int y);  // -1 (CLR_INVALID) outside the surface
  void SetPixel(int x, int y, TColor color);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  POINT PenPos() const { return penPos_; }
  // Copies src of another canvas into dest (stretching when the sizes differ) with CopyMode.
  void CopyRect(const RECT& dest, TCanvas* canvas, const RECT& src);
  void DrawFocusRect(const RECT& rect);
  // Takes the canvas's objects out of the DC so they are selected afresh on the next draw.
  void Refresh();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  // Subclasses make their own DC here (and SetHandle it).
  virtual void CreateHandle() {}
  // Before drawing: a DC with the current font, brush and pen selected.
  void RequireState(bool font, bool brush, bool pen);
  void Changing();
  void Changed();
  // Puts the DC's original objects back and forgets which of ours were selected.
  void DeselectHandles();

 private:
  void ObjectChanged(int which);
  void LineWithMode(int x1, int y1, int x2, int y2);

  HDC hdc_ = nullptr;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TBrush> brush_;
  std::unique_ptr<TPen> pen_;
  bool fontSelected_ = false;
  bool brushSelected_ = false;
  bool penSelected_ = false;
  HGDIOBJ oldFont_ = nullptr;
  HGDIOBJ oldBrush_ = nullptr;
  HGDIOBJ oldPen_ = nullptr;
  POINT penPos_;
  DWORD copyMode_ = SRCCOPY;
};

// ---------------------------------------------------------------------------------------
// TGraphic: the base of every picture class (bitmap, icon, PNG image).

class TGraphic;
using TGraphicClass = std::unique_ptr<TGraphic> (*)();

class TGraphic : public TPersistent {
  LB_CLASS(TGraphic)
 public:
  TGraphic() = default;
  ~TGraphic() override = default;

  // The picture protocol, in this order; picture classes override them.
  void AssignTo(TPersistent* dest) override;  // copy into another picture; base raises
  void Assign(TPersistent* source) override;  // copy from another picture; base: inherited
  virtual void DrawOnCanvas(TCanvas& canvas, const RECT& rect) = 0;
  virtual bool IsEmpty() = 0;
  virtual int PixelHeight() = 0;
  virtual HPALETTE PaletteHandle();  // base: nullptr
  virtual bool IsTransparent();      // base: the Transparent flag
  virtual int PixelWidth() = 0;
  virtual void SetPixelHeight(int value) = 0;
  virtual void SetPaletteHandle(HPALETTE palette);  // base: ignored
  virtual void SetPixelWidth(int value) = 0;
  virtual void ReadFromStream(TStream& stream) = 0;  // the picture's own file format
  virtual void WriteToStream(TStream& stream) = 0;
  // Base: raise EInvalidGraphicOperation "Clipboard format not supported".
  virtual void LoadFromClipboardFormat(unsigned format, std::uintptr_t data, HPALETTE palette);
  virtual void SaveToClipboardFormat(unsigned& format, std::uintptr_t& data, HPALETTE& palette);

  // Reads the whole file with ReadFromStream (EFOpenError when it cannot be opened).
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);
  void LoadFromStream(TStream& stream) { ReadFromStream(stream); }
  void SaveToStream(TStream& stream) { WriteToStream(stream); }

  int Width() { return PixelWidth(); }
  int Height() { return PixelHeight(); }
  void SetWidth(int value) { SetPixelWidth(value); }
  void SetHeight(int value) { SetPixelHeight(value); }
  bool Empty() { return IsEmpty(); }
  bool Transparent() { return IsTransparent(); }
  virtual void SetTransparent(bool value);
  bool Modified() const { return modified_; }

  TNotifyEvent OnChange;

 protected:
  // Marks the picture modified and tells OnChange (sender: this picture when null).
  virtual void Changed(TObject* sender = nullptr);
  bool transparent_ = false;

 private:
  bool modified_ = false;
};

// ---------------------------------------------------------------------------------------
// TPicture: holds one picture of any registered class.

class TPicture : public TPersistent {
  LB_CLASS(TPicture)
 public:
  TPicture();
  ~TPicture() override;

  TGraphic* Graphic() const { return graphic_.get(); }
  // Copies value into a new object of its class (null empties the picture).
  void SetGraphic(TGraphic* value);
  // The picture as a bitmap / icon: the current one when it is one, otherwise a new empty
  // one that replaces the current picture.
  TBitmap* Bitmap();
  TIcon* Icon();
  int Width() const;
  int Height() const;

  // Picks the picture class by the file's extension (EInvalidGraphic "Unknown picture file
  // extension (.xyz)" when none is registered), lets a new object read the file and then
  // takes it. On an error the new object is freed, the error passes on and the picture
  // keeps what it had.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);
  void Assign(TPersistent* source) override;

  // The process-wide format table: extension (stored lower case, compared without case,
  // with or without the leading dot) -> description and class. A later registration of
  // the same extension replaces the earlier one.
  static void RegisterFileFormat(const std::string& ext, const std::string& description, TGraphicClass cls);
  static void UnregisterGraphicClass(TGraphicClass cls);
  // The class for an extension ("png", ".PNG"), or null.
  static TGraphicClass FindGraphicClass(const std::string& ext);
  struct FileFormat {
    std::string extension;
    std::string description;
    TGraphicClass graphicClass;
  };
  static std::vector<FileFormat> FileFormats();

  TNotifyEvent OnChange;

 protected:
  virtual void Changed(TObject* sender);

 private:
  void TakeGraphic(std::unique_ptr<TGraphic> graphic);
  std::unique_ptr<TGraphic> graphic_;
};

// ---------------------------------------------------------------------------------------
// TBitmap: a picture held in a platform bitmap, read from and written to BMP files.

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };


class TBitmap : public TGraphic {
  LB_CLASS(TBitmap)
 public:
  TBitmap();
  TBitmap(int width, int height, TPixelFormat format = pfDevice);
  ~TBitmap() override;

  // The bitmap handle (a new one of the current size and format when there is none yet
  // and the size is not 0 x 0).
  HBITMAP Handle();
  // Takes ownership of value (null empties the bitmap); size and format follow it.
  void SetHandle(HBITMAP value);
  // Gives up the handle to the caller; the bitmap becomes empty.
  HBITMAP ReleaseHandle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  TBitmapHandleType HandleType() const;

  // The canvas on a memory DC holding the bitmap (made on first use).
  TCanvas* Canvas();
  void SetSize(int width, int height);  // keeps the content that still fits
  TPixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TPixelFormat value);  // converts the content
  bool Monochrome() const { return pixelFormat_ == pf1bit; }
  // Address of image row y (0 = top) of the pixel memory; EInvalidGraphicOperation
  // "Scan line index out of range" outside 0..Height-1.
  void* ScanLine(int y);

  // tmAuto: the colour of the bottom-left pixel; tmFixed: the colour set.
  TColor TransparentColor();
  void SetTransparentColor(TColor value);  // also switches to tmFixed (clDefault: tmAuto)
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode value);

  // Reads a bitmap stored as a named resource (EResNotFound when there is none).
  void LoadFromResourceName(const std::string& name);
  void FreeImage() {}

  void Assign(TPersistent* source) override;
  void DrawOnCanvas(TCanvas& canvas, const RECT& rect) override;
  bool IsEmpty() override;
  int PixelHeight() override { return height_; }
  int PixelWidth() override { return width_; }
  void SetPixelHeight(int value) override { SetSize(width_, value); }
  void SetPixelWidth(int value) override { SetSize(value, height_); }
  HPALETTE PaletteHandle() override;
  void SetPaletteHandle(HPALETTE palette) override;
  // Windows BMP: file header + 12-byte core or 40+ byte info header, 1/4/8/24/32 bpp,
  // BI_RGB or RLE4/RLE8, either row order. Bad files raise EInvalidGraphic
  // "Bitmap image is not valid".
  void ReadFromStream(TStream& stream) override;
  // Writes a BMP with a 40-byte header in the bitmap's own format (device: 32 bpp).
  void WriteToStream(TStream& stream) override;

 private:
  friend class TBitmapCanvas;
  HBITMAP NewBitmap(int width, int height, TPixelFormat format) const;
  void Replace(HBITMAP bitmap, int width, int height, TPixelFormat format);
  void FreeContext();

  HBITMAP handle_ = nullptr;  // owned
  int width_ = 0;
  int height_ = 0;
  TPixelFormat pixelFormat_ = pfDevice;
  TColor transparentColor_ = clDefault;
  TTransparentMode transparentMode_ = tmAuto;
  HPALETTE palette_ = nullptr;  // owned
  std::unique_ptr<TCanvas> canvas_;
};

// ---------------------------------------------------------------------------------------
// TIcon: a picture held in an icon handle (colour bitmap plus mask, or 32-bit with alpha).

class TIcon : public TGraphic {
  LB_CLASS(TIcon)
 public:
  TIcon();
  ~TIcon() override;
  HICON Handle() const { return handle_; }
  // Takes ownership of value; null empties the icon.
  void SetHandle(HICON value);
  HICON ReleaseHandle();

  void Assign(TPersistent* source) override;
  void DrawOnCanvas(TCanvas& canvas, const RECT& rect) override;
  bool IsEmpty() override { return handle_ == nullptr; }
  int PixelHeight() override;
  int PixelWidth() override;
  // Icons keep the size of their image; setting it raises EInvalidGraphicOperation
  // "Cannot change the size of an icon".
  void SetPixelHeight(int value) override;
  void SetPixelWidth(int value) override;
  bool IsTransparent() override { return true; }
  // .ico files: the first image (BMP-style with AND mask, 1/4/8/24/32 bpp); bad files raise
  // EInvalidGraphic "Icon image is not valid".
  void ReadFromStream(TStream& stream) override;
  void WriteToStream(TStream& stream) override;

 private:
  HICON handle_ = nullptr;  // owned
};
