#include "runtime/draw/resample.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace rc::draw {

namespace {

constexpr int kOne = 1 << 14;  // fixed-point weight of 1.0

// For every target index along one axis: the source indexes it reads and their weights.
struct Taps {
  std::vector<int> first;   // first source index per target index
  std::vector<int> offset;  // start of its weights in `weights`
  std::vector<int> count;
  std::vector<int> weights;

  void Add(int target_first, const std::vector<double>& w) {
    first.push_back(target_first);
    offset.push_back(static_cast<int>(weights.size()));
    count.push_back(static_cast<int>(w.size()));
    // Rounded weights must still sum to exactly one, or flat areas would drift in colour.
    int sum = 0;
    size_t largest = 0;
    for (size_t i = 0; i < w.size(); ++i) {
      int q = static_cast<int>(std::lround(w[i] * kOne));
      weights.push_back(q);
      sum += q;
      if (w[i] > w[largest]) largest = i;
    }
    weights[offset.back() + largest] += kOne - sum;
  }
};

Taps MakeTaps(int src, int dst) {
  Taps t;
  std::vector<double> w;
  const double scale = double(src) / dst;
  for (int d = 0; d < dst; ++d) {
    w.clear();
    int first;
    if (src == dst) {
      first = d;
      w.push_back(1.0);
    } else if (src > dst) {
      // Area average: the target pixel covers [lo, hi) of the source axis.
      double lo = d * scale, hi = (d + 1) * scale;
      first = static_cast<int>(lo);
      int last = std::min(src - 1, static_cast<int>(std::ceil(hi)) - 1);
      for (int i = first; i <= last; ++i) {
        double cover = std::min(hi, double(i + 1)) - std::max(lo, double(i));
        w.push_back(std::max(0.0, cover) / scale);
      }
    } else {
      // Linear interpolation between the two source pixels around the target's centre.
      double c = (d + 0.5) * scale - 0.5;
      if (c <= 0) {
        first = 0;
        w.push_back(1.0);
      } else if (c >= src - 1) {
        first = src - 1;
        w.push_back(1.0);
      } else {
        first = static_cast<int>(c);
        double f = c - first;
        w.push_back(1.0 - f);
        w.push_back(f);
      }
    }
    t.Add(first, w);
  }
  return t;
}

// Weighted sum of premultiplied BGRA pixels read every `stride` pixels; colour never exceeds
// alpha, which AlphaBlend relies on.
inline uint32_t Blend(const uint32_t* p, size_t stride, const int* w, int n) {
  uint32_t b = 0, g = 0, r = 0, a = 0;
  for (int i = 0; i < n; ++i) {
    uint32_t px = p[i * stride];
    uint32_t wi = static_cast<uint32_t>(w[i]);
    b += (px & 0xFF) * wi;
    g += ((px >> 8) & 0xFF) * wi;
    r += ((px >> 16) & 0xFF) * wi;
    a += (px >> 24) * wi;
  }
  auto fix = [](uint32_t v) { return std::min<uint32_t>(255, (v + kOne / 2) >> 14); };
  uint32_t aa = fix(a);
  return std::min(fix(b), aa) | std::min(fix(g), aa) << 8 | std::min(fix(r), aa) << 16 | aa << 24;
}

}  // namespace

void ResamplePixels(const uint32_t* src, int sw, int sh, uint32_t* dst, int dw, int dh) {
  Taps tx = MakeTaps(sw, dw);
  Taps ty = MakeTaps(sh, dh);
  // Rows first into a dw x sh buffer, then columns.
  std::vector<uint32_t> mid(static_cast<size_t>(dw) * sh);
  for (int y = 0; y < sh; ++y) {
    const uint32_t* in = src + static_cast<size_t>(y) * sw;
    uint32_t* out = mid.data() + static_cast<size_t>(y) * dw;
    for (int x = 0; x < dw; ++x) {
      out[x] = Blend(in + tx.first[x], 1, &tx.weights[tx.offset[x]], tx.count[x]);
    }
  }
  for (int y = 0; y < dh; ++y) {
    const uint32_t* in = mid.data() + static_cast<size_t>(ty.first[y]) * dw;
    const int* w = &ty.weights[ty.offset[y]];
    uint32_t* out = dst + static_cast<size_t>(y) * dw;
    for (int x = 0; x < dw; ++x) out[x] = Blend(in + x, dw, w, ty.count[y]);
  }
}

Bitmap Resample(const Bitmap& src, int width, int height) {
  if (src.empty()) return Bitmap();
  Bitmap out = Bitmap::Create(width, height);
  if (out.empty()) return out;
  GdiFlush();
  ResamplePixels(src.pixels(), src.width(), src.height(), out.pixels(), width, height);
  return out;
}

}  // namespace rc::draw
