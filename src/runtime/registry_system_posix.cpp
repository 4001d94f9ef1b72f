// Systems without a registry of their own keep it in one file.
#include "runtime/registry_store.h"

namespace corvane::runtime {

Registry& SystemRegistry() {
  static RegistryStore store;
  return store;
}

}  // namespace corvane::runtime
