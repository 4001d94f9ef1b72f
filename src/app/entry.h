// The application's entry: reads the command line, opens the display through
// the given backend factory, enters the program folder, points the catalogue
// at its server, and runs the start-up, the main loop and the shutdown.
//
// The whole application runs in-process, so tests can call Main with a
// factory that hands out a headless backend; Main leaves no state behind
// (ResetApplication) and may run again in the same process.
#pragma once

#include "toolkit/toolkit.h"

namespace corvane::app {

// Exit codes: 0 after a normal close (and after --help or --version); 1 when
// the display cannot be opened or the program folder cannot be used (nothing
// is written then); 2 for a command line that cannot be understood.
int Main(int argc, char** argv, tk::BackendFactory make_backend);

// Puts every global of the application and of the modules it drives back to
// its start values, frees the window framework's objects and shuts the
// toolkit down (dropping its backend).
void ResetApplication();

}  // namespace corvane::app
