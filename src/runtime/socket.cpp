#include "runtime/socket.h"

namespace corvane::runtime {
namespace {
Transport* g_override = nullptr;
}

Transport& Net() {
  static std::unique_ptr<Transport> real = MakeTcpTransport();
  return g_override ? *g_override : *real;
}

void SetNet(Transport* transport) { g_override = transport; }

}  // namespace corvane::runtime
