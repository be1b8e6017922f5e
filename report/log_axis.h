#pragma once
// The logarithmic PPM axis that every chart of a report shares, so that
// bars and marks compare across charts: from a floor decade to a top that
// covers the highest reading and every threshold, the first of 1, 2 or 5
// times a power of ten at or above it, so that little of the axis is empty.
// Its grid and labels are the decades.
//
// The floor is 1 ppm, or the decade of the lowest reading above zero when
// that is lower; readings at or below the floor (0 ppm, which a log axis
// cannot show) are drawn on it.

#include <optional>
#include <vector>

inline constexpr double kDefaultAxisFloorPpm = 1;
inline constexpr double kLowestAxisFloorPpm = 0.001;

struct LogAxis {
  double floor_ppm;
  double top_ppm;
};

// lowest_positive_ppm: the lowest value above zero (none when there is
// none); highest_ppm: the highest reading or threshold.
LogAxis log_axis_covering(std::optional<double> lowest_positive_ppm, double highest_ppm);

// Where a value lies on the axis: 0 at the floor and below, 1 at the top.
double axis_fraction(const LogAxis& axis, double ppm);

// The decades from the floor up to the top.
std::vector<double> axis_decades(const LogAxis& axis);
