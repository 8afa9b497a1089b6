#pragma once
// One raster band of a longitude/latitude grid that GDAL can open (a GeoTIFF,
// a VRT of several GeoTIFFs, a NetCDF variable as NETCDF:"file.nc":name).
// Pixel (row, col) covers the cell from (west + col * dx, north - row * dy)
// to one pixel further east and south: values are pixel-centred, so the
// edges of an 8-degree cell fall on pixel edges. GDAL turns south-first
// NetCDF grids north-up before they get here.

#include <cstdint>
#include <memory>
#include <string>

class GDALDataset;
class GDALRasterBand;

namespace tessarin::tiles {

class GridSource {
public:
    ~GridSource();
    GridSource(const GridSource&) = delete;
    GridSource& operator=(const GridSource&) = delete;

    // Opens the first band of a dataset. Null with a message in error when
    // GDAL cannot open it or it is not a plain longitude/latitude grid.
    static std::unique_ptr<GridSource> open(const std::string& datasetName, std::string& error);

    const std::string& datasetName() const { return datasetName_; }
    int cols() const { return cols_; }
    int rows() const { return rows_; }
    double west() const { return west_; }
    double north() const { return north_; }
    double east() const { return west_ + cols_ * dx_; }
    double south() const { return north_ - rows_ * dy_; }
    double dx() const { return dx_; }
    double dy() const { return dy_; }
    // The grid runs all the way round the earth, so its east edge joins its
    // west edge.
    bool global() const { return global_; }

    // Column holding longitude lon (the grid's own longitudes may run
    // 0..360: a turn east or west is tried as well), or -1 outside.
    int columnOf(double lon) const;
    // Row holding latitude lat, or -1 outside the grid or beyond a pole.
    int rowOf(double lat) const;
    // Longitude shift (0, 360 or -360) under which lon lies in the grid, or
    // NaN when it does not.
    double shiftFor(double lon) const;

    // Reads the window of count x rowCount pixels at (col, row), which must lie
    // inside the grid, into out (row stride lineStride values). Elevation
    // reads apply the band's scale and offset and give NaN for no data.
    bool readValues(int col, int row, int count, int rowCount, float* out, std::size_t lineStride,
                    std::string& error);
    // Raw values clamped to 0..255 (the source-type codes).
    bool readBytes(int col, int row, int count, int rowCount, std::uint8_t* out, std::size_t lineStride,
                   std::string& error);

private:
    GridSource() = default;
    void cleanValues(float* out, int count, int rowCount, std::size_t lineStride) const;

    std::string datasetName_;
    GDALDataset* dataset_ = nullptr;
    GDALRasterBand* band_ = nullptr;
    int cols_ = 0;
    int rows_ = 0;
    double west_ = 0.0;
    double north_ = 0.0;
    double dx_ = 0.0;
    double dy_ = 0.0;
    bool global_ = false;
    bool hasNoData_ = false;
    double noData_ = 0.0;
    double scale_ = 1.0;
    double offset_ = 0.0;
};

// Registers GDAL's drivers once and caps its block cache, so reading a grid
// of several gigabytes stays within bounded memory.
void initialiseGdal();

}  // namespace tessarin::tiles
