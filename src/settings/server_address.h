// The catalogue server's root address: scheme, host and optional port, with
// no trailing separator ("http://tarnic.example.org", "http://127.0.0.1:8080").
// The default is compiled in; the application overrides it from its command
// line or environment before anything is fetched.
#pragma once

#include <string>

namespace corvane {

// The current root address (the compiled-in default until SetServerRoot).
std::string ServerRoot();

// Sets the root address; trailing '/' characters are dropped so that paths
// can be appended.  An empty text restores the compiled-in default.
void SetServerRoot(const std::string& root);

// The folder of the catalogue files on the server: ServerRoot() + "/download/corvane/".
std::string CatalogueBase();

}  // namespace corvane
