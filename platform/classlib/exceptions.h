// The class library's errors. Every error the program raises is an Exception
// carrying an 8-bit message; the handler in WinMain catches this one family.
#pragma once

#include "platform/classlib/ansi_string.h"
#include "platform/win32.h"

class Exception {
 public:
  explicit Exception(const AnsiString& message) noexcept : message_(message) {}
  virtual ~Exception() = default;
  const AnsiString& Message() const noexcept { return message_; }

 private:
  AnsiString message_;
};

// Raising it needs no memory: its message is a literal.
class EOutOfMemory : public Exception {
 public:
  EOutOfMemory() noexcept : Exception(AnsiString::Literal("Out of memory")) {}
};

class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

// Processor faults, turned into errors while a GuardedScope is active. Each
// one's message is its class name.
class EExternal : public Exception {
 protected:
  using Exception::Exception;
};
class EIntError : public EExternal {
 protected:
  using EExternal::EExternal;
};
class EMathError : public EExternal {
 protected:
  using EExternal::EExternal;
};

#define DECLARE_FAULT_CLASS(Name, Base) \
  class Name : public Base {            \
   public:                              \
    Name() noexcept : Base(AnsiString::Literal(#Name)) {} \
  };
DECLARE_FAULT_CLASS(EAccessViolation, EExternal)
DECLARE_FAULT_CLASS(EPrivilege, EExternal)
DECLARE_FAULT_CLASS(EStackOverflow, EExternal)
DECLARE_FAULT_CLASS(EControlC, EExternal)
DECLARE_FAULT_CLASS(ERangeError, EIntError)
DECLARE_FAULT_CLASS(EDivByZero, EIntError)
DECLARE_FAULT_CLASS(EIntOverflow, EIntError)
DECLARE_FAULT_CLASS(EZeroDivide, EMathError)
DECLARE_FAULT_CLASS(EOverflow, EMathError)
DECLARE_FAULT_CLASS(EUnderflow, EMathError)
DECLARE_FAULT_CLASS(EInvalidOp, EMathError)
#undef DECLARE_FAULT_CLASS

// Whether a processor exception code has an error class of its own.
bool IsMappedFault(DWORD exceptionCode) noexcept;

// Throws the error class for a mapped processor exception code.
[[noreturn]] void RaiseFault(DWORD exceptionCode);

// Marks the code whose processor faults become errors: while one is alive,
// a mapped fault raised by our own code is thrown as its error class instead
// of going to the system.
class GuardedScope {
 public:
  GuardedScope() noexcept;
  ~GuardedScope();
  GuardedScope(const GuardedScope&) = delete;
  GuardedScope& operator=(const GuardedScope&) = delete;

  static bool IsActive() noexcept;
};
