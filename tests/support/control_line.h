// Control connections of the test helpers the runner starts (the TLS front,
// the minisign service): a request goes out as one line, the answer comes
// back as one line.
#pragma once

#include <string>

#include "runtime/socket.h"

namespace corvane::testing {

// Sends request + "\n" and reads up to the answer's line end (kept); empty
// when the socket fails or nothing ends within timeout_ms.
std::string AskControlLine(runtime::Socket& socket, const std::string& request, int timeout_ms);

}  // namespace corvane::testing
