// pngtool: reads a PNG file with the codec and reports its header and chunks (info),
// writes its pixels as a PAM file (decode), times decoding from memory (time), writes a
// PAM file as PNG (encode), or reads a PNG file and writes it again (recode).
#include <algorithm>
#include <charconv>
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

// ---------------------------------------------------------------------------------------
// encode and recode: the options they share, PAM input, and whole-file output

struct EncodeOptions {
  int level = -1;       // -1: the image's own DeflateLevel
  int filterSet = -1;   // -1: the image's own FilterSet
};

// Takes "--level N" and "--filters none,sub,up,avg,paeth|all" from args[from..]; false on
// anything else.
bool ParseEncodeOptions(int argc, char** argv, int from, EncodeOptions& options) {
  for (int i = from; i < argc; i += 2) {
    if (i + 1 >= argc) return false;
    std::string key = argv[i], value = argv[i + 1];
    if (key == "--level") {
      int level = -1;
      auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), level);
      if (ec != std::errc() || end != value.data() + value.size() || level < 0 || level > 9) return false;
      options.level = level;
    } else if (key == "--filters") {
      static const std::pair<const char*, int> kNames[] = {
          {"none", pfNone}, {"sub", pfSub}, {"up", pfUp}, {"avg", pfAverage}, {"paeth", pfPaeth}, {"all", 31}};
      int set = 0;
      std::size_t start = 0;
      while (start <= value.size()) {
        std::size_t comma = std::min(value.find(',', start), value.size());
        std::string name = value.substr(start, comma - start);
        auto it = std::find_if(std::begin(kNames), std::end(kNames), [&](const auto& n) { return name == n.first; });
        if (it == std::end(kNames)) return false;
        set |= it->second;
        start = comma + 1;
      }
      options.filterSet = set;
    } else {
      return false;
    }
  }
  return true;
}

// The image is written to memory first, so a failure never leaves a partial file.
void WriteImage(TPngImage& png, const EncodeOptions& options, const std::string& out) {
  if (options.level >= 0) png.SetDeflateLevel(std::uint8_t(options.level));
  if (options.filterSet >= 0) png.SetFilterSet(std::uint8_t(options.filterSet));
  TMemoryStream data;
  png.WriteToStream(data);
  std::ofstream f(out, std::ios::binary);
  if (!f) throw EFCreateError("Cannot create file \"" + out + "\"");
  f.write(reinterpret_cast<const char*>(data.Memory()), std::streamsize(data.Size()));
  f.close();
  if (!f) {
    std::remove(out.c_str());
    throw EWriteError("Cannot write file \"" + out + "\"");
  }
}

struct Pam {
  std::uint32_t width = 0, height = 0, depth = 0, maxval = 0;
  std::string tupleType;
  const std::uint8_t* data = nullptr;
};

