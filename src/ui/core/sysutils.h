// The root of every error class and the root object class of the class library.
#pragma once

#include <exception>
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
