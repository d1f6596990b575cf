// pngtool: reads a PNG file with the codec and reports its header and chunks (info),
// writes its pixels as a PAM file (decode), or times decoding from memory (time).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "png/pngimage.h"
#include "ui/core/streams.h"

namespace {

std::vector<std::uint8_t> LoadFile(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  if (!f) throw EFOpenError("Cannot open file \"" + name + "\"");
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

const char* KindName(TTransparencyKind k) {
  switch (k) {
    case tkKeyColor: return "tkKeyColor";
    case tkAlpha: return "tkAlpha";
    default: return "tkNone";
  }
}

void Read(TPngImage& png, const std::vector<std::uint8_t>& bytes) {
  TBytesStream stream(bytes.data(), std::int64_t(bytes.size()));
  png.ReadFromStream(stream);
}

int Info(const std::string& file) {
  TPngImage png;
  Read(png, LoadFile(file));
  TChunkIHDR& h = png.ImageHeader();
  std::string chunks;
  for (std::uint32_t i = 0; i < png.Chunks().Count(); ++i) {
    if (i) chunks += ',';
    chunks += png.Chunks().Item(i)->ChunkTypeText();
  }
  std::printf("ok width=%u height=%d colortype=%u bitdepth=%u interlace=%u transparency=%s chunks=%s\n",
              h.ImageWidth(), h.ImageHeight(), h.ColorType(), h.BitDepth(), unsigned(png.Interlacing()),
              KindName(png.TransparencyKind()), chunks.c_str());
  return 0;
}

int Decode(const std::string& file, const std::string& out) {
  TPngImage png;
  Read(png, LoadFile(file));
  TChunkIHDR& h = png.ImageHeader();
  int w = png.PixelWidth(), ht = png.PixelHeight();
  TTransparencyKind kind = png.TransparencyKind();
  COLORREF key = png.KeyColor();
  const TChunktRNS* trns = png.Chunks().FirstOfClass<TChunktRNS>();
  unsigned bits = unsigned(h.StorageBits());
  std::string data;
  data.reserve(std::size_t(w) * std::size_t(ht) * 4);
  for (int y = 0; y < ht; ++y) {
    const std::uint8_t* alpha = png.AlphaRow(y);
    const std::uint8_t* row = png.PixelRow(y);
    for (int x = 0; x < w; ++x) {
      COLORREF c = png.PixelColor(x, y);
      unsigned a = 255;
      if (h.ColorType() == 4 || h.ColorType() == 6) {
        a = alpha ? alpha[x] : 255;
      } else if (h.ColorType() == 3 && kind == tkAlpha && trns) {
        unsigned i = bits == 1 ? (row[x >> 3] >> (7 - (x & 7))) & 1
                     : bits == 4 ? (row[x >> 1] >> (4 - (x & 1) * 4)) & 15
                                 : row[x];
        a = trns->AlphaValues()[i];
      } else if (kind == tkKeyColor && c == key) {
        a = 0;
      }
      data.push_back(char(c & 0xFF));
      data.push_back(char(c >> 8 & 0xFF));
      data.push_back(char(c >> 16 & 0xFF));
      data.push_back(char(a));
    }
  }
  std::ofstream f(out, std::ios::binary);
  if (!f) throw EFCreateError("Cannot create file \"" + out + "\"");
  f << "P7\nWIDTH " << w << "\nHEIGHT " << ht << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  f.write(data.data(), std::streamsize(data.size()));
  return 0;
}

int Time(const std::string& file, int repeat) {
  std::vector<std::uint8_t> bytes = LoadFile(file);
  std::vector<double> ms;
  for (int i = 0; i < std::max(repeat, 1); ++i) {
    auto t0 = std::chrono::steady_clock::now();
    TPngImage png;
    Read(png, bytes);
    auto t1 = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%.3f\n", ms[ms.size() / 2]);
  return 0;
}

int Usage() {
  std::fprintf(stderr, "usage: pngtool info FILE | decode FILE OUT.pam | time FILE [REPEAT]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string cmd = argv[1];
  try {
    if (cmd == "info" && argc == 3) return Info(argv[2]);
    if (cmd == "decode" && argc == 4) return Decode(argv[2], argv[3]);
    if (cmd == "time" && (argc == 3 || argc == 4)) return Time(argv[2], argc == 4 ? std::atoi(argv[3]) : 20);
  } catch (const Exception& e) {
    std::printf("error %s: %s\n", e.ClassName(), Escaped(e.Message()).c_str());
    return 1;
  }
  return Usage();
}
