// The HTTP client's debug texts ("---No slash", "TCP - No stream", ...).
// Off by default: nothing reaches the user or the activity log.  Setting the
// environment variable CORVANE_HTTP_DEBUG (to anything but "" or "0") sends
// them to the standard error stream; tests may catch them with a sink.
#pragma once

#include <functional>
#include <string>

namespace corvane {

void DebugText(const std::string& text);

// Receives every text while set, whatever the environment says; an empty
// function removes it.
void SetDebugSink(std::function<void(const std::string&)> sink);

}  // namespace corvane
