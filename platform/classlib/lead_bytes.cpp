#include "platform/classlib/lead_bytes.h"

#include "platform/win32.h"

namespace {

bool leadBytes[256];

}  // namespace

void LoadLeadBytes() noexcept {
  for (bool& lead : leadBytes) lead = false;
  CPINFO info = {};
  if (!GetCPInfo(CP_ACP, &info)) return;
  // LeadByte holds pairs of inclusive ranges, ended by a pair of zeros.
  for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
    for (unsigned byte = info.LeadByte[i]; byte <= info.LeadByte[i + 1]; ++byte) leadBytes[byte] = true;
  }
}

bool IsLeadByte(unsigned char byte) noexcept { return leadBytes[byte]; }

size_t CharacterLength(const char* text) noexcept {
  return IsLeadByte(static_cast<unsigned char>(text[0])) && text[1] != '\0' ? 2 : 1;
}
