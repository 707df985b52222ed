#pragma once

#include "platform/classlib/ansi_string.h"

// The command line registered for Tavimond.exe in the machine-wide App Paths
// key: its default value, with environment references of a REG_EXPAND_SZ
// value expanded. Empty when the key or value is missing or empty. Throws
// ERegistryException when the value cannot be read or is not a string, and
// EOutOfMemory; the key is closed before either leaves.
AnsiString ReadRegisteredPath();
