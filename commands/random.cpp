#include "commands/random.h"

#include <algorithm>
#include <chrono>

#include "commands/core_commands.h"

namespace rc {
namespace {

uint32_t SteadyTickCount() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

TickCountFn g_tick_count = SteadyTickCount;
thread_local uint32_t t_state = 1;
// Keeps two unseeded SeedRandom calls within one millisecond apart; grows for the whole run.
uint32_t g_seed_addend = 0;

}  // namespace

void SetTickCountSource(TickCountFn fn) {
  g_tick_count = fn != nullptr ? fn : SteadyTickCount;
}

uint32_t RandomState() {
  return t_state;
}

void SeedRandom(ResultRecord* /*result*/, int argc, ArgRecord* args) {
  if (const ArgRecord* seed = OptionalArg(argc, args, 0)) {
    t_state = seed->lo;
    return;
  }
  const uint32_t mixed = g_tick_count() + g_seed_addend;
  t_state = mixed;
  g_seed_addend += (mixed & 0xFF) + 100;
}

void RandomInt(ResultRecord* result, int argc, ArgRecord* args) {
  const int32_t lo = std::max(IntArgOr(argc, args, 0, 0), 0);  // negative reads as 0
  const int32_t hi = std::max(IntArgOr(argc, args, 1, 0x7FFFFFFF), 0);
  const int32_t a = std::min(lo, hi);
  const int32_t b = std::max(lo, hi);
  if (a == b) {
    SetSlotInt(result, a);
    return;
  }
  const uint32_t range = std::min(static_cast<uint32_t>(b - a), 0x7FFFFFFEu);
  t_state = t_state * 214013u + 2531011u;
  const uint32_t r = (t_state >> 16) & 0x7FFF;
  SetSlotInt(result, a + static_cast<int32_t>(r % (range + 1)));
}

}  // namespace rc
