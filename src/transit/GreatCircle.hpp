#pragma once
// Great-circle arithmetic on the sphere. Latitudes and longitudes are degrees
// (north and east positive); angles returned are degrees of arc at the centre
// of the earth. Degrees turn into radians by 3.141592 / 180, the short value
// the transit figures (km = angle * 111.1) were tuned with.

namespace tessarin {

inline constexpr double kGcRadiansPerDegree = 0.01745328888888889;

// The point at fraction f (0 = start, 1 = end) along the great circle from
// (lat1, lon1) to (lat2, lon2), written to lon and lat; returns the central
// angle between the two ends in degrees. Coincident ends have no circle: the
// start is written and 0 returned, so callers test for 0 instead of meeting
// a division by zero.
float gcInterpolate(double lon1, double lon2, double lat1, double lat2, double f, double& lon, double& lat);

}  // namespace tessarin
