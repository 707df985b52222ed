#pragma once

#include "platform/classlib/exceptions.h"

// Shows the error's message, ended by a full stop unless its last character
// is "." or below, in a modal error box owned by the application window,
// with the application title as caption. Returns when the box is closed.
// Throws EOutOfMemory, before showing anything, when the text or caption
// cannot be prepared.
void ReportException(const Exception& error);
