// Decoding speed of the codec against libpng and libspng, and against zlib's inflate of
// the same data alone, on images made at start-up: a photograph-like 2048 x 2048 RGBA
// picture, the same as 8-bit palette, 16-bit RGB and Adam7, and a 48 x 48 RGBA one, the
// size of the launcher's icons, whose short rows are what its start-up decodes. Each peer decodes every image
// three ways: as such libraries are usually called (zlib's Adler-32 checked, expanded to
// 8-bit RGBA), and with the Adler-32 check skipped as our decoder skips it (the chunk CRCs
// already cover the data) once to its native layout (palette indices, 16-bit samples as
// stored: the same work as ours) and once to 8-bit RGBA.
// Also the alpha-blend drawing path (onto 32- and 24-bit bitmaps, with photograph
// and icon-like alpha) against a plain 32-bit copy; bench_blend measures its row kernels
// per instruction-set level. The ratios (medians of the repetitions) are printed after the table.
#include <benchmark/benchmark.h>
#include <png.h>
#include <spng.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "png/pngimage.h"
#include "ui/core/streams.h"
#include "ui/graphics/graphics.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kSize = 2048;

// ---------------------------------------------------------------------------------------
// Test images

struct Picture {
  std::vector<std::uint8_t> rgba;  // kSize * kSize * 4
};

const Picture& Photo(int size) {
  static std::map<int, Picture> cache;
  auto it = cache.find(size);
  if (it != cache.end()) return it->second;
  Picture p;
  p.rgba.resize(std::size_t(size) * size * 4);
  std::uint32_t seed = 12345;
  auto noise = [&](int amp) {
    seed = seed * 1664525u + 1013904223u;
    return int(seed >> 24) % (2 * amp + 1) - amp;
  };
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      double fx = double(x) / size, fy = double(y) / size;
      int r = int(128 + 100 * std::sin(fx * 6.0 + fy * 2.0)) + noise(3);
      int g = int(128 + 90 * std::cos(fy * 5.0 - fx * 1.5)) + noise(3);
      int b = int(100 + 80 * std::sin((fx + fy) * 4.0)) + noise(3);
      int a = int(160 + 90 * std::cos(fx * 3.0) * std::sin(fy * 3.0)) + noise(2);
      std::uint8_t* q = &p.rgba[(std::size_t(y) * size + x) * 4];
      q[0] = std::uint8_t(std::clamp(r, 0, 255));
      q[1] = std::uint8_t(std::clamp(g, 0, 255));
      q[2] = std::uint8_t(std::clamp(b, 0, 255));
      q[3] = std::uint8_t(std::clamp(a, 0, 255));
    }
  }
  return cache.emplace(size, std::move(p)).first->second;
}

void WriteFn(png_structp p, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(p));
  out->insert(out->end(), data, data + n);
}
void FlushFn(png_structp) {}

enum Kind { kRgba, kPalette, kRgb16, kAdam7, kIcon };
constexpr Kind kKinds[] = {kRgba, kPalette, kRgb16, kAdam7, kIcon};

int SizeOf(Kind kind) { return kind == kIcon ? 48 : kSize; }

Bytes Encode(Kind kind, int size) {
  const Picture& pic = Photo(size);
  Bytes out;
  png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  if (setjmp(png_jmpbuf(p))) std::abort();
  png_set_write_fn(p, &out, WriteFn, FlushFn);
  int colorType = kind == kPalette ? PNG_COLOR_TYPE_PALETTE : kind == kRgb16 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA;
  png_set_IHDR(p, info, png_uint_32(size), png_uint_32(size), kind == kRgb16 ? 16 : 8, colorType,
               kind == kAdam7 ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_color palette[256];
  if (kind == kPalette) {
    // A 6 x 7 x 6 colour cube.
    for (int i = 0; i < 252; ++i) {
      palette[i].red = png_byte(i / 42 * 51);
      palette[i].green = png_byte(i / 6 % 7 * 42);
      palette[i].blue = png_byte(i % 6 * 51);
    }
    png_set_PLTE(p, info, palette, 252);
  }
  png_write_info(p, info);
  if (kind == kRgb16) png_set_swap(p);  // rows below are little-endian 16-bit samples
  int passes = kind == kAdam7 ? png_set_interlace_handling(p) : 1;
  std::size_t bpp = kind == kPalette ? 1 : kind == kRgb16 ? 6 : 4;
  std::vector<std::uint8_t> row(std::size_t(size) * bpp);
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < size; ++y) {
      const std::uint8_t* s = &pic.rgba[std::size_t(y) * size * 4];
      for (int x = 0; x < size; ++x, s += 4) {
        if (kind == kPalette) {
          row[std::size_t(x)] = std::uint8_t((s[0] + 25) / 51 * 42 + (s[1] + 21) / 42 * 6 + (s[2] + 25) / 51);
        } else if (kind == kRgb16) {
          for (int c = 0; c < 3; ++c) {
            std::uint16_t v = std::uint16_t(s[c] << 8 | ((s[c] * 37 + x) & 0xFF));
            std::memcpy(&row[std::size_t(x) * 6 + std::size_t(c) * 2], &v, 2);
          }
        } else {
          std::memcpy(&row[std::size_t(x) * 4], s, 4);
        }
      }
      png_write_row(p, row.data());
    }
  }
  png_write_end(p, nullptr);
  png_destroy_write_struct(&p, &info);
  return out;
}

