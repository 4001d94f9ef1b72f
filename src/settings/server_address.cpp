#include "settings/server_address.h"

namespace corvane {
namespace {

std::string WithoutTrailingSlashes(std::string root) {
  while (!root.empty() && root.back() == '/') root.pop_back();
  return root;
}

std::string& CurrentRoot() {
  static std::string root = WithoutTrailingSlashes(CORVANE_SERVER_ROOT);
  return root;
}

}  // namespace

std::string ServerRoot() { return CurrentRoot(); }

void SetServerRoot(const std::string& root) {
  CurrentRoot() = WithoutTrailingSlashes(root.empty() ? std::string(CORVANE_SERVER_ROOT) : root);
}

std::string CatalogueBase() { return ServerRoot() + "/download/corvane/"; }

}  // namespace corvane
