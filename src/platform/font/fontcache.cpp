// Face loading and the per-size glyph cache.
//
// Sections: face loading (by path, then fontconfig); the face's design numbers; glyph
// rendering; the cache.
#include "platform/font/fontcache.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <dlfcn.h>
#include <unistd.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>

#include "platform/base/cp1252.h"
#include "platform/font/fontmetrics.h"

namespace fontcache {
namespace {

// ---------------------------------------------------------------------------------------
// Face loading

struct Faces {
  FT_Library library = nullptr;
  FT_Face face[2] = {nullptr, nullptr};  // regular, bold
  bool syntheticBold = false;             // no bold face: bold is made from the regular one
  bool loaded = false;
  bool warned = false;
  std::string tahomaDir = kTahomaDir;
  SizedFontCache sized;
};

std::mutex& Lock() {
  static std::mutex m;
  return m;
}

Faces& State() {
  static Faces faces;
  return faces;
}

FT_Face OpenFace(FT_Library lib, const std::string& path) {
  if (path.empty()) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(lib, path.c_str(), 0, &face) != 0) return nullptr;
  if (!FT_IS_SCALABLE(face) && face->num_fixed_sizes == 0) {
    FT_Done_Face(face);
    return nullptr;
  }
  return face;
}

// fontconfig is needed only when the Tahoma faces are missing, so it is opened then: a start
// with the faces in place never maps it, nor the XML parser it brings along.
struct FontconfigCalls {
  decltype(&FcInitLoadConfigAndFonts) initLoadConfigAndFonts = nullptr;
  decltype(&FcNameParse) nameParse = nullptr;
  decltype(&FcConfigSubstitute) configSubstitute = nullptr;
  decltype(&FcDefaultSubstitute) defaultSubstitute = nullptr;
  decltype(&FcFontMatch) fontMatch = nullptr;
  decltype(&FcPatternGetString) patternGetString = nullptr;
  decltype(&FcPatternDestroy) patternDestroy = nullptr;
  decltype(&FcConfigDestroy) configDestroy = nullptr;
};

template <typename F>
bool Bind(void* lib, const char* name, F& f) {
  f = reinterpret_cast<F>(dlsym(lib, name));
  return f != nullptr;
}

// The library stays open for the rest of the process once found.
const FontconfigCalls* Fontconfig() {
  static const std::optional<FontconfigCalls> calls = []() -> std::optional<FontconfigCalls> {
    void* lib = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return std::nullopt;
    FontconfigCalls c;
    if (Bind(lib, "FcInitLoadConfigAndFonts", c.initLoadConfigAndFonts) && Bind(lib, "FcNameParse", c.nameParse) &&
        Bind(lib, "FcConfigSubstitute", c.configSubstitute) && Bind(lib, "FcDefaultSubstitute", c.defaultSubstitute) &&
        Bind(lib, "FcFontMatch", c.fontMatch) && Bind(lib, "FcPatternGetString", c.patternGetString) &&
        Bind(lib, "FcPatternDestroy", c.patternDestroy) && Bind(lib, "FcConfigDestroy", c.configDestroy))
      return c;
    dlclose(lib);
    return std::nullopt;
  }();
  return calls ? &*calls : nullptr;
}

// Asks a private fontconfig configuration, dropped again at once: the lookup happens once
// per process, and the shared default configuration would stay allocated until exit.
std::string FontconfigFile(const char* pattern) {
  const FontconfigCalls* fc = Fontconfig();
  if (!fc) return {};
  FcConfig* config = fc->initLoadConfigAndFonts();
  if (!config) return {};
  FcPattern* pat = fc->nameParse(reinterpret_cast<const FcChar8*>(pattern));
  std::string file;
  if (pat) {
    fc->configSubstitute(config, pat, FcMatchPattern);
    fc->defaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = fc->fontMatch(config, pat, &result)) {
      FcChar8* s = nullptr;
      if (fc->patternGetString(match, FC_FILE, 0, &s) == FcResultMatch && s) file = reinterpret_cast<char*>(s);
      fc->patternDestroy(match);
    }
    fc->patternDestroy(pat);
  }
  fc->configDestroy(config);
  return file;
}

void LoadFaces(Faces& st) {
  if (st.loaded) return;
  st.loaded = true;
  if (!st.library && FT_Init_FreeType(&st.library) != 0) {
    st.library = nullptr;
    std::fprintf(stderr, "platform/font: FreeType could not be initialised; text is not drawn\n");
    return;
  }
  // A face file that is there but cannot be loaded is told apart from a missing one.
  bool unloadable = false;
  for (int i = 0; i < 2; ++i) {
    const std::string path = st.tahomaDir + (i == 0 ? "/tahoma.ttf" : "/tahomabd.ttf");
    st.face[i] = OpenFace(st.library, path);
    if (!st.face[i] && ::access(path.c_str(), F_OK) == 0) unloadable = true;
  }
  const bool fellBack = !st.face[0] || !st.face[1];
  if (!st.face[0]) st.face[0] = OpenFace(st.library, FontconfigFile("DejaVu Sans"));
  if (!st.face[1]) st.face[1] = OpenFace(st.library, FontconfigFile("DejaVu Sans:bold"));
  st.syntheticBold = !st.face[1];
  if (fellBack && !st.warned) {
    st.warned = true;
    std::fprintf(stderr,
                 "platform/font: Tahoma faces %s %s (package fonts-wine); "
                 "using DejaVu Sans, so text will not look as on Windows\n",
                 unloadable ? "could not be loaded from" : "not found in", st.tahomaDir.c_str());
  }
  if (!st.face[0] && !st.face[1])
    std::fprintf(stderr, "platform/font: no usable font face found; text is not drawn\n");
}

