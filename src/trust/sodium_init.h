// libsodium must be initialised once before its first use.
#pragma once

namespace corvane::trust {

// Initialises libsodium on the first call; later calls cost nothing.
void EnsureSodium();

}  // namespace corvane::trust
