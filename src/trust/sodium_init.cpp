#include "trust/sodium_init.h"

#include <sodium.h>

namespace corvane::trust {

void EnsureSodium() {
  // A failure here means no random source, which verification never needs.
  static const int initialised = sodium_init();
  (void)initialised;
}

}  // namespace corvane::trust