FT_Face FaceFor(Faces& st, bool bold) {
  if (bold && st.face[1]) return st.face[1];
  return st.face[0] ? st.face[0] : st.face[1];
}

// ---------------------------------------------------------------------------------------
// Design numbers: the Windows ascent and descent of the OS/2 table, else the face's own.

DesignMetrics ReadDesignMetrics(FT_Face face) {
  DesignMetrics m;
  m.upem = face->units_per_EM > 0 ? face->units_per_EM : 2048;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    m.winAscent = os2->usWinAscent;
    m.winDescent = os2->usWinDescent;
    m.strikePos = os2->yStrikeoutPosition;
    m.strikeSize = os2->yStrikeoutSize;
    m.avgWidth = os2->xAvgCharWidth;
  } else {
    m.winAscent = face->ascender;
    m.winDescent = -face->descender;
  }
  if (post) {
    m.underlinePos = post->underlinePosition;
    m.underlineThick = post->underlineThickness;
  }
  CompleteDesignMetrics(m);
  return m;
}

// ---------------------------------------------------------------------------------------
// Glyph rendering

Glyph RenderGlyph(FT_Face face, FT_UInt index) {
  Glyph g;
  // Monochrome loading picks the face's embedded 1-bit strike where one exists for the
  // size and hints outlines for 1-bit output otherwise: crisp and the same every run.
  if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME | FT_LOAD_RENDER) != 0) return g;
  const FT_GlyphSlot slot = face->glyph;
  g.advance = int((slot->advance.x + 32) >> 6);
  const FT_Bitmap& bm = slot->bitmap;
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  g.width = int(bm.width);
  g.height = int(bm.rows);
  g.pitch = (g.width + 7) / 8;
  g.bits.assign(std::size_t(g.pitch) * g.height, 0);
  for (int y = 0; y < g.height; ++y) {
    const unsigned char* src = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
    BYTE* dst = g.bits.data() + std::size_t(y) * g.pitch;
    if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
      std::copy(src, src + g.pitch, dst);
    } else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
      for (int x = 0; x < g.width; ++x)
        if (src[x] >= 128) dst[x / 8] = BYTE(dst[x / 8] | (0x80 >> (x % 8)));
    }
  }
  // Clear padding bits so glyph masks compare equal byte for byte.
  if (g.width % 8)
    for (int y = 0; y < g.height; ++y) g.bits[std::size_t(y) * g.pitch + g.pitch - 1] &= BYTE(0xFF << (8 - g.width % 8));
  return g;
}

// Bold from a regular glyph as GDI makes it: every pixel doubled one column to the right.
void Embolden(Glyph& g) {
  if (g.width == 0) {
    ++g.advance;
    return;
  }
  Glyph b = g;
  b.width = g.width + 1;
  b.pitch = (b.width + 7) / 8;
  b.bits.assign(std::size_t(b.pitch) * b.height, 0);
  for (int y = 0; y < g.height; ++y)
    for (int x = 0; x < g.width; ++x)
      if (g.Bit(x, y))
        for (int dx = 0; dx < 2; ++dx) b.bits[std::size_t(y) * b.pitch + (x + dx) / 8] |= BYTE(0x80 >> ((x + dx) % 8));
  b.advance = g.advance + 1;
  g = std::move(b);
}

std::shared_ptr<const SizedFont> BuildSizedFont(Faces& st, bool bold, int px) {
  auto f = std::make_shared<SizedFont>();
  f->bold = bold;
  f->pixelSize = px;
  FT_Face face = FaceFor(st, bold);
  if (!face) {
    SetRowsWithoutFace(*f);
    return f;
  }
  f->hasFace = true;
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(px));
  const DesignMetrics m = ReadDesignMetrics(face);
  SetRows(*f, m);
  const bool embolden = bold && st.syntheticBold;
  // The control bytes and the undefined ones all show the face's missing-glyph shape,
  // which even the faces with embedded strikes make from its outline, the costly way:
  // each glyph index is made once and copied to every byte that shares it.
  FT_UInt indexOf[256];
  for (int b = 0; b < 256; ++b) {
    const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(Cp1252ToUnicode(static_cast<unsigned char>(b))));
    indexOf[b] = index;
    Glyph& g = f->glyphs[std::size_t(b)];
    const FT_UInt* seen = std::find(indexOf, indexOf + b, index);
    if (seen != indexOf + b) {
      g = f->glyphs[std::size_t(seen - indexOf)];
      continue;
    }
    g = RenderGlyph(face, index);
    if (embolden) Embolden(g);
  }
  SetWidths(*f, m);
  return f;
}

}  // namespace

std::shared_ptr<const SizedFont> GetSizedFont(bool bold, int pixelSize) {
  std::lock_guard<std::mutex> guard(Lock());
  Faces& st = State();
  LoadFaces(st);
  return st.sized.Get(bold, pixelSize, [&st](bool b, int px) { return BuildSizedFont(st, b, px); });
}

int PixelSizeForHeight(bool bold, LONG lfHeight) {
  return PixelSizeForHeightWith(lfHeight, [bold]() -> std::optional<DesignMetrics> {
    std::lock_guard<std::mutex> guard(Lock());
    Faces& st = State();
    LoadFaces(st);
    FT_Face face = FaceFor(st, bold);
    if (!face) return std::nullopt;
    return ReadDesignMetrics(face);
  });
}

void ResetForTesting(const std::string& tahomaDir) {
  std::lock_guard<std::mutex> guard(Lock());
  Faces& st = State();
  st.sized.Clear();
  for (FT_Face& f : st.face) {
    if (f) FT_Done_Face(f);
    f = nullptr;
  }
  st.loaded = false;
  st.warned = false;
  st.syntheticBold = false;
  st.tahomaDir = tahomaDir;
}

}  // namespace fontcache
