#pragma once
// Polygon files: a header line ("Lon, Lat  " when written, anything when
// read), then one vertex per line, longitude and latitude in decimal degrees
// separated by a comma (or blanks). Vertices are in ring order from the first
// one, which is not repeated at the end.

#include <ostream>
#include <string>

namespace tessarin {

class SurveyPolygon;

// Adds the vertices of a polygon file, or of a shapefile when the path ends
// in ".shp" (any case), after the polygon's current vertex. False when the
// file could not be read (nothing is added then).
bool loadPolygonFile(const std::string& path, SurveyPolygon& polygon, std::ostream& out);

// Reads a text polygon file. Lines other than a longitude and a latitude are
// skipped with a message naming the line; blank lines are skipped silently.
bool readPolygonFile(const std::string& path, SurveyPolygon& polygon, std::ostream& out);

// Writes the polygon file. An existing file is replaced only once the new one
// is complete; false (with a message) when it cannot be written.
bool savePolygonFile(const std::string& path, const SurveyPolygon& polygon, std::ostream& out);

}  // namespace tessarin
