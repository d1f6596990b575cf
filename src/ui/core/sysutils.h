// The root of every error class and the root object class of the class library.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>

// Base of every error the system raises. Each derived class names itself through
// ClassName() so error reports can say which kind of error it was.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  ~Exception() override = default;
  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const noexcept { return "Exception"; }

 private:
  std::string message_;
};

// Declares an error class `Name` deriving from `Base` with the constructor and ClassName.
#define LB_DECLARE_EXCEPTION(Name, Base)                                  \
  class Name : public Base {                                              \
   public:                                                                \
    using Base::Base;                                                     \
    const char* ClassName() const noexcept override { return #Name; }     \
  }

LB_DECLARE_EXCEPTION(EAbort, Exception);
LB_DECLARE_EXCEPTION(EConvertError, Exception);
LB_DECLARE_EXCEPTION(EInvalidCast, Exception);
LB_DECLARE_EXCEPTION(EInvalidOperation, Exception);
LB_DECLARE_EXCEPTION(EListError, Exception);
LB_DECLARE_EXCEPTION(EOutOfMemory, Exception);
LB_DECLARE_EXCEPTION(EStreamError, Exception);
LB_DECLARE_EXCEPTION(EReadError, EStreamError);
LB_DECLARE_EXCEPTION(EWriteError, EStreamError);
LB_DECLARE_EXCEPTION(EFOpenError, EStreamError);
LB_DECLARE_EXCEPTION(EFCreateError, EStreamError);
LB_DECLARE_EXCEPTION(EClassNotFound, Exception);
LB_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
LB_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);

// Root object class. ClassName() is the class's own name, as declared with LB_CLASS.
class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual const char* ClassName() const noexcept { return "TObject"; }
};

// Inside a class body: names the class for ClassName().
#define LB_CLASS(Name) \
 public:               \
  const char* ClassName() const noexcept override { return #Name; }

// Formats like the class library's Format with %s, %d and %% only (enough for captions).
std::string Format(const std::string& pattern, const std::string& arg);
std::string Format(const std::string& pattern, std::int64_t arg);

// One argument of the list form of Format: a text or a whole number.
class TFormatArg {
 public:
  TFormatArg(const std::string& s) : text_(s), isText_(true) {}
  TFormatArg(const char* s) : text_(s ? s : ""), isText_(true) {}
  TFormatArg(int v) : number_(v) {}
  TFormatArg(long v) : number_(v) {}
  TFormatArg(long long v) : number_(v) {}
  TFormatArg(unsigned v) : number_(v) {}
  TFormatArg(unsigned long v) : number_(std::int64_t(v)) {}
  TFormatArg(unsigned long long v) : number_(std::int64_t(v)) {}
  bool IsText() const { return isText_; }
  const std::string& Text() const { return text_; }
  std::int64_t Number() const { return number_; }

 private:
  std::string text_;
  std::int64_t number_ = 0;
  bool isText_ = false;
};
// Format with several arguments taken in order: Format("%s (%d)", {name, 3}).
// A %s given a number prints it; a %d given a text raises EConvertError; a missing
// argument raises EConvertError "Format '<pattern>' invalid or incompatible with argument".
std::string Format(const std::string& pattern, std::initializer_list<TFormatArg> args);

// Small text and number helpers of the class library.
std::string IntToStr(std::int64_t value);
std::string IntToHex(std::uint64_t value, int digits);
// Raises EConvertError "'<text>' is not a valid integer value" for anything but an
// optionally signed decimal (or $hex) number that fits in 32 bits.
int StrToInt(const std::string& text);
int StrToIntDef(const std::string& text, int fallback);
std::string LowerCase(const std::string& s);   // ASCII only, as the class library does
int CompareText(const std::string& a, const std::string& b);  // ASCII case-insensitive, <0/0/>0
bool SameText(const std::string& a, const std::string& b);
std::string Trim(const std::string& s);  // drops control characters and spaces at both ends
// File name helpers (POSIX separators).
std::string ExtractFileExt(const std::string& fileName);   // ".png", "" when none
std::string ExtractFileName(const std::string& fileName);
std::string ExtractFilePath(const std::string& fileName);  // keeps the trailing '/'
std::string ExpandFileName(const std::string& fileName);   // absolute, against the current folder
// The file name as the system writes it, for what people read: '\' between folders on
// Windows, as it is elsewhere.
std::string SystemFileName(const std::string& fileName);
std::string SysErrorMessage(int errorCode);                 // the system's text for errno

// A set of up to 32 values of a small enumeration, as the class library's "set of" types.
template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> values) {
    for (E v : values) bits_ |= Bit(v);
  }
  constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
  constexpr TSet& Include(E v) {
    bits_ |= Bit(v);
    return *this;
  }
  constexpr TSet& Exclude(E v) {
    bits_ &= ~Bit(v);
    return *this;
  }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr std::uint32_t Bits() const { return bits_; }
  static constexpr TSet FromBits(std::uint32_t bits) {
    TSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
  friend constexpr bool operator==(TSet a, TSet b) { return a.bits_ == b.bits_; }

 private:
  static constexpr std::uint32_t Bit(E v) { return std::uint32_t(1) << unsigned(v); }
  std::uint32_t bits_ = 0;
};
