// formc: compiles the text form of a window definition to its binary "TPF0" stream, and
// turns a binary stream back into text.
//
//   formc [--depfile DEP] IN.txt OUT.bin         text -> binary (DEP: make-style dependencies)
//   formc --to-text [--extract DIR] IN.bin OUT.txt   binary -> text; with --extract every
//                                                   binary value goes to a file in DIR
//   formc --reload IN.bin OUT.bin                    builds the components of a binary
//                                                   definition and writes them back
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "buttons/paintedbuttons.h"
#include "platform/win/headless.h"
#include "pngimagelist/pngimagelist.h"
#include "ui/controls/forms.h"
#include "ui/forms/formdoc.h"
#include "ui/forms/formreader.h"
#include "ui/forms/formtext.h"
#include "ui/forms/formwriter.h"
#include "ui/stdctrls/stdctrls.h"

namespace fs = std::filesystem;

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: formc [--depfile DEP] IN.txt OUT.bin\n"
               "       formc --to-text [--extract DIR] IN.bin OUT.txt\n"
               "       formc --reload IN.bin OUT.bin\n");
  return 2;
}

int Fail(const std::string& where, const std::string& message) {
  std::fprintf(stderr, "formc: %s: %s\n", where.c_str(), message.c_str());
  return 1;
}

bool ReadFile(const std::string& name, std::string& data) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteFile(const std::string& name, const void* data, std::size_t size) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(static_cast<const char*>(data), std::streamsize(size));
  return bool(out);
}

// Escapes a path for a make-style dependency file.
std::string DepEscape(const std::string& s) {
  std::string r;
  for (char c : s) {
    if (c == ' ' || c == '#') r += '\\';
    if (c == '$') r += '$';
    r += c;
  }
  return r;
}

std::string SafeFileName(const std::string& valuePath) {
  std::string r;
  for (char c : valuePath) {
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    r += ok ? c : (c == '.' || c == '[' ? '_' : c == ']' ? '\0' : '_');
  }
  std::string clean;
  for (char c : r)
    if (c) clean += c;
  return clean.empty() ? "value" : clean;
}

int Compile(const std::string& in, const std::string& out, const std::string& depfile) {
  std::string text;
  if (!ReadFile(in, text)) return Fail(in, "cannot read the file");
  std::vector<std::string> files;
  std::vector<std::uint8_t> bytes;
  try {
    std::string base = fs::path(in).parent_path().string();
    TfObject doc = ParseFormText(text, base.empty() ? "." : base, &files);
    bytes = WriteTpf0(doc);
  } catch (const EFormTextError& e) {
    return Fail(in + ":" + std::to_string(e.Line()) + ":" + std::to_string(e.Column()), e.Detail());
  } catch (const Exception& e) {
    return Fail(in, e.Message());
  }
  if (!WriteFile(out, bytes.data(), bytes.size())) return Fail(out, "cannot write the file");
  if (!depfile.empty()) {
    std::string dep = DepEscape(out) + ":";
    dep += " " + DepEscape(in);
    for (const std::string& f : files) dep += " \\\n  " + DepEscape(f);
    dep += "\n";
    if (!WriteFile(depfile, dep.data(), dep.size())) return Fail(depfile, "cannot write the file");
  }
  return 0;
}

int ToText(const std::string& in, const std::string& out, const std::string& extractDir) {
  std::string data;
  if (!ReadFile(in, data)) return Fail(in, "cannot read the file");
  std::string text;
  try {
    TfObject doc = ReadTpf0(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
    TFormTextOptions options;
    std::string failure;
    if (!extractDir.empty()) {
      fs::create_directories(extractDir);
      fs::path outFolder = fs::absolute(out).parent_path();
      options.externalBinary = [&failure, outFolder, extractDir](const std::string& valuePath, const std::vector<std::uint8_t>& bytes) {
        static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
        bool png = bytes.size() >= 8 && std::equal(kPng, kPng + 8, bytes.begin());
        fs::path file = fs::absolute(fs::path(extractDir) / (SafeFileName(valuePath) + (png ? ".png" : ".bin")));
        for (int n = 2; fs::exists(file); ++n)
          file = fs::absolute(fs::path(extractDir) /
                              (SafeFileName(valuePath) + "_" + std::to_string(n) + (png ? ".png" : ".bin")));
        if (!WriteFile(file.string(), bytes.data(), bytes.size())) {
          failure = file.string();
          return std::string();
        }
        return fs::relative(file, outFolder).generic_string();
      };
    }
    text = FormatFormText(doc, options);
    if (!failure.empty()) return Fail(failure, "cannot write the file");
  } catch (const Exception& e) {
    return Fail(in, e.Message());
  } catch (const fs::filesystem_error& e) {
    return Fail(extractDir, e.what());
  }
  if (!WriteFile(out, text.data(), text.size())) return Fail(out, "cannot write the file");
  return 0;
}

// The root is made by the class registry, its definition read with event handlers bound
// by name only, and the components written back by the component writer. Forms need a
// window system, which the headless one provides without a display.
int Reload(const std::string& in, const std::string& out) {
  std::string data;
  if (!ReadFile(in, data)) return Fail(in, "cannot read the file");
  std::vector<std::uint8_t> bytes;
  if (!headless::Enable(1024, 768)) return Fail(in, "no window system");
  // Every class the launcher's window definitions can hold.
  RegisterStdControlClasses();
  RegisterPngImageListClasses();
  RegisterButtonClasses();
  try {
    const TfObject doc = ReadTpf0(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
    std::unique_ptr<TComponent> root(CreateRegisteredComponent(doc.className, nullptr));
    TNameOnlyMethods methods;
    LoadComponent(root.get(), doc, &methods);
    bytes = WriteTpf0(WriteComponent(root.get()));
  } catch (const Exception& e) {
    return Fail(in, e.Message());
  }
  DoneApplicationObjects();
  ShutdownWindowSystem();
  if (!WriteFile(out, bytes.data(), bytes.size())) return Fail(out, "cannot write the file");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool toText = false, reload = false;
  std::string depfile, extractDir;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--to-text") {
      toText = true;
    } else if (a == "--reload") {
      reload = true;
    } else if (a == "--depfile" || a == "--extract") {
      if (++i >= argc) return Usage();
      (a == "--depfile" ? depfile : extractDir) = argv[i];
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage();
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2 || (reload && (toText || !depfile.empty() || !extractDir.empty()))) return Usage();
  if (reload) return Reload(files[0], files[1]);
  if (toText) return ToText(files[0], files[1], extractDir);
  if (!extractDir.empty()) return Usage();
  return Compile(files[0], files[1], depfile);
}
