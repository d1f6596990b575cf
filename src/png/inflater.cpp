// The two inflater engines. zlib's is a thin wrapper. ISA-L's inflates raw deflate data;
// the zlib header and trailer are read here, by zlib's rules.
#include "png/inflater.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#ifndef LB_PNG_HAVE_ISAL
#define LB_PNG_HAVE_ISAL 0
#endif
#if LB_PNG_HAVE_ISAL
#include <isa-l/igzip_lib.h>
#endif

namespace pnginflate {

namespace {

class ZlibInflater final : public Inflater {
 public:
  int Start() {
    const int rc = inflateInit(&zs_);
    if (rc != Z_OK) return rc;
    started_ = true;
    // The image data is guarded by the chunk CRCs; the trailer's Adler-32 is not checked.
    inflateValidate(&zs_, 0);
    return kOk;
  }
  ~ZlibInflater() override {
    if (started_) inflateEnd(&zs_);
  }
  void TakeInput(const std::uint8_t* data, std::uint32_t count) override {
    zs_.next_in = const_cast<Bytef*>(data);
    zs_.avail_in = count;
  }
  // A target filled to the end may have cut a match short: the rest of it comes out of
  // the next call, input or not.
  bool NeedsInput() const override { return zs_.avail_in == 0 && !mayHold_; }
  int Inflate(std::uint8_t* target, std::uint32_t room, std::uint32_t& produced) override {
    zs_.next_out = target;
    zs_.avail_out = room;
    int rc = inflate(&zs_, Z_NO_FLUSH);
    produced = room - zs_.avail_out;
    mayHold_ = room > 0 && zs_.avail_out == 0;
    // Without input, no step forward only says that more input is needed.
    if (rc == Z_BUF_ERROR && zs_.avail_in == 0) rc = kOk;
    return rc;
  }

 private:
  z_stream zs_{};
  bool started_ = false;
  bool mayHold_ = false;
};

#if LB_PNG_HAVE_ISAL

class IsalInflater final : public Inflater {
 public:
  int Start() {
    state_.reset(new (std::nothrow) inflate_state);
    if (!state_) return kMemError;
    isal_inflate_init(state_.get());
    state_->crc_flag = ISAL_DEFLATE;  // raw deflate: no checksum is computed
    state_->hist_bits = 0;            // the full 32 KiB window, as zlib keeps
    return kOk;
  }
  void TakeInput(const std::uint8_t* data, std::uint32_t count) override {
    state_->next_in = const_cast<std::uint8_t*>(data);
    state_->avail_in = count;
  }
  bool NeedsInput() const override {
    if (state_->avail_in > 0 || phase_ != Phase::Data) return state_->avail_in == 0;
    // Decoded bytes waiting in ISA-L's buffer, or the rest of a match or of literals the
    // last target had no room for.
    return Held() == 0 && state_->copy_overflow_length == 0 && state_->write_overflow_len == 0;
  }

  int Inflate(std::uint8_t* target, std::uint32_t room, std::uint32_t& produced) override {
    produced = 0;
    switch (phase_) {
      case Phase::Header: return ReadHeader();
      case Phase::DictId: return ReadDictId();
      case Phase::Data: return InflateData(target, room, produced);
      case Phase::Trailer: return ReadTrailer();
      case Phase::Done: return result_;
    }
    return kDataError;
  }

 private:
  enum class Phase { Header, DictId, Data, Trailer, Done };

  bool TakeByte(std::uint8_t& b) {
    if (state_->avail_in == 0) return false;
    b = *state_->next_in++;
    --state_->avail_in;
    return true;
  }

  int Stop(int result) {
    phase_ = Phase::Done;
    result_ = result;
    return result;
  }

  // CMF and FLG, checked in zlib's order: the check bits, the method, the window size.
  int ReadHeader() {
    while (headerHave_ < 2)
      if (!TakeByte(header_[headerHave_])) return kOk;
      else ++headerHave_;
    if ((unsigned(header_[0]) << 8 | header_[1]) % 31 != 0) return Stop(kDataError);
    if ((header_[0] & 15) != 8) return Stop(kDataError);
    if ((header_[0] >> 4) + 8 > 15) return Stop(kDataError);
    phase_ = header_[1] & 0x20 ? Phase::DictId : Phase::Data;
    return phase_ == Phase::DictId ? ReadDictId() : kOk;
  }

  // A preset dictionary's identifier: read, then the stream stops as zlib's does.
  int ReadDictId() {
    std::uint8_t b;
    while (counted_ < 4)
      if (!TakeByte(b)) return kOk;
      else ++counted_;
    return Stop(kNeedDict);
  }

  // The 4 trailer bytes after the last block, from the byte after its last bit; some of
  // them may already sit in ISA-L's bit buffer. Their value is not checked.
  int ReadTrailer() {
    std::uint8_t b;
    while (counted_ < 4)
      if (!TakeByte(b)) return kOk;
      else ++counted_;
    return Stop(kStreamEnd);
  }

  // Decoded bytes ISA-L holds back in its own buffer.
  std::uint32_t Held() const {
    return std::uint32_t(std::max(0, state_->tmp_out_valid - state_->tmp_out_processed));
  }

  int InflateData(std::uint8_t* target, std::uint32_t room, std::uint32_t& produced) {
    const std::uint32_t inBefore = state_->avail_in;
    state_->next_out = target;
    state_->avail_out = room;
    const int rc = isal_inflate(state_.get());
    produced = room - state_->avail_out;
    if (rc < 0) return Stop(kDataError);
    if (state_->block_state == ISAL_BLOCK_FINISH) {
      phase_ = Phase::Trailer;
      counted_ = std::uint32_t(std::min(4, std::max(0, state_->read_in_length) / 8));
      return ReadTrailer();
    }
    // No step forward with both input and room is zlib's "buffer error".
    if (produced == 0 && room > 0 && inBefore > 0 && state_->avail_in == inBefore && Held() == 0)
      return Stop(kBufError);
    return kOk;
  }

  struct StateDeleter {
    void operator()(inflate_state* s) const { delete s; }
  };
  std::unique_ptr<inflate_state, StateDeleter> state_;
  Phase phase_ = Phase::Header;
  int result_ = kOk;
  std::uint8_t header_[2] = {};
  unsigned headerHave_ = 0;
  std::uint32_t counted_ = 0;
};

#endif

std::atomic<Engine> g_imageEngine{HaveIsal() ? Engine::Isal : Engine::Zlib};

}  // namespace

bool HaveIsal() { return LB_PNG_HAVE_ISAL != 0; }

int StartInflater(Engine engine, std::unique_ptr<Inflater>& out) {
  out.reset();
#if LB_PNG_HAVE_ISAL
  if (engine == Engine::Isal) {
    auto isal = std::make_unique<IsalInflater>();
    const int rc = isal->Start();
    if (rc == kOk) out = std::move(isal);
    return rc;
  }
#else
  (void)engine;
#endif
  auto zlib = std::make_unique<ZlibInflater>();
  const int rc = zlib->Start();
  if (rc == kOk) out = std::move(zlib);
  return rc;
}

Engine ImageDataEngine() { return g_imageEngine.load(std::memory_order_relaxed); }

void SetImageDataEngine(Engine engine) {
  g_imageEngine.store(HaveIsal() ? engine : Engine::Zlib, std::memory_order_relaxed);
}

}  // namespace pnginflate
