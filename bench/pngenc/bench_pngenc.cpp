// Encoding speed and size of the codec against libpng and libspng at the same deflate level
// and filters, on two 2048 x 2048 pictures made at start-up: a photograph-like RGBA image
// and an 8-bit palette screenshot (flat panels, title bars, text, icons). Each encoder
// writes a whole file into memory; ratios of time and bytes are printed after the table.
#include <benchmark/benchmark.h>
#include <png.h>
#include <spng.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "png/pngimage.h"
#include "ui/core/streams.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kSize = 2048;
int gLevel = 6;  // --level=N chooses another; level 0 shows what is spent outside deflate

// ---------------------------------------------------------------------------------------
// Pictures: rows of RGBA bytes, or of palette indexes with a 256-entry palette.

struct Picture {
  bool palette = false;
  Bytes pixels;        // kSize * kSize * (palette ? 1 : 4)
  png_color plte[256];
};

std::uint32_t gSeed = 12345;
int Noise(int amp) {
  gSeed = gSeed * 1664525u + 1013904223u;
  return int(gSeed >> 24) % (2 * amp + 1) - amp;
}

Picture MakePhoto() {
  Picture p;
  p.pixels.resize(std::size_t(kSize) * kSize * 4);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      double fx = double(x) / kSize, fy = double(y) / kSize;
      int v[4] = {int(128 + 100 * std::sin(fx * 6.0 + fy * 2.0)) + Noise(3),
                  int(128 + 90 * std::cos(fy * 5.0 - fx * 1.5)) + Noise(3),
                  int(100 + 80 * std::sin((fx + fy) * 4.0)) + Noise(3),
                  int(160 + 90 * std::cos(fx * 3.0) * std::sin(fy * 3.0)) + Noise(2)};
      for (int c = 0; c < 4; ++c) p.pixels[(std::size_t(y) * kSize + x) * 4 + c] = std::uint8_t(std::clamp(v[c], 0, 255));
    }
  return p;
}

// A desktop of windows: a colour cube plus 40 greys as palette; a dithered background,
// window frames with shaded title bars, lines of glyph-like text, buttons and icons.
Picture MakeScreenshot() {
  Picture p;
  p.palette = true;
  for (int i = 0; i < 216; ++i) p.plte[i] = {png_byte(i / 36 * 51), png_byte(i / 6 % 6 * 51), png_byte(i % 6 * 51)};
  for (int i = 0; i < 40; ++i) p.plte[216 + i] = {png_byte(i * 255 / 39), png_byte(i * 255 / 39), png_byte(i * 255 / 39)};
  auto grey = [](int level) { return std::uint8_t(216 + level * 39 / 255); };
  p.pixels.resize(std::size_t(kSize) * kSize);
  auto at = [&](int x, int y) -> std::uint8_t& { return p.pixels[std::size_t(y) * kSize + x]; };
  auto fill = [&](int x0, int y0, int x1, int y1, std::uint8_t c) {
    for (int y = std::max(y0, 0); y < std::min(y1, kSize); ++y)
      for (int x = std::max(x0, 0); x < std::min(x1, kSize); ++x) at(x, y) = c;
  };
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) at(x, y) = std::uint8_t(((x + y) / 64 + ((x ^ y) & 1)) % 3 * 6 + 3);
  for (int w = 0; w < 14; ++w) {
    int x0 = (w * 331) % 1500, y0 = (w * 517) % 1400, ww = 400 + (w * 97) % 500, hh = 300 + (w * 71) % 500;
    fill(x0 - 1, y0 - 1, x0 + ww + 1, y0 + hh + 1, grey(64));
    fill(x0, y0, x0 + ww, y0 + hh, grey(212));
    for (int x = x0; x < x0 + ww; ++x) fill(x, y0, x + 1, y0 + 22, std::uint8_t(5 + (x - x0) * 5 / ww * 6));
    fill(x0 + 8, y0 + 30, x0 + ww - 8, y0 + hh - 40, grey(255));
    // Text: each glyph a 6 x 9 cell with strokes from its code.
    for (int line = y0 + 34; line + 12 < y0 + hh - 44; line += 14)
      for (int cx = x0 + 12; cx + 7 < x0 + ww - 12; cx += 7) {
        std::uint32_t code = std::uint32_t(Noise(1000) + 1000) * 2654435761u;
        if ((code >> 28) < 2) continue;  // spaces
        for (int gy = 0; gy < 9; ++gy)
          for (int gx = 0; gx < 5; ++gx)
            if ((code >> ((gy * 5 + gx) % 31)) & 1 && (gx == 0 || gy == 4 || gy == 8 || gx == 4)) at(cx + gx, line + gy) = 0;
      }
    for (int b = 0; b < 2; ++b) {
      int bx = x0 + ww - 180 + b * 88, by = y0 + hh - 32;
      fill(bx, by, bx + 80, by + 24, grey(64));
      fill(bx + 1, by + 1, bx + 79, by + 23, grey(212));
    }
    for (int i = 0; i < 4; ++i)  // icons
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
          int dx = x - 16, dy = y - 16;
          if (dx * dx + dy * dy < 196) at(x0 + 12 + i * 40 + x, y0 + hh - 36 + y - 0) = std::uint8_t((i * 43 + (x + y) / 4) % 216);
        }
  }
  return p;
}

