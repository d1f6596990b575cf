// The readable text form of a window definition: what is written in resources/forms/ and
// what formc compiles to the binary stream. Every binary document has exactly one text,
// and that text parses back to the same document (so binary -> text -> binary is lossless).
//
// Syntax (one `object ... end` tree; `//` starts a comment that runs to the end of the line):
//
//   object Name: TClass              record; `object TClass` when the name is empty
//     inherited Name: TClass [2]     filer flags: inherited (1), inline (4); `[n]` is the
//     inline Name: TClass              child position (flag 2); `@flags $F0` after the header
//                                      gives the prefix byte outright when the keyword and
//                                      position cannot say it (a 0xF0 prefix, both bits)
//     Prop = value                   properties in stream order; names may be dotted
//   end                                (PngImage.Data); names, classes, set members that are
//                                      not identifiers are written as 'quoted' strings
//
// Values, each with the tag it gets (the default is what the text means without a marker):
//   12  -5  $FF                      integer: the smallest of int8/int16/int32, else int64;
//   @int16 5 @int32 5 @int64 5 @int8 5  a marker keeps any other width
//   1.5  -2.0e10                     extended; `@ext $<20 hex digits>` gives the 10 bytes in
//                                      stream order when no double holds the value exactly
//   1.5s  2.25d  12.5c               single, date, currency (up to 4 decimals, exact);
//                                      `@single $<8 hex>`, `@date $<16 hex>` give raw bytes
//   'text'  'it''s'  #13#10  'a' + 'b'   string: 'quoted' parts and #n / #$hh character
//                                      codes, joined side by side or with +. Short string up
//                                      to 255 bytes, else long string; `@lstring`, `@utf8`,
//                                      `@wstring` select the other kinds (for wide strings the
//                                      quoted text is UTF-8 and #n is a UTF-16 unit)
//   clWindow                         identifier; True, False, nil are the boolean and nil
//                                      tags; `@ident 'True'` keeps any other identifier text
//   [fsBold, fsItalic]               set
//   ( v1 v2 ... )                    list
//   < item ... end item [3] ... end >   collection; `[n]` is the integer stored in front
//                                      of an item (it keeps its width marker if it has one)
//   { 89 50 4E 47 }                  binary, hex bytes (whitespace is ignored)
//   @file 'art/main0.png'            binary read from a file, relative to the text's folder
//   @null                            the null tag as a property value
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/core/sysutils.h"
#include "ui/forms/formdoc.h"

// A text form that cannot be parsed; says where (1-based line and column, in bytes).
class EFormTextError : public Exception {
 public:
  EFormTextError(const std::string& detail, int line, int column);
  const char* ClassName() const noexcept override { return "EFormTextError"; }
  int Line() const { return line_; }
  int Column() const { return column_; }
  const std::string& Detail() const { return detail_; }

 private:
  std::string detail_;
  int line_;
  int column_;
};

struct TFormTextOptions {
  // Asked for every binary value: a path (relative to the text's folder) to refer to with
  // `@file`, or an empty text to write the bytes inline. valuePath names the value, for
  // example "MainForm.ImageListTasks.PngImages[0].PngImage.Data".
  std::function<std::string(const std::string& valuePath, const std::vector<std::uint8_t>& bytes)>
      externalBinary;
};

std::string FormatFormText(const TfObject& root, const TFormTextOptions& options = {});
// baseFolder resolves `@file` references; referencedFiles, when given, receives the full
// path of every file read (for build dependencies).
TfObject ParseFormText(const std::string& text, const std::string& baseFolder,
                       std::vector<std::string>* referencedFiles = nullptr);
