#include "TilesGridWriters.hpp"

#include <gdal_priv.h>
#include <netcdf.h>
#include <ogr_spatialref.h>

#include <cstdint>
#include <vector>

namespace tessarin::test {

bool writeGeoTiff(const std::string& path, const GridShape& grid, bool bytes, int epsg) {
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (!driver) return false;
    GDALDataset* ds = driver->Create(path.c_str(), grid.cols, grid.rows, 1, bytes ? GDT_Byte : GDT_Int16, nullptr);
    if (!ds) return false;
    double gt[6] = {grid.west, grid.deg, 0.0, grid.north, 0.0, -grid.deg};
    ds->SetGeoTransform(gt);
    OGRSpatialReference srs;
    srs.importFromEPSG(epsg);
    ds->SetSpatialRef(&srs);
    std::vector<float> row(static_cast<std::size_t>(grid.cols));
    bool ok = true;
    for (int r = 0; r < grid.rows && ok; ++r) {
        for (int c = 0; c < grid.cols; ++c) row[c] = static_cast<float>(grid.value(r, c));
        ok = ds->GetRasterBand(1)->RasterIO(GF_Write, 0, r, grid.cols, 1, row.data(), grid.cols, 1, GDT_Float32, 0,
                                            0, nullptr) == CE_None;
    }
    GDALClose(GDALDataset::ToHandle(ds));
    return ok;
}

bool writeNetcdf(const std::string& path, const std::string& name, const GridShape& grid, bool bytes, double scale,
                 double offset) {
    int nc = 0, latDim = 0, lonDim = 0, latVar = 0, lonVar = 0, var = 0;
    if (nc_create(path.c_str(), NC_CLOBBER | NC_NETCDF4, &nc) != NC_NOERR) return false;
    bool ok = nc_def_dim(nc, "lat", static_cast<size_t>(grid.rows), &latDim) == NC_NOERR &&
              nc_def_dim(nc, "lon", static_cast<size_t>(grid.cols), &lonDim) == NC_NOERR &&
              nc_def_var(nc, "lat", NC_DOUBLE, 1, &latDim, &latVar) == NC_NOERR &&
              nc_def_var(nc, "lon", NC_DOUBLE, 1, &lonDim, &lonVar) == NC_NOERR;
    const int dims[2] = {latDim, lonDim};
    ok = ok && nc_def_var(nc, name.c_str(), bytes ? NC_BYTE : NC_SHORT, 2, dims, &var) == NC_NOERR;
    ok = ok && nc_put_att_text(nc, latVar, "units", 13, "degrees_north") == NC_NOERR &&
         nc_put_att_text(nc, lonVar, "units", 12, "degrees_east") == NC_NOERR &&
         nc_put_att_text(nc, latVar, "standard_name", 8, "latitude") == NC_NOERR &&
         nc_put_att_text(nc, lonVar, "standard_name", 9, "longitude") == NC_NOERR;
    if (scale != 1.0 || offset != 0.0)
        ok = ok && nc_put_att_double(nc, var, "scale_factor", NC_DOUBLE, 1, &scale) == NC_NOERR &&
             nc_put_att_double(nc, var, "add_offset", NC_DOUBLE, 1, &offset) == NC_NOERR;
    ok = ok && nc_enddef(nc) == NC_NOERR;
    std::vector<double> lat(static_cast<std::size_t>(grid.rows)), lon(static_cast<std::size_t>(grid.cols));
    const double south = grid.north - grid.rows * grid.deg;
    for (int i = 0; i < grid.rows; ++i) lat[i] = south + (i + 0.5) * grid.deg;
    for (int i = 0; i < grid.cols; ++i) lon[i] = grid.west + (i + 0.5) * grid.deg;
    ok = ok && nc_put_var_double(nc, latVar, lat.data()) == NC_NOERR &&
         nc_put_var_double(nc, lonVar, lon.data()) == NC_NOERR;
    // Row i of the file is the i-th row from the south.
    std::vector<short> shorts;
    std::vector<signed char> chars;
    for (int i = 0; i < grid.rows && ok; ++i) {
        const int r = grid.rows - 1 - i;
        const size_t start[2] = {static_cast<size_t>(i), 0};
        const size_t count[2] = {1, static_cast<size_t>(grid.cols)};
        if (bytes) {
            chars.resize(static_cast<std::size_t>(grid.cols));
            for (int c = 0; c < grid.cols; ++c) chars[c] = static_cast<signed char>(grid.value(r, c));
            ok = nc_put_vara_schar(nc, var, start, count, chars.data()) == NC_NOERR;
        } else {
            shorts.resize(static_cast<std::size_t>(grid.cols));
            for (int c = 0; c < grid.cols; ++c) shorts[c] = static_cast<short>(grid.value(r, c));
            ok = nc_put_vara_short(nc, var, start, count, shorts.data()) == NC_NOERR;
        }
    }
    return nc_close(nc) == NC_NOERR && ok;
}

}  // namespace tessarin::test