// A P7 header: KEY VALUE lines up to ENDHDR, '#' comments; 8-bit samples only.
Pam ParsePam(const std::vector<std::uint8_t>& bytes) {
  auto bad = [](const std::string& why) { return EReadError("Not a PAM file this tool reads: " + why); };
  std::size_t pos = 0;
  auto line = [&]() {
    std::size_t end = pos;
    while (end < bytes.size() && bytes[end] != '\n') ++end;
    if (end >= bytes.size()) throw bad("the header has no ENDHDR");
    std::string text(bytes.begin() + std::ptrdiff_t(pos), bytes.begin() + std::ptrdiff_t(end));
    pos = end + 1;
    return text;
  };
  if (line() != "P7") throw bad("no P7 signature");
  Pam pam;
  for (;;) {
    std::string text = line();
    if (text.empty() || text[0] == '#') continue;
    if (text == "ENDHDR") break;
    std::size_t space = text.find(' ');
    std::string key = text.substr(0, space), value = space == std::string::npos ? "" : text.substr(space + 1);
    if (key == "TUPLTYPE") {
      pam.tupleType = value;
      continue;
    }
    std::uint32_t v = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
    if (ec != std::errc() || end != value.data() + value.size()) throw bad("bad value of " + key);
    if (key == "WIDTH") pam.width = v;
    else if (key == "HEIGHT") pam.height = v;
    else if (key == "DEPTH") pam.depth = v;
    else if (key == "MAXVAL") pam.maxval = v;
    else throw bad("unknown header line " + key);
  }
  static const std::pair<const char*, std::uint32_t> kTypes[] = {
      {"RGB_ALPHA", 4}, {"RGB", 3}, {"GRAYSCALE", 1}, {"GRAYSCALE_ALPHA", 2}};
  auto type = std::find_if(std::begin(kTypes), std::end(kTypes), [&](const auto& t) { return pam.tupleType == t.first; });
  if (type == std::end(kTypes)) throw bad("tuple type must be RGB_ALPHA, RGB, GRAYSCALE or GRAYSCALE_ALPHA");
  if (pam.depth != type->second) throw bad("DEPTH does not match the tuple type");
  if (pam.maxval != 255) throw bad("MAXVAL must be 255");
  if (pam.width < 1 || pam.width > 65535 || pam.height < 1 || pam.height > 65535)
    throw bad("width and height must be 1 to 65535");
  if (bytes.size() - pos < std::uint64_t(pam.width) * pam.height * pam.depth) throw bad("the pixel data is short");
  pam.data = bytes.data() + pos;
  return pam;
}

// An 8-bit image of the PAM's colour type, its storage filled from the samples.
void ImportPam(TPngImage& png, const Pam& pam) {
  png.RemoveAllChunks();
  auto* header = static_cast<TChunkIHDR*>(TChunkIHDR::Class.create(&png));
  png.Chunks().Add(header);
  png.Chunks().Add(TChunkIDAT::Class.create(&png));
  png.Chunks().Add(TChunkIEND::Class.create(&png));
  static const std::uint8_t kColorType[] = {0, 0, 4, 2, 6};
  header->SetImageWidth(pam.width);
  header->SetImageHeight(std::int32_t(pam.height));
  header->SetBitDepth(8);
  header->SetColorType(kColorType[pam.depth]);
  header->PrepareStorage();
  const std::uint8_t* s = pam.data;
  for (int y = 0; y < int(pam.height); ++y) {
    std::uint8_t* row = png.PixelRow(y);
    std::uint8_t* alpha = png.AlphaRow(y);
    for (std::uint32_t x = 0; x < pam.width; ++x, s += pam.depth) {
      if (pam.depth <= 2) {
        row[x] = s[0];
      } else {
        row[3 * x] = s[2];  // the storage is blue, green, red
        row[3 * x + 1] = s[1];
        row[3 * x + 2] = s[0];
      }
      if (alpha) alpha[x] = s[pam.depth - 1];
    }
  }
}

int EncodePam(const std::string& in, const std::string& out, const EncodeOptions& options) {
  std::vector<std::uint8_t> bytes = LoadFile(in);
  TPngImage png;
  ImportPam(png, ParsePam(bytes));
  WriteImage(png, options, out);
  return 0;
}

int Recode(const std::string& in, const std::string& out, const EncodeOptions& options) {
  TPngImage png;
  Read(png, LoadFile(in));
  WriteImage(png, options, out);
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: pngtool info FILE | decode FILE OUT.pam | time FILE [REPEAT]\n"
               "       pngtool encode IN.pam OUT.png [OPTIONS] | recode IN.png OUT.png [OPTIONS]\n"
               "options: --level 0-9, --filters none,sub,up,avg,paeth|all\n");
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
    EncodeOptions options;
    if (cmd == "encode" && argc >= 4 && ParseEncodeOptions(argc, argv, 4, options)) return EncodePam(argv[2], argv[3], options);
    if (cmd == "recode" && argc >= 4 && ParseEncodeOptions(argc, argv, 4, options)) return Recode(argv[2], argv[3], options);
  } catch (const Exception& e) {
    std::printf("error %s: %s\n", e.ClassName(), Escaped(e.Message()).c_str());
    return 1;
  }
  return Usage();
}