const Bytes& File(Kind kind) {
  static std::map<Kind, Bytes> cache;
  auto it = cache.find(kind);
  if (it == cache.end()) it = cache.emplace(kind, Encode(kind, SizeOf(kind))).first;
  return it->second;
}

const char* KindName(Kind k) {
  switch (k) {
    case kRgba: return "rgba";
    case kPalette: return "palette8";
    case kRgb16: return "rgb16";
    case kIcon: return "icon48";
    default: return "adam7";
  }
}

// The IDAT bodies of a file, joined.
Bytes IdatData(const Bytes& png) {
  Bytes z;
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    std::uint32_t len = std::uint32_t(png[at]) << 24 | std::uint32_t(png[at + 1]) << 16 | std::uint32_t(png[at + 2]) << 8 | png[at + 3];
    if (std::memcmp(&png[at + 4], "IDAT", 4) == 0) z.insert(z.end(), png.begin() + std::ptrdiff_t(at + 8), png.begin() + std::ptrdiff_t(at + 8 + len));
    at += 12 + len;
  }
  return z;
}

// ---------------------------------------------------------------------------------------
// Decoders

void DecodeOurs(const Bytes& file) {
  TPngImage png;
  TBytesStream s(file.data(), std::int64_t(file.size()));
  png.ReadFromStream(s);
  benchmark::DoNotOptimize(png.PixelRow(0));
}

struct Reader {
  const Bytes* data;
  std::size_t pos;
};
void ReadFn(png_structp p, png_bytep out, png_size_t n) {
  auto* r = static_cast<Reader*>(png_get_io_ptr(p));
  if (r->pos + n > r->data->size()) png_error(p, "eof");
  std::memcpy(out, r->data->data() + r->pos, n);
  r->pos += n;
}

// How a peer is asked to decode: see the file comment.
enum Mode { kChecked, kNative, kToRgba };

const char* ModeName(Mode m) {
  switch (m) {
    case kChecked: return "checked-rgba";
    case kNative: return "native";
    default: return "rgba";
  }
}

