// The random generator behind SeedRandom and RandomInt: a 32-bit linear congruential state per
// thread, starting at 1, so that an unseeded program draws the same sequence at every start.
#pragma once

#include <cstdint>

namespace rc {

// Millisecond tick count (32 bits, wrapping) that SeedRandom without a seed reads. Defaults to a
// monotonic clock; the Windows runtime installs GetTickCount. Null restores the default.
using TickCountFn = uint32_t (*)();
void SetTickCountSource(TickCountFn fn);

// The calling thread's generator state, for diagnostics and tests.
uint32_t RandomState();

}  // namespace rc
