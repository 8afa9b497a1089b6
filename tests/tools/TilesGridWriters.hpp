#pragma once
// Small longitude/latitude grids for the converter's tests: GeoTIFFs made
// through GDAL and GEBCO-like NetCDF files made with the NetCDF library
// (rows stored south first, pixel-centred coordinate variables), so that
// GDAL's reading of them is under test too.

#include <functional>
#include <string>

namespace tessarin::test {

struct GridShape {
    double west;
    double north;
    double deg;  // pixel size in both directions
    int cols;
    int rows;
    // Value of the pixel in row r (counted from the north) and column c.
    std::function<int(int r, int c)> value;
};

// A one-band GeoTIFF of 16-bit integers (or bytes), geographic WGS 84
// unless epsg names another system. False when GDAL cannot write it.
bool writeGeoTiff(const std::string& path, const GridShape& grid, bool bytes = false, int epsg = 4326);

// A NetCDF file holding the variable `name` (16-bit integers, or bytes) on
// lat and lon coordinates, south first as GEBCO stores it. A scale other
// than 1 or an offset other than 0 is stored as scale_factor and add_offset
// (readers take value * scale + offset).
bool writeNetcdf(const std::string& path, const std::string& name, const GridShape& grid, bool bytes = false,
                 double scale = 1.0, double offset = 0.0);

}  // namespace tessarin::test
