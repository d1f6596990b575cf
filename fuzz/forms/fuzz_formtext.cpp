// Arbitrary text as a window definition: parsing gives a document or EFormTextError (or
// EFormWriteError when the document cannot be stored); a document that can be stored must
// give the same bytes through its own text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/forms/formdoc.h"
#include "ui/forms/formtext.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::uint8_t> bytes;
  try {
    // No folder: @file references resolve against the working folder and are not wanted.
    bytes = WriteTpf0(ParseFormText(text, "/nonexistent-folder"));
  } catch (const EFormTextError&) {
    return 0;
  } catch (const EFormWriteError&) {
    return 0;
  }
  TfObject doc = ReadTpf0(bytes.data(), bytes.size());
  std::string again = FormatFormText(doc);
  if (WriteTpf0(ParseFormText(again, "")) != bytes) {
    std::fprintf(stderr, "text -> binary -> text -> binary differs:\n%s\n", again.c_str());
    std::abort();
  }
  return 0;
}
