#include "skeleton/portable_trig.h"

#include <cmath>
#include <cstddef>

namespace {

constexpr double kPi = 0x1.921fb54442d18p+1;
constexpr double kHalfPi = 0x1.921fb54442d18p+0;
constexpr double kQuarterPi = 0x1.921fb54442d18p-1;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
// pi/2 in three parts; the first two have at most 33 significant bits, so
// their products with a quadrant count below 2^20 are exact.
constexpr double kHalfPiPart1 = 0x1.921fb544p+0;
constexpr double kHalfPiPart2 = 0x1.0b4611a6p-34;
constexpr double kHalfPiPart3 = 0x1.3198a2e037073p-69;
// Beyond this the reduction above is no longer exact; such arguments are
// first folded into one turn with the exact fmod, which keeps the result
// deterministic and bounded, though no longer close to the true value.
constexpr double kLargeArgument = 0x1p+20;

// Taylor series on |r| <= pi/4 in powers of r^2, highest power first; the
// first omitted terms are below 1e-19.
constexpr double kSinSeries[] = {-1.0 / 121645100408832000.0, 1.0 / 355687428096000.0,
                                 -1.0 / 1307674368000.0,      1.0 / 6227020800.0,
                                 -1.0 / 39916800.0,           1.0 / 362880.0,
                                 -1.0 / 5040.0,               1.0 / 120.0,
                                 -1.0 / 6.0};
constexpr double kCosSeries[] = {-1.0 / 6402373705728000.0, 1.0 / 20922789888000.0, -1.0 / 87178291200.0,
                                 1.0 / 479001600.0,         -1.0 / 3628800.0,       1.0 / 40320.0,
                                 -1.0 / 720.0,              1.0 / 24.0,             -1.0 / 2.0};
// atan(t) = t (1 - t^2/3 + t^4/5 - ...), 14 terms.
constexpr double kAtanSeries[] = {-1.0 / 27.0, 1.0 / 25.0, -1.0 / 23.0, 1.0 / 21.0, -1.0 / 19.0,
                                  1.0 / 17.0,  -1.0 / 15.0, 1.0 / 13.0, -1.0 / 11.0, 1.0 / 9.0,
                                  -1.0 / 7.0,  1.0 / 5.0,   -1.0 / 3.0, 1.0};

template <size_t N>
double EvaluateSeries(const double (&coefficients)[N], double r2) {
  double sum = coefficients[0];
  for (size_t i = 1; i < N; ++i) sum = coefficients[i] + r2 * sum;
  return sum;
}

double SinKernel(double r) {
  const double r2 = r * r;
  return r + r * (r2 * EvaluateSeries(kSinSeries, r2));
}

double CosKernel(double r) {
  const double r2 = r * r;
  return 1.0 + r2 * EvaluateSeries(kCosSeries, r2);
}

// x = r + quadrant * pi/2 with |r| <= pi/4 and quadrant in 0..3.
double ReduceQuarterTurns(float x, int& quadrant) {
  double value = x;
  if (std::fabs(value) > kLargeArgument) value = std::fmod(value, 2.0 * kPi);
  const double n = std::floor(value * kTwoOverPi + 0.5);
  quadrant = (static_cast<int>(n) % 4 + 4) % 4;
  return ((value - n * kHalfPiPart1) - n * kHalfPiPart2) - n * kHalfPiPart3;
}

// atan on 0 <= t <= 1: two argument halvings, atan(t) = 2 atan(t / (1 +
// sqrt(1 + t^2))), bring t below tan(pi/16) ~ 0.199, where the series leaves
// an error below 1e-20.
double AtanUnit(double t) {
  for (int i = 0; i < 2; ++i) t = t / (1.0 + std::sqrt(1.0 + t * t));
  return 4.0 * (t * EvaluateSeries(kAtanSeries, t * t));
}

}  // namespace

float PortableSin(float x) {
  if (!std::isfinite(x)) return x - x;  // NaN for NaN and infinities
  if (x == 0.0f) return x;              // keeps the sign of zero
  int quadrant = 0;
  const double r = ReduceQuarterTurns(x, quadrant);
  switch (quadrant) {
    case 0: return static_cast<float>(SinKernel(r));
    case 1: return static_cast<float>(CosKernel(r));
    case 2: return static_cast<float>(-SinKernel(r));
    default: return static_cast<float>(-CosKernel(r));
  }
}

float PortableCos(float x) {
  if (!std::isfinite(x)) return x - x;
  int quadrant = 0;
  const double r = ReduceQuarterTurns(x, quadrant);
  switch (quadrant) {
    case 0: return static_cast<float>(CosKernel(r));
    case 1: return static_cast<float>(-SinKernel(r));
    case 2: return static_cast<float>(-CosKernel(r));
    default: return static_cast<float>(SinKernel(r));
  }
}

float PortableAtan2(float y, float x) {
  if (std::isnan(x) || std::isnan(y)) return x + y;
  const bool xNegative = std::signbit(x);
  double angle = 0.0;
  if (std::isinf(x) && std::isinf(y)) {
    angle = xNegative ? 3.0 * kQuarterPi : kQuarterPi;
  } else if (y == 0.0f || std::isinf(x)) {
    angle = xNegative ? kPi : 0.0;
  } else if (x == 0.0f || std::isinf(y)) {
    angle = kHalfPi;
  } else {
    const double ax = std::fabs(static_cast<double>(x));
    const double ay = std::fabs(static_cast<double>(y));
    angle = ay > ax ? kHalfPi - AtanUnit(ax / ay) : AtanUnit(ay / ax);
    if (xNegative) angle = kPi - angle;
  }
  return static_cast<float>(std::signbit(y) ? -angle : angle);
}
