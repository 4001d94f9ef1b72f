// The main loop: one thread, one event at a time.  Each turn waits for the
// next event, lets mainApp resolve a close request, dispatches menu and
// gadget events, runs the after-event steps, advances an active download run
// by one step and pauses 10 ms.  The half-second timer keeps it turning.
#pragma once

namespace corvane {

inline constexpr int kLoopPauseMs = 10;

// One turn of the loop.  Returns false when there is nothing more to wait
// for (no event can ever arrive), which ends the loop like a close.
bool RunLoopOnce();

// Turns the loop while mainApp is running.
void RunMainLoop();

}  // namespace corvane
