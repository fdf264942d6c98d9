#pragma once

// While a command sequence waits, the window keeps answering the window
// system (pings, exposes, repaints) and nothing else: user input waits in
// the window system's queue and is handled, in order, once the sequence
// has ended; the drive link holds its own bytes and time-out. The window
// program puts it in place at start.
void InstallWindowPump();
// The program is stopping: the wait under way ends now, and every later one
// at once, so that a sequence stops before its next command.
void StopWindowWaits();
