#include "lookup/registered_path.h"

#include <cstring>
#include <memory>

#include "platform/classlib/registry.h"
#include "platform/win32.h"

namespace {

const char kAppPathKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tavimond.exe";
// The key's default (unnamed) value.
const char kDefaultValueName[] = "";
// Reading needs no more: asking for write access would fail for every user
// who may not change the machine's settings.
const REGSAM kLookupAccess = KEY_READ;

// `text` with its %NAME% references replaced by the environment's values,
// or `text` itself when the expansion fails.
AnsiString ExpandEnvironmentReferences(const AnsiString& text) {
  const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (needed == 0) return text;
  // The ANSI form may need one byte beyond the size it reports; the extra
  // zero byte also keeps the result terminated should it run short.
  const DWORD size = needed + 1;
  HeapBuffer expanded(size + 1);
  const DWORD written = ExpandEnvironmentStringsA(text.c_str(), expanded.chars(), size);
  if (written == 0 || written > size) return text;
  return AnsiString(expanded.chars(), std::strlen(expanded.chars()));
}

}  // namespace

AnsiString ReadRegisteredPath() {
  std::unique_ptr<TRegistry> registry(new TRegistry);
  registry->SetRootKey(HKEY_LOCAL_MACHINE);
  registry->SetAccess(kLookupAccess);
  // Whether the key opened is nobody's concern: without it the value reads
  // as absent, and the command line is empty.
  registry->OpenKey(kAppPathKey);
  DWORD type = REG_NONE;
  const AnsiString stored = registry->ReadString(kDefaultValueName, &type);
  if (type != REG_EXPAND_SZ) return stored;
  return ExpandEnvironmentReferences(stored);
}
