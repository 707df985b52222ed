// The class library's registry object: a root key, an access mask and at
// most one open key, which it closes when it is released.
#pragma once

#include "platform/classlib/ansi_string.h"
#include "platform/classlib/memory.h"
#include "platform/win32.h"

// Owns an open registry key and closes it exactly once.
class RegistryKey {
 public:
  RegistryKey() noexcept = default;
  ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  HKEY get() const noexcept { return key_; }
  // Takes ownership of `key`, closing the one held before.
  void Reset(HKEY key) noexcept {
    Close();
    key_ = key;
  }
  void Close() noexcept;

 private:
  HKEY key_ = nullptr;
};

class TRegistry : public TObject {
 public:
  TRegistry() noexcept = default;

  void SetRootKey(HKEY root) noexcept { rootKey_ = root; }
  void SetAccess(REGSAM access) noexcept { access_ = access; }

  // Opens an existing key below the root, never creating it. A failure
  // leaves no key open.
  bool OpenKey(const char* path);
  // Writes are left to the system to save: closing never flushes a key.
  void CloseKey() noexcept { currentKey_.Close(); }

  // The text of a REG_SZ or REG_EXPAND_SZ value of the open key, up to its
  // first NUL; empty when the value is absent or holds no data. `type`
  // receives the value's type. Throws ERegistryException when the data
  // cannot be read or is of another type, EOutOfMemory without memory.
  AnsiString ReadString(const char* name, DWORD* type);

 private:
  // The size of a value's data in bytes, or -1 when it cannot be queried.
  LONG GetDataSize(const char* name);

  HKEY rootKey_ = HKEY_CURRENT_USER;
  REGSAM access_ = KEY_ALL_ACCESS;
  RegistryKey currentKey_;
};
