#include "GridSource.hpp"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <limits>
#include <mutex>

namespace tessarin::tiles {

namespace {

// GDAL's block cache: enough to keep the blocks of one band of tile rows of
// the widest grid while it is read, small against the 2 GB the tool may use.
constexpr std::int64_t kGdalCacheBytes = 256LL * 1024 * 1024;

std::string lastGdalError() {
    const char* message = CPLGetLastErrorMsg();
    return message && *message ? std::string(": ") + message
                               : std::string(" (missing, or not a grid GDAL can read)");
}

}  // namespace

void initialiseGdal() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        GDALSetCacheMax64(kGdalCacheBytes);
        // Messages become our own error lines, not GDAL's console output.
        CPLSetErrorHandler(CPLQuietErrorHandler);
    });
}

GridSource::~GridSource() {
    if (dataset_) GDALClose(GDALDataset::ToHandle(dataset_));
}

std::unique_ptr<GridSource> GridSource::open(const std::string& datasetName, std::string& error) {
    initialiseGdal();
    CPLErrorReset();
    GDALDataset* dataset = GDALDataset::FromHandle(GDALOpenEx(datasetName.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY,
                                                              nullptr, nullptr, nullptr));
    if (!dataset) {
        error = "cannot open " + datasetName + lastGdalError();
        return nullptr;
    }
    std::unique_ptr<GridSource> grid(new GridSource);
    grid->datasetName_ = datasetName;
    grid->dataset_ = dataset;
    if (dataset->GetRasterCount() < 1) {
        // A NetCDF file with several variables opens as a list of them.
        error = datasetName + " holds no raster band (for a NetCDF file name the variable: NETCDF:\"file.nc\":elevation)";
        return nullptr;
    }
    grid->band_ = dataset->GetRasterBand(1);
    grid->cols_ = dataset->GetRasterXSize();
    grid->rows_ = dataset->GetRasterYSize();
    double gt[6];
    if (dataset->GetGeoTransform(gt) != CE_None) {
        error = datasetName + " has no georeferencing (pixel size and corner)";
        return nullptr;
    }
    if (gt[2] != 0.0 || gt[4] != 0.0) {
        error = datasetName + " is rotated or sheared; only north-up longitude/latitude grids can be read";
        return nullptr;
    }
    if (!(gt[1] > 0.0) || !(gt[5] < 0.0)) {
        error = datasetName + " does not run west to east and north to south (GDAL turns NetCDF grids north-up "
                       "unless GDAL_NETCDF_BOTTOMUP=NO is set)";
        return nullptr;
    }
    if (const OGRSpatialReference* srs = dataset->GetSpatialRef(); srs && srs->IsProjected()) {
        error = datasetName + " is in a projected coordinate system; a longitude/latitude grid is needed";
        return nullptr;
    }
    grid->west_ = gt[0];
    grid->north_ = gt[3];
    grid->dx_ = gt[1];
    grid->dy_ = -gt[5];
    if (grid->west_ < -540.0 || grid->east() > 540.0 || grid->north_ > 90.0 + grid->dy_ ||
        grid->south() < -90.0 - grid->dy_) {
        error = datasetName + " does not look like a longitude/latitude grid (it spans " + std::to_string(grid->west_) +
                " .. " + std::to_string(grid->east()) + " east, " + std::to_string(grid->south()) + " .. " +
                std::to_string(grid->north_) + " north)";
        return nullptr;
    }
    grid->global_ = std::fabs(grid->cols_ * grid->dx_ - 360.0) < 0.5 * grid->dx_;
    int has = 0;
    const double noData = grid->band_->GetNoDataValue(&has);
    grid->hasNoData_ = has != 0;
    grid->noData_ = noData;
    int hasScale = 0, hasOffset = 0;
    const double scale = grid->band_->GetScale(&hasScale);
    const double offset = grid->band_->GetOffset(&hasOffset);
    if (hasScale) grid->scale_ = scale;
    if (hasOffset) grid->offset_ = offset;
    return grid;
}

double GridSource::shiftFor(double lon) const {
    for (double shift : {0.0, 360.0, -360.0}) {
        const double x = lon + shift;
        if (x >= west_ && x < east()) return shift;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

int GridSource::columnOf(double lon) const {
    const double shift = shiftFor(lon);
    if (std::isnan(shift)) return -1;
    const long col = static_cast<long>(std::floor((lon + shift - west_) / dx_));
    return col >= 0 && col < cols_ ? static_cast<int>(col) : -1;
}

int GridSource::rowOf(double lat) const {
    if (lat > 90.0 || lat < -90.0) return -1;
    const double y = (north_ - lat) / dy_;
    if (!(y >= 0.0)) return -1;
    const long row = static_cast<long>(std::floor(y));
    return row < rows_ ? static_cast<int>(row) : -1;
}

void GridSource::cleanValues(float* out, int count, int rowCount, std::size_t lineStride) const {
    const float noData = static_cast<float>(noData_);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int r = 0; r < rowCount; ++r) {
        float* row = out + static_cast<std::size_t>(r) * lineStride;
        for (int c = 0; c < count; ++c) {
            float& v = row[c];
            if (std::isnan(v) || (hasNoData_ && v == noData)) v = nan;
            else if (scale_ != 1.0 || offset_ != 0.0) v = static_cast<float>(v * scale_ + offset_);
        }
    }
}

bool GridSource::readValues(int col, int row, int count, int rowCount, float* out, std::size_t lineStride,
                            std::string& error) {
    CPLErrorReset();
    const CPLErr result = band_->RasterIO(GF_Read, col, row, count, rowCount, out, count, rowCount, GDT_Float32,
                                          sizeof(float), static_cast<GSpacing>(lineStride * sizeof(float)), nullptr);
    if (result != CE_None) {
        error = "cannot read " + datasetName_ + lastGdalError();
        return false;
    }
    cleanValues(out, count, rowCount, lineStride);
    return true;
}

bool GridSource::readBytes(int col, int row, int count, int rowCount, std::uint8_t* out, std::size_t lineStride,
                           std::string& error) {
    CPLErrorReset();
    const CPLErr result = band_->RasterIO(GF_Read, col, row, count, rowCount, out, count, rowCount, GDT_Byte, 1,
                                          static_cast<GSpacing>(lineStride), nullptr);
    if (result != CE_None) {
        error = "cannot read " + datasetName_ + lastGdalError();
        return false;
    }
    return true;
}

}  // namespace tessarin::tiles
