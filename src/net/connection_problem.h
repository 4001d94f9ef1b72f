// Connection failures the user can act on (a server certificate that is not
// trusted, has expired or names another host; a TLS handshake that failed):
// unlike the client's other failures, which only reach the debug channel,
// these are written to the activity log and kept for the page that shows
// failures.
#pragma once

#include <string>

namespace corvane {

// Logs "HTTPS: " + text (the same text again only after some seconds, so a
// retried request does not fill the log) and keeps it for TakeConnectionProblem.
void ReportConnectionProblem(const std::string& text);

// The last problem reported and not yet taken ("HTTPS: ..."), then empty.
std::string TakeConnectionProblem();

}  // namespace corvane
