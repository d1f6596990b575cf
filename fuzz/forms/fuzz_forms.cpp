// Arbitrary bytes as a window definition: reading gives a document or EFormReadError; a
// document read must write back to the very bytes it came from, and its text must parse
// back to the same document.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/forms/formdoc.h"
#include "ui/forms/formtext.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TfObject doc;
  try {
    doc = ReadTpf0(data, size);
  } catch (const EFormReadError&) {
    return 0;
  }
  std::vector<std::uint8_t> out = WriteTpf0(doc);
  if (out.size() > size || std::memcmp(out.data(), data, out.size()) != 0) {
    std::fprintf(stderr, "binary -> model -> binary differs\n");
    std::abort();
  }
  TfObject again = ReadTpf0(out.data(), out.size());
  if (WriteTpf0(again) != out) std::abort();
  std::string text = FormatFormText(doc);
  std::vector<std::uint8_t> fromText;
  try {
    fromText = WriteTpf0(ParseFormText(text, ""));
  } catch (const Exception& e) {
    std::fprintf(stderr, "text does not parse back: %s\n%s\n", e.what(), text.c_str());
    std::abort();
  }
  if (fromText != out) {
    std::fprintf(stderr, "binary -> text -> binary differs:\n%s\n", text.c_str());
    std::abort();
  }
  return 0;
}