const Picture& Get(bool palette) {
  static std::map<bool, Picture> cache;
  auto it = cache.find(palette);
  if (it == cache.end()) it = cache.emplace(palette, palette ? MakeScreenshot() : MakePhoto()).first;
  return it->second;
}

// ---------------------------------------------------------------------------------------
// libpng

void WriteFn(png_structp p, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(p));
  out->insert(out->end(), data, data + n);
}
void FlushFn(png_structp) {}

Bytes EncodeLibpng(const Picture& pic, int level, int filters) {
  Bytes out;
  png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  if (setjmp(png_jmpbuf(p))) std::abort();
  png_set_write_fn(p, &out, WriteFn, FlushFn);
  png_set_IHDR(p, info, kSize, kSize, 8, pic.palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (pic.palette) png_set_PLTE(p, info, pic.plte, 256);
  png_set_compression_level(p, level);
  png_set_filter(p, PNG_FILTER_TYPE_BASE, filters);
  png_write_info(p, info);
  std::size_t stride = std::size_t(kSize) * (pic.palette ? 1 : 4);
  for (int y = 0; y < kSize; ++y) png_write_row(p, pic.pixels.data() + stride * std::size_t(y));
  png_write_end(p, nullptr);
  png_destroy_write_struct(&p, &info);
  return out;
}

// ---------------------------------------------------------------------------------------
// libspng

std::size_t EncodeSpng(const Picture& pic, int level, int filters) {
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, level);
  spng_set_option(ctx, SPNG_FILTER_CHOICE, filters);
  spng_ihdr ihdr{};
  ihdr.width = ihdr.height = kSize;
  ihdr.bit_depth = 8;
  ihdr.color_type = pic.palette ? SPNG_COLOR_TYPE_INDEXED : SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
  spng_set_ihdr(ctx, &ihdr);
  if (pic.palette) {
    spng_plte plte{};
    plte.n_entries = 256;
    for (int i = 0; i < 256; ++i) plte.entries[i] = {pic.plte[i].red, pic.plte[i].green, pic.plte[i].blue, 0};
    spng_set_plte(ctx, &plte);
  }
  if (spng_encode_image(ctx, pic.pixels.data(), pic.pixels.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE)) std::abort();
  std::size_t len = 0;
  int err = 0;
  void* buf = spng_get_png_buffer(ctx, &len, &err);
  if (!buf || err) std::abort();
  std::free(buf);
  spng_ctx_free(ctx);
  return len;
}

// ---------------------------------------------------------------------------------------
// The codec: the picture is read once (from libpng's file at level 0) and written each time.

