#pragma once

// While a command sequence waits, the window keeps answering the window
// system (pings, exposes, repaints) and nothing else: user input waits in
// the window system's queue and is handled, in order, once the sequence
// has ended; the drive link holds its own bytes and time-out. The window
// program puts it in place at start.
void InstallWindowPump();
