// The inflaters behind the image data: one small interface with two engines, zlib and
// ISA-L's streaming inflater. Both read a zlib stream (header, deflate data, 4-byte
// trailer) without checking its Adler-32, and both answer in zlib's result codes, so the
// decoder reports any engine's failure through the same message ("data error (-3)", ...).
// ISA-L is only there where the build found it (LB_PNG_HAVE_ISAL); text chunks and the
// writer always use zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace pnginflate {

enum class Engine { Zlib, Isal };

// Result codes (zlib's values).
constexpr int kOk = 0;
constexpr int kStreamEnd = 1;
constexpr int kNeedDict = 2;
constexpr int kDataError = -3;
constexpr int kMemError = -4;
constexpr int kBufError = -5;

class Inflater {
 public:
  virtual ~Inflater() = default;
  // Hands over the next piece of input (at most 65535 bytes in the decoder) once
  // NeedsInput() says so. The bytes must stay until it says so again.
  virtual void TakeInput(const std::uint8_t* data, std::uint32_t count) = 0;
  // True when only more input can bring more output: the input is used up and no decoded
  // bytes wait inside (ISA-L decodes up to 64 KiB ahead of what was asked for).
  virtual bool NeedsInput() const = 0;
  // Inflates into target[0, room) and says in `produced` how many bytes came out.
  // Returns kOk (the target is full or the input used up), kStreamEnd (the stream and
  // its trailer are read), kNeedDict (the header asks for a preset dictionary, which
  // image data never has), or a negative code on corrupt data. After any other result
  // than kOk nothing more comes out.
  //
  // Both engines agree on the bytes of any stream and on where it ends. On corrupt data
  // only zlib's verdict is the reference: ISA-L decodes up to 64 KiB ahead of the target
  // and may fail on data no caller asks for, or on a block header the input cuts short
  // (that zlib would wait on). After an ISA-L failure the bytes of that call are void;
  // a caller that must fail exactly where zlib does inflates the same input again with
  // zlib, skips what it already has, and goes on with zlib (the decoder does).
  virtual int Inflate(std::uint8_t* target, std::uint32_t room, std::uint32_t& produced) = 0;
};

// Starts an inflater of the engine (an engine the build lacks means zlib). Returns kOk,
// or kMemError with `out` left empty.
int StartInflater(Engine engine, std::unique_ptr<Inflater>& out);

bool HaveIsal();
// The engine image data is read with: ISA-L where the build has it, else zlib. The
// process-wide choice can be changed (the tests decode with both); asking for ISA-L in
// a build without it keeps zlib.
Engine ImageDataEngine();
void SetImageDataEngine(Engine engine);

}  // namespace pnginflate
