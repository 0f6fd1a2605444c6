// A program that serves until it is asked to stop: on Linux by SIGINT,
// SIGTERM or SIGHUP; on Windows by Ctrl+C, Ctrl+Break or its console
// closing.
#pragma once

namespace plova {

// Call before any other thread starts: on Linux the stop signals are then
// held back in every thread but the one that waits for them, and a peer that
// hangs up gives a write error, not the end of the program.
void PrepareForStopRequest();

// Waits until the program is asked to stop.
void WaitForStopRequest();

}  // namespace plova
