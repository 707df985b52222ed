#include "platform/classlib/registry.h"

#include <cstring>

#include "platform/classlib/exceptions.h"

namespace {

const char kReadFailureTemplate[] = "Failed to get data for '%s'";
const char kWrongTypeTemplate[] = "Invalid data type for '%s'";

// The template with its one "%s" replaced by `name`.
AnsiString FormatWithName(const char* format, const char* name) {
  const char* placeholder = std::strstr(format, "%s");
  const size_t before = static_cast<size_t>(placeholder - format);
  const AnsiString head(format, before);
  const AnsiString tail = AnsiString::Literal(placeholder + 2);
  return head + AnsiString(name, std::strlen(name)) + tail;
}

}  // namespace

void RegistryKey::Close() noexcept {
  if (key_ != nullptr) RegCloseKey(key_);
  key_ = nullptr;
}

bool TRegistry::OpenKey(const char* path) {
  CloseKey();
  HKEY key = nullptr;
  if (RegOpenKeyExA(rootKey_, path, 0, access_, &key) != ERROR_SUCCESS) return false;
  currentKey_.Reset(key);
  return true;
}

LONG TRegistry::GetDataSize(const char* name) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExA(currentKey_.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return -1;
  return static_cast<LONG>(size);
}

AnsiString TRegistry::ReadString(const char* name, DWORD* type) {
  *type = REG_NONE;
  const LONG size = GetDataSize(name);
  if (size <= 0) return AnsiString();

  // One byte more than the data, zero-filled: the text always ends in a NUL,
  // even when the platform writes fewer bytes than it reported.
  HeapBuffer buffer(static_cast<size_t>(size) + 1);
  DWORD dataType = REG_NONE;
  DWORD dataSize = static_cast<DWORD>(size);
  if (RegQueryValueExA(currentKey_.get(), name, nullptr, &dataType, buffer.bytes(), &dataSize) != ERROR_SUCCESS) {
    throw ERegistryException(FormatWithName(kReadFailureTemplate, name));
  }
  if (dataType != REG_SZ && dataType != REG_EXPAND_SZ) {
    throw ERegistryException(FormatWithName(kWrongTypeTemplate, name));
  }
  *type = dataType;
  return AnsiString(buffer.chars(), std::strlen(buffer.chars()));
}
