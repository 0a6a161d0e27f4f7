#include "skin/contrast.h"

namespace skin {

namespace {

// sRGB component to linear light, in millionths.
constexpr uint32_t kLinear[256] = {
    0,      304,    607,    911,     1214,   1518,   1821,   2125,   2428,   2732,   3035,   3347,
    3677,   4025,   4391,   4777,    5182,   5605,   6049,   6512,   6995,   7499,   8023,   8568,
    9134,   9721,   10330,  10960,   11612,  12286,  12983,  13702,  14444,  15209,  15996,  16807,
    17642,  18500,  19382,  20289,   21219,  22174,  23153,  24158,  25187,  26241,  27321,  28426,
    29557,  30713,  31896,  33105,   34340,  35601,  36889,  38204,  39546,  40915,  42311,  43735,
    45186,  46665,  48172,  49707,   51269,  52861,  54480,  56128,  57805,  59511,  61246,  63010,
    64803,  66626,  68478,  70360,   72272,  74214,  76185,  78187,  80220,  82283,  84376,  86500,
    88656,  90842,  93059,  95307,   97587,  99899,  102242, 104616, 107023, 109462, 111932, 114435,
    116971, 119538, 122139, 124772,  127438, 130136, 132868, 135633, 138432, 141263, 144128, 147027,
    149960, 152926, 155926, 158961,  162029, 165132, 168269, 171441, 174647, 177888, 181164, 184475,
    187821, 191202, 194618, 198069,  201556, 205079, 208637, 212231, 215861, 219526, 223228, 226966,
    230740, 234551, 238398, 242281,  246201, 250158, 254152, 258183, 262251, 266356, 270498, 274677,
    278894, 283149, 287441, 291771,  296138, 300544, 304987, 309469, 313989, 318547, 323143, 327778,
    332452, 337164, 341914, 346704,  351533, 356400, 361307, 366253, 371238, 376262, 381326, 386429,
    391572, 396755, 401978, 407240,  412543, 417885, 423268, 428690, 434154, 439657, 445201, 450786,
    456411, 462077, 467784, 473531,  479320, 485150, 491021, 496933, 502886, 508881, 514918, 520996,
    527115, 533276, 539479, 545724,  552011, 558340, 564712, 571125, 577580, 584078, 590619, 597202,
    603827, 610496, 617207, 623960,  630757, 637597, 644480, 651406, 658375, 665387, 672443, 679542,
    686685, 693872, 701102, 708376,  715694, 723055, 730461, 737910, 745404, 752942, 760525, 768151,
    775822, 783538, 791298, 799103,  806952, 814847, 822786, 830770, 838799, 846873, 854993, 863157,
    871367, 879622, 887923, 896269,  904661, 913099, 921582, 930111, 938686, 947307, 955973, 964686,
    973445, 982251, 991102, 1000000,
};

constexpr Rgb kWhite = {255, 255, 255};
constexpr Rgb kBlack = {0, 0, 0};

// The smallest share of `end` that makes `text` reach the ratio on `back`, or -1. Luminance
// grows steadily along the way to white and falls along the way to black, so the first share
// that reaches it is found by halving.
int ShareToReach(Rgb text, Rgb back, Rgb end, int ratio) {
  if (ContrastRatio(MixRgb(text, end, 256), back) < ratio) return -1;
  int low = 0, high = 256;  // low fails, high reaches
  while (high - low > 1) {
    const int mid = (low + high) / 2;
    if (ContrastRatio(MixRgb(text, end, mid), back) >= ratio) {
      high = mid;
    } else {
      low = mid;
    }
  }
  return high;
}

}  // namespace

uint32_t Luminance(Rgb c) {
  const uint64_t sum = 2126ull * kLinear[c.r] + 7152ull * kLinear[c.g] + 722ull * kLinear[c.b];
  return uint32_t(sum / 10000);
}

int ContrastRatio(Rgb a, Rgb b) {
  uint32_t la = Luminance(a) + 50000, lb = Luminance(b) + 50000;
  if (la < lb) {
    const uint32_t t = la;
    la = lb;
    lb = t;
  }
  return int(uint64_t(la) * 100 / lb);
}

Rgb MixRgb(Rgb a, Rgb b, int t) {
  if (t < 0) t = 0;
  if (t > 256) t = 256;
  auto mix = [t](int x, int y) { return uint8_t(x + ((y - x) * t) / 256); };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

Rgb ReadableOn(Rgb text, Rgb back, int ratio) {
  if (ContrastRatio(text, back) >= ratio) return text;
  // A hundredth over: the table's rounding must not leave a new colour just short of it.
  ++ratio;
  const bool dark = ContrastRatio(kWhite, back) >= ContrastRatio(kBlack, back);
  const Rgb first = dark ? kWhite : kBlack, second = dark ? kBlack : kWhite;
  int t = ShareToReach(text, back, first, ratio);
  if (t >= 0) return MixRgb(text, first, t);
  t = ShareToReach(text, back, second, ratio);
  if (t >= 0) return MixRgb(text, second, t);
  // Neither way reaches it: the end with more contrast.
  return ContrastRatio(first, back) >= ContrastRatio(second, back) ? first : second;
}

}  // namespace skin
