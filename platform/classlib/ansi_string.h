// The class library's 8-bit string: text in the ANSI code page, always
// NUL-terminated, shared by reference count between copies. Copying never
// allocates, and a string made from a literal never allocates at all, which
// lets EOutOfMemory carry its message without needing memory.
#pragma once

#include <cstddef>

class AnsiString {
 public:
  AnsiString() noexcept;
  // Copies `length` bytes; throws EOutOfMemory.
  AnsiString(const char* text, size_t length);
  // Refers to text with static storage duration, without copying it.
  static AnsiString Literal(const char* text) noexcept;

  AnsiString(const AnsiString& other) noexcept;
  AnsiString(AnsiString&& other) noexcept;
  AnsiString& operator=(const AnsiString& other) noexcept;
  AnsiString& operator=(AnsiString&& other) noexcept;
  ~AnsiString();

  const char* c_str() const noexcept { return text_; }
  size_t length() const noexcept { return length_; }
  bool empty() const noexcept { return length_ == 0; }
  unsigned char byte(size_t index) const noexcept { return static_cast<unsigned char>(text_[index]); }

  // Throws EOutOfMemory.
  friend AnsiString operator+(const AnsiString& left, const AnsiString& right);

 private:
  struct Block;
  // Gives this (empty) string room for `length` bytes and returns it.
  char* Reserve(size_t length);
  void Release() noexcept;

  const char* text_;
  size_t length_;
  Block* block_;  // null for literals and the empty string
};

bool operator==(const AnsiString& left, const char* right) noexcept;
