#include "platform/classlib/ansi_string.h"

#include <cstring>

#include "platform/classlib/memory.h"

struct AnsiString::Block {
  size_t references;
  char text[1];
};

AnsiString::AnsiString() noexcept : text_(""), length_(0), block_(nullptr) {}

AnsiString::AnsiString(const char* text, size_t length) : AnsiString() {
  if (length != 0) std::memcpy(Reserve(length), text, length);
}

char* AnsiString::Reserve(size_t length) {
  // The block comes zero-filled, so the text is NUL-terminated already.
  block_ = static_cast<Block*>(AllocateMemory(offsetof(Block, text) + length + 1));
  block_->references = 1;
  text_ = block_->text;
  length_ = length;
  return block_->text;
}

AnsiString AnsiString::Literal(const char* text) noexcept {
  AnsiString literal;
  literal.text_ = text;
  literal.length_ = std::strlen(text);
  return literal;
}

AnsiString::AnsiString(const AnsiString& other) noexcept
    : text_(other.text_), length_(other.length_), block_(other.block_) {
  if (block_ != nullptr) ++block_->references;
}

AnsiString::AnsiString(AnsiString&& other) noexcept
    : text_(other.text_), length_(other.length_), block_(other.block_) {
  other.text_ = "";
  other.length_ = 0;
  other.block_ = nullptr;
}

AnsiString& AnsiString::operator=(const AnsiString& other) noexcept {
  AnsiString copy(other);
  *this = static_cast<AnsiString&&>(copy);
  return *this;
}

AnsiString& AnsiString::operator=(AnsiString&& other) noexcept {
  if (this != &other) {
    Release();
    text_ = other.text_;
    length_ = other.length_;
    block_ = other.block_;
    other.text_ = "";
    other.length_ = 0;
    other.block_ = nullptr;
  }
  return *this;
}

AnsiString::~AnsiString() { Release(); }

void AnsiString::Release() noexcept {
  if (block_ != nullptr && --block_->references == 0) FreeMemory(block_);
  block_ = nullptr;
}

AnsiString operator+(const AnsiString& left, const AnsiString& right) {
  if (right.empty()) return left;
  if (left.empty()) return right;
  AnsiString joined;
  char* text = joined.Reserve(left.length() + right.length());
  std::memcpy(text, left.c_str(), left.length());
  std::memcpy(text + left.length(), right.c_str(), right.length());
  return joined;
}

bool operator==(const AnsiString& left, const char* right) noexcept {
  return std::strlen(right) == left.length() && std::memcmp(left.c_str(), right, left.length()) == 0;
}
