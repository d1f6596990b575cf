// pngtool: reads a PNG file with the codec and reports its header and chunks (info),
// writes its pixels as a PAM file (decode), times decoding from memory (time), writes a
// PAM file as PNG (encode), or reads a PNG file and writes it again (recode).
// Exit status: 0 done, 1 failed (one "error CLASS: MESSAGE" line on standard error),
// 2 wrong arguments (the usage line on standard error).
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <iterator>
#include <chrono>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "outputfile.h"
#include "platform/gdi/packed.h"
#include "png/pngimage.h"
#include "ui/core/streams.h"

namespace {

using TArguments = std::vector<std::string>;

// Files are read whole; one larger than this is refused rather than allowed to take all
// memory (a device such as /dev/zero never ends).
constexpr std::int64_t kMaxFileBytes = std::int64_t(1) << 30;

std::vector<std::uint8_t> LoadFile(const std::string& name) {
  // The file stream refuses folders and names the system's reason for any other refusal.
  TFileStream f(name, fmOpenRead);
  std::vector<std::uint8_t> bytes;
  std::uint8_t block[64 * 1024];
  for (;;) {
    const std::int64_t n = f.Read(block, sizeof block);
    if (n <= 0) break;
    if (std::int64_t(bytes.size()) + n > kMaxFileBytes)
      throw EReadError("File \"" + name + "\" is larger than 1 GiB");
    bytes.insert(bytes.end(), block, block + n);
  }
  return bytes;
}

// Messages carry file names and texts from the file; control characters must not reach
// the terminal or split the one error line.
std::string Escaped(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (u < 0x20 || u == 0x7F) out += std::string("\\x") + kHex[u >> 4] + kHex[u & 15];
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

void Info(const TArguments& args) {
  TPngImage png;
  Read(png, LoadFile(args[0]));
  TChunkIHDR& h = png.ImageHeader();
  std::string chunks;
  for (std::uint32_t i = 0; i < png.Chunks().Count(); ++i) {
    if (i) chunks += ',';
    chunks += png.Chunks().Item(i)->ChunkTypeText();
  }
  std::printf("ok width=%u height=%d colortype=%u bitdepth=%u interlace=%u transparency=%s chunks=%s\n",
              h.ImageWidth(), h.ImageHeight(), unsigned(h.ColorType()), h.BitDepth(), unsigned(png.Interlacing()),
              KindName(png.TransparencyKind()), chunks.c_str());
}

// One image row as RGBA bytes.
void RgbaRow(TPngImage& png, int y, std::vector<std::uint8_t>& out) {
  const TChunkIHDR& h = png.ImageHeader();
  const TTransparencyKind kind = png.TransparencyKind();
  const COLORREF key = png.KeyColor();
  const TChunktRNS* trns = png.Chunks().FirstOfClass<TChunktRNS>();
  const unsigned bits = unsigned(png.Storage().StorageBits());
  const std::uint8_t* alpha = png.AlphaRow(y);
  const std::uint8_t* row = png.PixelRow(y);
  const int width = png.PixelWidth();
  std::uint8_t* o = out.data();
  for (int x = 0; x < width; ++x) {
    const COLORREF c = png.PixelColor(x, y);
    unsigned a = 255;
    if (HasAlphaSamples(h.ColorType())) {
      a = alpha ? alpha[x] : 255;
    } else if (h.ColorType() == TPngColorType::Palette && kind == tkAlpha && trns) {
      a = trns->AlphaValues()[PackedIndex(row, std::size_t(x), bits)];
    } else if (kind == tkKeyColor && c == key) {
      a = 0;
    }
    *o++ = std::uint8_t(c & 0xFF);
    *o++ = std::uint8_t(c >> 8 & 0xFF);
    *o++ = std::uint8_t(c >> 16 & 0xFF);
    *o++ = std::uint8_t(a);
  }
}

void Decode(const TArguments& args) {
  TPngImage png;
  Read(png, LoadFile(args[0]));
  const int w = png.PixelWidth(), h = png.PixelHeight();
  // Row by row from the image's own storage: a second copy of a large image would
  // double what decoding needs.
  TOutputFile out(args[1]);
  out.Write("P7\nWIDTH " + std::to_string(w) + "\nHEIGHT " + std::to_string(h) +
            "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n");
  std::vector<std::uint8_t> row(std::size_t(w) * 4);
  for (int y = 0; y < h; ++y) {
    RgbaRow(png, y, row);
    out.Write(row.data(), row.size());
  }
  out.Commit();
}

void Time(const TArguments& args) {
  const int repeat = args.size() > 1 ? StrToInt(args[1]) : 20;
  std::vector<std::uint8_t> bytes = LoadFile(args[0]);
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
}

// ---------------------------------------------------------------------------------------
// encode and recode: the options they share, PAM input, and whole-file output

struct EncodeOptions {
  int level = -1;       // -1: the image's own DeflateLevel
  int filterSet = -1;   // -1: the image's own FilterSet
};

// Takes "--level N" and "--filters none,sub,up,avg,paeth|all" from args[from..].
EncodeOptions ParseEncodeOptions(const TArguments& args, std::size_t from) {
  auto bad = [](const std::string& what) { return EConvertError("Bad option: " + what); };
  EncodeOptions options;
  for (std::size_t i = from; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) throw bad(args[i] + " needs a value");
    const std::string& key = args[i];
    const std::string& value = args[i + 1];
    if (key == "--level") {
      int level = -1;
      auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), level);
      if (ec != std::errc() || end != value.data() + value.size() || level < 0 || level > 9)
        throw bad("--level takes 0 to 9");
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
        if (it == std::end(kNames)) throw bad("unknown filter \"" + name + "\"");
        set |= it->second;
        start = comma + 1;
      }
      options.filterSet = set;
    } else {
      throw bad("unknown option " + key);
    }
  }
  return options;
}

