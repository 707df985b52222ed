#include "platform/classlib/memory.h"

#include "platform/classlib/exceptions.h"
#include "platform/win32.h"

void* TryAllocateMemory(size_t size) noexcept {
  // HEAP_ZERO_MEMORY: no byte of a fresh block is ever left undefined, so a
  // platform call that fills less than it promised cannot pass garbage on.
  return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size == 0 ? 1 : size);
}

void* AllocateMemory(size_t size) {
  void* block = TryAllocateMemory(size);
  if (block == nullptr) throw EOutOfMemory();
  return block;
}

void FreeMemory(void* block) noexcept {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}