void DecodeLibpng(const Bytes& file, Mode mode, std::vector<std::uint8_t>& out) {
  Reader r{&file, 0};
  png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(p);
  if (setjmp(png_jmpbuf(p))) std::abort();
  png_set_read_fn(p, &r, ReadFn);
  if (mode != kChecked) png_set_option(p, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
  png_read_info(p, info);
  if (mode != kNative) {
    png_set_expand(p);
    png_set_strip_16(p);
    png_set_gray_to_rgb(p);
    png_set_add_alpha(p, 0xFF, PNG_FILLER_AFTER);
  }
  png_set_interlace_handling(p);
  png_read_update_info(p, info);
  png_uint_32 h = png_get_image_height(p, info);
  std::size_t rowBytes = png_get_rowbytes(p, info);
  out.resize(rowBytes * h);
  std::vector<png_bytep> rows(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = out.data() + std::size_t(y) * rowBytes;
  png_read_image(p, rows.data());
  png_read_end(p, nullptr);
  png_destroy_read_struct(&p, &info, nullptr);
}

void DecodeSpng(const Bytes& file, Mode mode, std::vector<std::uint8_t>& out) {
  spng_ctx* ctx = spng_ctx_new(mode == kChecked ? 0 : SPNG_CTX_IGNORE_ADLER32);
  spng_set_png_buffer(ctx, file.data(), file.size());
  // Raw keeps 16-bit samples big-endian, as the file stores them.
  const int fmt = mode == kNative ? SPNG_FMT_RAW : SPNG_FMT_RGBA8;
  std::size_t n = 0;
  spng_decoded_image_size(ctx, fmt, &n);
  out.resize(n);
  if (spng_decode_image(ctx, out.data(), n, fmt, mode == kNative ? 0 : SPNG_DECODE_TRNS) != 0) std::abort();
  spng_ctx_free(ctx);
}

void BM_Ours(benchmark::State& state, Kind kind) {
  const Bytes& f = File(kind);
  for (auto _ : state) DecodeOurs(f);
  state.SetItemsProcessed(state.iterations() * SizeOf(kind) * SizeOf(kind));
}
void BM_Libpng(benchmark::State& state, Kind kind, Mode mode) {
  const Bytes& f = File(kind);
  for (auto _ : state) {
    std::vector<std::uint8_t> out;  // a new image each time, as the codec makes one
    DecodeLibpng(f, mode, out);
  }
  state.SetItemsProcessed(state.iterations() * SizeOf(kind) * SizeOf(kind));
}
void BM_Spng(benchmark::State& state, Kind kind, Mode mode) {
  const Bytes& f = File(kind);
  for (auto _ : state) {
    std::vector<std::uint8_t> out;
    DecodeSpng(f, mode, out);
  }
  state.SetItemsProcessed(state.iterations() * SizeOf(kind) * SizeOf(kind));
}

// The floor: inflating the RGBA image's data alone, into one buffer, without the Adler-32
// check (as the decoder inflates).
void BM_InflateOnly(benchmark::State& state) {
  Bytes z = IdatData(File(kRgba));
  std::vector<std::uint8_t> out(std::size_t(kSize) * (kSize * 4 + 1));
  for (auto _ : state) {
    z_stream zs{};
    inflateInit(&zs);
    inflateValidate(&zs, 0);
    zs.next_in = z.data();
    zs.avail_in = uInt(z.size());
    zs.next_out = out.data();
    zs.avail_out = uInt(out.size());
    if (inflate(&zs, Z_FINISH) != Z_STREAM_END) std::abort();
    inflateEnd(&zs);
  }
  state.SetItemsProcessed(state.iterations() * kSize * kSize);
}

// ---------------------------------------------------------------------------------------
// Drawing

constexpr int kDrawSize = 1024;

// The photograph-like RGBA image, or one whose alpha looks like icons: 64 x 64 tiles,
// each a transparent surround, an opaque disc and a soft edge between them.
TPngImage* DrawImage(bool icons) {
  static std::map<bool, std::unique_ptr<TPngImage>> cache;
  auto& slot = cache[icons];
  if (slot) return slot.get();
  Bytes f = Encode(kRgba, kDrawSize);
  slot = std::make_unique<TPngImage>();
  TBytesStream s(f.data(), std::int64_t(f.size()));
  slot->ReadFromStream(s);
  if (icons)
    for (int y = 0; y < kDrawSize; ++y) {
      std::uint8_t* a = slot->AlphaRow(y);
      for (int x = 0; x < kDrawSize; ++x) {
        double dx = x % 64 - 31.5, dy = y % 64 - 31.5, r = std::sqrt(dx * dx + dy * dy);
        a[x] = std::uint8_t(std::clamp(int((28.0 - r) * 64.0), 0, 255));
      }
    }
  return slot.get();
}

void SetDrawRate(benchmark::State& state) {
  state.counters["MP/s"] = benchmark::Counter(double(state.iterations()) * kDrawSize * kDrawSize / 1e6,
                                              benchmark::Counter::kIsRate);
}

// The whole alpha path onto a 32-bit or a 24-bit bitmap (both blended where they stand).
void BM_DrawAlpha(benchmark::State& state, bool icons, TPixelFormat format) {
  TPngImage& png = *DrawImage(icons);
  TBitmap canvas(kDrawSize, kDrawSize, format);
  canvas.Canvas()->Brush()->SetColor(clTeal);
  canvas.Canvas()->FillRect(RECT{0, 0, kDrawSize, kDrawSize});
  RECT r{0, 0, kDrawSize, kDrawSize};
  for (auto _ : state) png.DrawOnCanvas(*canvas.Canvas(), r);
  SetDrawRate(state);
}

void BM_CopyBitBlt(benchmark::State& state) {
  TBitmap source(kDrawSize, kDrawSize), canvas(kDrawSize, kDrawSize);
  source.Canvas()->Brush()->SetColor(clNavy);
  source.Canvas()->FillRect(RECT{0, 0, kDrawSize, kDrawSize});
  HDC src = source.Canvas()->Handle(), dst = canvas.Canvas()->Handle();
  for (auto _ : state) BitBlt(dst, 0, 0, kDrawSize, kDrawSize, src, 0, 0, SRCCOPY);
  SetDrawRate(state);
}

// ---------------------------------------------------------------------------------------
// Ratios (of CPU time: every decoder runs on one thread, and CPU time is what a shared
// machine measures reliably), each from the median of a benchmark's repetitions.

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred)
        samples[r.run_name.function_name].push_back(r.GetAdjustedCPUTime());
  }
  std::map<std::string, double> Medians() {
    std::map<std::string, double> m;
    for (auto& [name, v] : samples) {
      std::sort(v.begin(), v.end());
      m[name] = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    return m;
  }
  std::map<std::string, std::vector<double>> samples;
};

