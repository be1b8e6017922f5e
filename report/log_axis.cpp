#include "report/log_axis.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDecade = 10;
constexpr double kTopSteps[] = {1, 2, 5, 10};

}  // namespace

LogAxis log_axis_covering(std::optional<double> lowest_positive_ppm, double highest_ppm) {
  double floor_ppm = kDefaultAxisFloorPpm;
  if (lowest_positive_ppm && *lowest_positive_ppm < floor_ppm) {
    floor_ppm = std::max(kLowestAxisFloorPpm, std::pow(kDecade, std::floor(std::log10(*lowest_positive_ppm))));
  }
  double top_ppm = floor_ppm * kDecade;
  if (highest_ppm > top_ppm) {
    const double decade = std::pow(kDecade, std::floor(std::log10(highest_ppm)));
    for (const double step : kTopSteps) {
      top_ppm = decade * step;
      if (top_ppm >= highest_ppm) break;
    }
  }
  return LogAxis{floor_ppm, top_ppm};
}

double axis_fraction(const LogAxis& axis, double ppm) {
  if (!(ppm > axis.floor_ppm)) return 0;
  return std::min(1.0, std::log10(ppm / axis.floor_ppm) / std::log10(axis.top_ppm / axis.floor_ppm));
}

std::vector<double> axis_decades(const LogAxis& axis) {
  std::vector<double> decades;
  // A little slack, so that a top of exactly a decade is one despite rounding.
  const int count = static_cast<int>(std::floor(std::log10(axis.top_ppm / axis.floor_ppm) + 1e-9));
  for (int step = 0; step <= count; ++step) decades.push_back(axis.floor_ppm * std::pow(kDecade, step));
  return decades;
}
