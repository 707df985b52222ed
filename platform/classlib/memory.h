// Memory of the class library. Every allocation of the program goes through
// here, so that running out of memory is always EOutOfMemory and never a
// different kind of C++ exception, and so that tests can make it fail.
#pragma once

#include <cstddef>

// Returns a block of at least `size` bytes, all zero; throws EOutOfMemory.
void* AllocateMemory(size_t size);
void FreeMemory(void* block) noexcept;

// A zero-filled block of bytes owned for one scope.
class HeapBuffer {
 public:
  explicit HeapBuffer(size_t size) : bytes_(static_cast<char*>(AllocateMemory(size))), size_(size) {}
  ~HeapBuffer() { FreeMemory(bytes_); }
  HeapBuffer(const HeapBuffer&) = delete;
  HeapBuffer& operator=(const HeapBuffer&) = delete;

  char* chars() noexcept { return bytes_; }
  unsigned char* bytes() noexcept { return reinterpret_cast<unsigned char*>(bytes_); }
  size_t size() const noexcept { return size_; }

 private:
  char* bytes_;
  size_t size_;
};

// Base of the class library's heap objects: `new` on them takes memory from
// AllocateMemory, so a failed allocation raises EOutOfMemory.
class TObject {
 public:
  static void* operator new(size_t size) { return AllocateMemory(size); }
  static void operator delete(void* block) noexcept { FreeMemory(block); }

 protected:
  TObject() = default;
  ~TObject() = default;
};

// As AllocateMemory, but returns null instead of raising: for code that must
// not raise, such as callbacks that the system calls.
void* TryAllocateMemory(size_t size) noexcept;
