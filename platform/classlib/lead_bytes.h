// The lead bytes of the ANSI code page's double-byte characters, read once
// at start-up. On a single-byte code page there are none.
#pragma once

#include <cstddef>

void LoadLeadBytes() noexcept;
bool IsLeadByte(unsigned char byte) noexcept;

// The length in bytes of the character that starts at `text` (1 or 2); a
// lead byte followed by the terminating NUL counts as one byte.
size_t CharacterLength(const char* text) noexcept;