TPngImage& OursImage(bool palette) {
  static std::map<bool, std::unique_ptr<TPngImage>> cache;
  auto& slot = cache[palette];
  if (!slot) {
    Bytes file = EncodeLibpng(Get(palette), 0, PNG_FILTER_NONE);
    slot = std::make_unique<TPngImage>();
    TBytesStream s(file.data(), std::int64_t(file.size()));
    slot->ReadFromStream(s);
  }
  return *slot;
}

// ---------------------------------------------------------------------------------------
// Benchmarks

enum Encoder { kOurs, kLibpng, kSpng };
struct Setting {
  bool palette;
  bool allFilters;
};

std::string Name(Encoder e, Setting s) {
  static const char* const names[] = {"Ours", "Libpng", "Spng"};
  return std::string(names[e]) + (s.palette ? "/palette" : "/photo") + (s.allFilters ? "/all" : "/sub");
}

std::map<std::string, double> gBytes;

void BM_Encode(benchmark::State& state, Encoder e, Setting s) {
  const Picture& pic = Get(s.palette);
  std::size_t bytes = 0;
  if (e == kOurs) {
    TPngImage& png = OursImage(s.palette);
    png.SetDeflateLevel(gLevel);
    png.SetFilterSet(s.allFilters ? 31 : pfSub);
    for (auto _ : state) {
      TMemoryStream m;
      png.WriteToStream(m);
      bytes = std::size_t(m.Size());
    }
  } else if (e == kLibpng) {
    for (auto _ : state) bytes = EncodeLibpng(pic, gLevel, s.allFilters ? PNG_ALL_FILTERS : PNG_FILTER_SUB).size();
  } else {
    for (auto _ : state) bytes = EncodeSpng(pic, gLevel, s.allFilters ? SPNG_FILTER_CHOICE_ALL : SPNG_FILTER_CHOICE_SUB);
  }
  state.counters["bytes"] = double(bytes);
  gBytes[Name(e, s)] = double(bytes);
}

// Ratios of CPU time: every encoder runs on one thread, and CPU time is what a shared
// machine measures reliably.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred) times[r.benchmark_name()] = r.GetAdjustedCPUTime();
  }
  std::map<std::string, double> times;
};

void PrintRatios(const std::map<std::string, double>& t) {
  auto get = [](const std::map<std::string, double>& m, const std::string& n) {
    auto it = m.find(n);
    return it == m.end() ? 0.0 : it->second;
  };
  std::printf("\n%-14s %9s %9s %9s %12s %10s %12s %10s\n", "picture", "ours ms", "libpng ms", "spng ms",
              "time/libpng", "time/spng", "bytes/libpng", "bytes/spng");
  for (bool palette : {false, true})
    for (bool all : {false, true}) {
      Setting s{palette, all};
      std::string label = std::string(palette ? "palette" : "photo") + (all ? "/all" : "/sub");
      double o = get(t, Name(kOurs, s)), l = get(t, Name(kLibpng, s)), p = get(t, Name(kSpng, s));
      double ob = get(gBytes, Name(kOurs, s)), lb = get(gBytes, Name(kLibpng, s)), pb = get(gBytes, Name(kSpng, s));
      if (o <= 0 || l <= 0 || p <= 0 || lb <= 0 || pb <= 0) continue;
      std::printf("%-14s %9.1f %9.1f %9.1f %12.3f %10.3f %12.4f %10.4f\n", label.c_str(), o, l, p, o / l, o / p,
                  ob / lb, ob / pb);
    }
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--level=", 8) == 0) {
      gLevel = std::atoi(argv[i] + 8);
      std::copy(argv + i + 1, argv + argc, argv + i);
      --argc;
      break;
    }
  for (bool palette : {false, true})
    for (bool all : {false, true})
      for (Encoder e : {kOurs, kLibpng, kSpng})
        benchmark::RegisterBenchmark(Name(e, {palette, all}).c_str(), BM_Encode, e, Setting{palette, all})
            ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  for (bool palette : {false, true}) OursImage(palette);  // made before timing starts
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter.times);
  benchmark::Shutdown();
  return 0;
}
