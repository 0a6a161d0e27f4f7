// The draw of a roll call that leaves some pupils out (absent today, or already called in the
// fair mode's round). Portable and free of the runtime: the caller hands in the random source
// it uses, so the rule can be tried with a fixed source.
#pragma once

#include <cstddef>
#include <vector>

namespace app {

// The number (from 1) of a pupil not left out, chosen by random(1, n) over the n pupils not
// left out: the k-th of them in list order. 0 when everybody is left out.
template <class Random>
int DrawAmong(const std::vector<bool>& left_out, Random&& random) {
  int n = 0;
  for (bool out : left_out) n += out ? 0 : 1;
  if (n == 0) return 0;
  int k = random(1, n);
  // A source that strays out of its range still draws someone not left out.
  if (k < 1) k = 1;
  if (k > n) k = n;
  for (std::size_t i = 0; i < left_out.size(); ++i) {
    if (!left_out[i] && --k == 0) return static_cast<int>(i) + 1;
  }
  return 0;  // not reached: k is at most n
}

}  // namespace app
