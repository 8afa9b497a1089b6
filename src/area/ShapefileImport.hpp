#pragma once
// Shapefile import. Of a polygon shapefile only the second shape (index 1)
// becomes polygon vertices; coordinates are stored as hundred-thousandths of
// a degree (x = longitude, y = latitude). Every shape's vertex count is listed;
// arc files are listed vertex by vertex; point files are read silently.

#include <ostream>
#include <string>

namespace tessarin {

class SurveyPolygon;

// Adds the vertices after the polygon's current vertex. A file that cannot be
// opened, or that is damaged anywhere, is reported and adds nothing (false).
bool importShapefile(const std::string& path, SurveyPolygon& polygon, std::ostream& out);

}  // namespace tessarin
