#include "runtime/power.h"

namespace corvane::runtime {
namespace {
Power* g_power = nullptr;
}

Power& PowerControl() { return g_power ? *g_power : RealPower(); }
void SetPower(Power* power) { g_power = power; }

}  // namespace corvane::runtime