// The image is written to memory first, then to a file that appears whole or not at all.
void WriteImage(TPngImage& png, const EncodeOptions& options, const std::string& target) {
  if (options.level >= 0) png.SetDeflateLevel(std::uint8_t(options.level));
  if (options.filterSet >= 0) png.SetFilterSet(std::uint8_t(options.filterSet));
  TMemoryStream data;
  png.WriteToStream(data);
  TOutputFile out(target);
  out.Write(data.Memory(), std::size_t(data.Size()));
  out.Commit();
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
  auto* header = static_cast<TChunkIHDR*>(png.Chunks().Add(std::unique_ptr<TChunk>(TChunkIHDR::Class.create(&png))));
  png.Chunks().Add(std::unique_ptr<TChunk>(TChunkIDAT::Class.create(&png)));
  png.Chunks().Add(std::unique_ptr<TChunk>(TChunkIEND::Class.create(&png)));
  using enum TPngColorType;
  static const TPngColorType kColorType[] = {Grey, Grey, GreyAlpha, Rgb, Rgba};
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

void Encode(const TArguments& args) {
  const EncodeOptions options = ParseEncodeOptions(args, 2);
  std::vector<std::uint8_t> bytes = LoadFile(args[0]);
  TPngImage png;
  ImportPam(png, ParsePam(bytes));
  WriteImage(png, options, args[1]);
}

void Recode(const TArguments& args) {
  const EncodeOptions options = ParseEncodeOptions(args, 2);
  TPngImage png;
  Read(png, LoadFile(args[0]));
  WriteImage(png, options, args[1]);
}

struct TCommand {
  const char* name;
  const char* arguments;  // as the usage line shows them
  std::size_t minArgs, maxArgs;
  void (*run)(const TArguments& args);
};

constexpr TCommand kCommands[] = {
    {"info", "FILE", 1, 1, Info},
    {"decode", "FILE OUT.pam", 2, 2, Decode},
    {"time", "FILE [REPEAT]", 1, 2, Time},
    {"encode", "IN.pam OUT.png [--level N] [--filters none,sub,up,avg,paeth|all]", 2, 6, Encode},
    {"recode", "IN.png OUT.png [--level N] [--filters none,sub,up,avg,paeth|all]", 2, 6, Recode},
};

int Usage() {
  std::string line = "usage: pngtool";
  for (const TCommand& c : kCommands) {
    if (&c != kCommands) line += " |";
    line = line + " " + c.name + " " + c.arguments;
  }
  std::fprintf(stderr, "%s\n", line.c_str());
  return 2;
}

int Failed(const char* className, const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "error %s: %s\n", className, Escaped(message).c_str());
  return 1;
}

// Runs one command; every failure, also one outside the class library's error classes,
// ends as one error line and exit status 1.
int Run(const TCommand& command, const TArguments& args) {
  try {
    command.run(args);
    // What a command printed counts only if it reached its reader.
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
      throw EWriteError("Cannot write to the standard output. " + SysErrorMessage(errno));
    return 0;
  } catch (const Exception& e) {
    return Failed(e.ClassName(), e.Message());
  } catch (const std::bad_alloc&) {
    return Failed("EOutOfMemory", "Out of memory");
  } catch (const std::exception& e) {
    return Failed("Exception", e.what());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string name = argv[1];
  const TArguments args(argv + 2, argv + argc);
  for (const TCommand& c : kCommands) {
    if (name == c.name && args.size() >= c.minArgs && args.size() <= c.maxArgs) return Run(c, args);
  }
  return Usage();
}
