#pragma once
// Stopping the player when it is asked to: SIGINT (Ctrl+C) and SIGTERM, and during the start-up
// loading pass a window close or Escape. Every one takes the path of the demo's own end: the
// loading pass stops between two of its steps (a file read, an effect's Init), the frame loop
// at the end of its frame, then the timeline is driven down (music closed, GPU resources
// released) and main returns.
namespace rvStop
{
// Installs handlers for SIGINT and SIGTERM that only note the signal; a second signal of the
// same kind ends the process at once (for a program stuck in its shutdown). Call before SDL's
// audio starts: SDL leaves handlers that are already there in place.
void InstallSignalHandlers();

// The first SIGINT or SIGTERM noted since the start (or the last Reset), 0 while none.
int Signal();

// The exit status of a run stopped by that signal: 128 + its number (130, 143), as a shell
// reports a program the signal ended.
int ExitStatusForSignal(int signal);

// The loading pass's own check, run by Requested: set for the length of the pass by the loading
// bar, it handles the window's events and says whether the window was asked to close. Null: only
// signals stop a load.
extern bool (*pfnLoadingCheck)();

// Whether the load going on should stop: a signal arrived, or the loading check said so (once
// it did, it stays so). Called between the steps of a load.
bool Requested();

// Forgets the signal and the loading check's answer (tests).
void Reset();
} // namespace rvStop
