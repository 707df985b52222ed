#pragma once

// Asks a running Kembrin window to close and gives it two seconds. With no
// such window it neither asks nor waits. Raises nothing.
void CloseRunningInstance();

// When the taskbar is there, starts the command line registered for
// Tavimond.exe. Errors of the lookup pass through to the caller.
void StartRegisteredApplication();