void PrintRatios(const std::map<std::string, double>& t) {
  auto get = [&](const std::string& n) {
    auto it = t.find(n);
    return it == t.end() ? 0.0 : it->second;
  };
  const Mode modes[] = {kChecked, kNative, kToRgba};
  std::printf("\nours against each peer decoding the same image (time ratio ours / peer; below 1 is faster)\n");
  std::printf("%-10s %9s", "image", "ours ms");
  for (const char* peer : {"libpng", "spng"})
    for (Mode m : modes) std::printf(" %19s", (std::string(peer) + " " + ModeName(m)).c_str());
  std::printf("\n");
  double logs[2][3] = {};
  int n = 0;
  for (Kind k : kKinds) {
    std::string name = KindName(k);
    double o = get("Ours/" + name);
    bool all = o > 0;
    for (const char* peer : {"Libpng/", "Spng/"})
      for (Mode m : modes) all = all && get(peer + name + "/" + ModeName(m)) > 0;
    if (!all) continue;
    std::printf("%-10s %9.3f", name.c_str(), o);
    int pi = 0;
    for (const char* peer : {"Libpng/", "Spng/"}) {
      for (int mi = 0; mi < 3; ++mi) {
        double p = get(peer + name + "/" + ModeName(modes[mi]));
        std::printf(" %8.2f ms %7.3f", p, o / p);
        logs[pi][mi] += std::log(o / p);
      }
      ++pi;
    }
    std::printf("\n");
    ++n;
  }
  if (n) {
    std::printf("%-10s %9s", "geomean", "");
    for (auto& peer : logs)
      for (double l : peer) std::printf(" %11s %7.3f", "", std::exp(l / n));
    std::printf("\n");
  }
  double inflateOnly = get("InflateOnly");
  if (inflateOnly > 0 && get("Ours/rgba") > 0)
    std::printf("rgba decode / inflate alone: %.3f\n", get("Ours/rgba") / inflateOnly);
  double copy = get("CopyBitBlt");
  if (copy > 0) {
    std::printf("32-bit copy %.1f MP/s\n", kDrawSize * kDrawSize / 1e3 / copy);
    for (const char* n : {"DrawAlpha", "DrawAlphaIcons", "DrawAlphaOn24"}) {
      double t = get(n);
      if (t > 0)
        std::printf("%-20s %8.1f MP/s, speed relative to the copy %.3f\n", n, kDrawSize * kDrawSize / 1e3 / t,
                    copy / t);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  // --dump=DIR writes the test images as files (for pngtool time and profiling).
  if (argc == 2 && std::strncmp(argv[1], "--dump=", 7) == 0) {
    for (Kind k : kKinds) {
      std::string name = std::string(argv[1] + 7) + "/" + KindName(k) + ".png";
      if (FILE* f = std::fopen(name.c_str(), "wb")) {
        std::fwrite(File(k).data(), 1, File(k).size(), f);
        std::fclose(f);
      }
    }
    return 0;
  }
  for (Kind k : kKinds) {
    std::string n = KindName(k);
    benchmark::RegisterBenchmark(("Ours/" + n).c_str(), BM_Ours, k)->Unit(benchmark::kMillisecond);
    for (Mode m : {kChecked, kNative, kToRgba}) {
      std::string suffix = n + "/" + ModeName(m);
      benchmark::RegisterBenchmark(("Libpng/" + suffix).c_str(), BM_Libpng, k, m)->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark(("Spng/" + suffix).c_str(), BM_Spng, k, m)->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::RegisterBenchmark("InflateOnly", BM_InflateOnly)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("DrawAlpha", BM_DrawAlpha, false, pfDevice)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("DrawAlphaIcons", BM_DrawAlpha, true, pfDevice)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("DrawAlphaOn24", BM_DrawAlpha, false, pf24bit)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("CopyBitBlt", BM_CopyBitBlt)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  for (Kind k : kKinds) File(k);  // encode before timing starts
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatios(reporter.Medians());
  benchmark::Shutdown();
  return 0;
}
