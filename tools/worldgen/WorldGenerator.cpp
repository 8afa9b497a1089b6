#include "WorldGenerator.hpp"

#include "Artwork.hpp"
#include "PngFile.hpp"
#include "ReferenceSurvey.hpp"
#include "SampleInputs.hpp"
#include "TileRenderer.hpp"
#include "WorldModel.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace tessarin::worldgen {

namespace {

enum class JobKind { Cell, Overview, Globe };

struct Job {
    JobKind kind;
    int lon0;
    int lat0;
    bool wantData = false;
    bool wantPicture = false;
    std::vector<std::string> files;  // relative names written by the job
};

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
    const std::string temporary = path + ".part";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) {
            error = "cannot create " + temporary;
            return false;
        }
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            error = "cannot write " + path;
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) {
        error = "cannot rename " + temporary + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace

std::vector<CellId> defaultCells() {
    std::vector<CellId> cells;
    for (int lat0 = 0; lat0 <= 32; lat0 += 8)
        for (int lon0 = -172; lon0 <= -116; lon0 += 8) cells.push_back({lon0, lat0});
    cells.push_back({-108, 8});
    cells.push_back({-108, 16});
    return cells;
}

bool regionCells(int lonWest, int lonEast, int latSouth, int latNorth, std::vector<CellId>& cells,
                 std::string& error) {
    if ((lonWest + 180) % 8 != 0 || (lonEast + 180) % 8 != 0 || latSouth % 8 != 0 || latNorth % 8 != 0) {
        error = "region edges must be multiples of 8 degrees (cell edges), e.g. -172 -108 0 40";
        return false;
    }
    if (lonWest < -180 || lonEast > 180 || lonWest >= lonEast) {
        error = "region longitudes must satisfy -180 <= west < east <= 180";
        return false;
    }
    if (latSouth < -88 || latNorth > 88 || latSouth >= latNorth) {
        error = "region latitudes must satisfy -88 <= south < north <= 88";
        return false;
    }
    cells.clear();
    for (int lat0 = latSouth; lat0 < latNorth; lat0 += 8)
        for (int lon0 = lonWest; lon0 < lonEast; lon0 += 8) cells.push_back({lon0, lat0});
    return true;
}

bool generateWorld(const GeneratorOptions& options, std::ostream& out, std::ostream& err) {
    const auto start = std::chrono::steady_clock::now();
    const std::string root = options.outDir.empty() ? std::string(".") : options.outDir;
    std::error_code ec;
    for (const char* sub : {"", "Tile_8png_d", "Tile_8png_i", "GlobeTiles", "Logos"}) {
        const fs::path folder = *sub ? fs::path(root) / sub : fs::path(root);
        fs::create_directories(folder, ec);
        if (ec) {
            err << "tessarin-worldgen: cannot create folder " << folder.string() << ": " << ec.message() << "\n";
            return false;
        }
    }
    {
        // Folders can exist and still refuse files.
        const std::string probe = (fs::path(root) / ".worldgen-probe").string();
        std::ofstream test(probe);
        if (!test) {
            err << "tessarin-worldgen: cannot write into " << root << "\n";
            return false;
        }
        test.close();
        fs::remove(probe, ec);
    }
    auto at = [&](const std::string& name) { return (fs::path(root) / name).string(); };
    auto needed = [&](const std::string& name) { return options.rebuild || !exists(at(name)); };

    // Work list: one job per tile, cells first.
    std::vector<Job> jobs;
    for (const CellId& c : options.cells) {
        Job job{JobKind::Cell, c.lon0, c.lat0, false, false, {}};
        job.wantData = options.writeData && needed(dataTileName(c.lon0, c.lat0));
        job.wantPicture = options.writePictures && needed(pictureTileName(c.lon0, c.lat0));
        if (options.writeData) job.files.push_back(dataTileName(c.lon0, c.lat0));
        if (options.writePictures) job.files.push_back(pictureTileName(c.lon0, c.lat0));
        if (!job.files.empty()) jobs.push_back(job);
    }
    if (options.writeOverviews) {
        for (const CellId& b : tilekit::overviewBlocks()) {
            Job job{JobKind::Overview, b.lon0, b.lat0, false, false, {}};
            job.wantPicture = needed(overviewName(b.lon0, b.lat0));
            job.files.push_back(overviewName(b.lon0, b.lat0));
            jobs.push_back(job);
        }
    }
    if (options.writeGlobe) {
        for (const CellId& g : startupGlobeTiles()) {
            Job job{JobKind::Globe, g.lon0, g.lat0, false, false, {}};
            job.wantPicture = needed(globeTileName(g.lon0, g.lat0));
            job.files.push_back(globeTileName(g.lon0, g.lat0));
            jobs.push_back(job);
        }
    }

    bool anyCell = false, anyData = false, anyWide = false;
    GeoBox fineBox{180.0, -180.0, 90.0, -90.0};
    for (const Job& j : jobs) {
        if (!j.wantData && !j.wantPicture) continue;
        if (j.kind == JobKind::Cell) {
            anyCell = true;
            anyData = anyData || j.wantData;
            fineBox.west = std::min(fineBox.west, j.lon0 - 0.5);
            fineBox.east = std::max(fineBox.east, j.lon0 + 8.5);
            fineBox.south = std::min(fineBox.south, j.lat0 - 0.5);
            fineBox.north = std::max(fineBox.north, j.lat0 + 8.5);
        } else {
            anyWide = true;
        }
    }

    const int threads = std::max(1, options.threads);
    std::unique_ptr<WorldModel> world;
    std::unique_ptr<ReferenceSurvey> survey;
    if (anyCell || anyWide) {
        world = std::make_unique<WorldModel>(options.seed);
        world->prepare(anyCell ? &fineBox : nullptr, anyWide, threads);
        if (anyData) survey = std::make_unique<ReferenceSurvey>(*world, threads);
        out << "world model ready (seed " << options.seed << ") after " << std::fixed << std::setprecision(1)
            << secondsSince(start) << " s\n";
        out.unsetf(std::ios::floatfield);
    }

    std::mutex lock;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::size_t written = 0, skipped = 0;
    const std::size_t total = jobs.size();

    auto report = [&](std::size_t index, const Job& job, bool didWork, double seconds, long referencePixels) {
        std::ostringstream line;
        line << "[" << std::setw(2) << index + 1 << "/" << total << "] ";
        for (std::size_t k = 0; k < job.files.size(); ++k) line << (k ? ", " : "") << job.files[k];
        if (didWork) {
            line << " (" << std::fixed << std::setprecision(1) << seconds << " s";
            if (referencePixels >= 0) line << ", " << referencePixels << " reference pixels";
            line << ")";
        } else {
            line << " exists, skipped";
        }
        std::lock_guard<std::mutex> guard(lock);
        out << line.str() << "\n" << std::flush;
        (didWork ? written : skipped)++;
    };
    auto fail = [&](const std::string& message) {
        std::lock_guard<std::mutex> guard(lock);
        err << "tessarin-worldgen: " << message << "\n";
        failed = true;
    };

    auto worker = [&] {
        CellImages cell;
        std::vector<std::uint8_t> rgb;
        for (;;) {
            const std::size_t index = next++;
            if (index >= jobs.size() || failed) return;
            const Job& job = jobs[index];
            if (!job.wantData && !job.wantPicture) {
                report(index, job, false, 0.0, -1);
                continue;
            }
            const auto t0 = std::chrono::steady_clock::now();
            std::string error;
            long reference = -1;
            if (job.kind == JobKind::Cell) {
                renderCell(*world, *survey, job.lon0, job.lat0, job.wantData, job.wantPicture, cell);
                if (job.wantData) {
                    reference = cell.referencePixels;
                    if (!tilekit::writePng(at(dataTileName(job.lon0, job.lat0)), 1920, 1920, 4, cell.dataRgba, error))
                        return fail(error);
                }
                if (job.wantPicture &&
                    !tilekit::writeRgbPng(at(pictureTileName(job.lon0, job.lat0)), cell.pictureWidth, 1920, cell.pictureRgb, error))
                    return fail(error);
            } else if (job.kind == JobKind::Overview) {
                renderPicture(*world, job.lon0, job.lat0, 72.0, 72.0, 1920, 1920, Detail{8.0, false, false}, rgb);
                if (!tilekit::writeRgbPng(at(overviewName(job.lon0, job.lat0)), 1920, 1920, rgb, error)) return fail(error);
            } else {
                renderPicture(*world, job.lon0, job.lat0, 15.0, 8.0, 1800, 960, Detail{2.0, false, false}, rgb);
                if (!tilekit::writeRgbPng(at(globeTileName(job.lon0, job.lat0)), 1800, 960, rgb, error)) return fail(error);
            }
            report(index, job, true, secondsSince(t0), reference);
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(worker);
    worker();
    for (auto& t : pool) t.join();
    if (failed) return false;

    if (options.writeArtwork) {
        for (const RawImage& image : makeArtwork()) {
            const std::string name = "Logos/" + image.name;
            if (!needed(name)) continue;
            std::string error;
            if (!writeFileBytes(at(name), image.rgb, error)) {
                err << "tessarin-worldgen: " << error << "\n";
                return false;
            }
        }
        out << "logos and buttons written to " << at("Logos") << "\n";
    }
    if (options.writeSamples) {
        for (const std::string& name : sampleFileNames()) {
            if (!needed(name)) continue;
            const fs::path from = fs::path(options.dataDir) / name;
            fs::copy_file(from, at(name), fs::copy_options::overwrite_existing, ec);
            if (ec) {
                err << "tessarin-worldgen: cannot copy " << from.string() << " to " << at(name) << ": " << ec.message()
                    << "\n";
                return false;
            }
        }
        const std::string shp = std::string(kShapefileBase) + ".shp";
        if (needed(shp) || needed(std::string(kShapefileBase) + ".shx") || needed(std::string(kShapefileBase) + ".dbf")) {
            std::string error;
            if (!writeShapefile(at(kShapefileBase), error)) {
                err << "tessarin-worldgen: " << error << "\n";
                return false;
            }
        }
        out << "sample inputs copied from " << options.dataDir << "\n";
    }
    out << "world ready in " << root << ": " << written << " tiles written, " << skipped << " skipped, "
        << std::fixed << std::setprecision(1) << secondsSince(start) << " s\n";
    out.unsetf(std::ios::floatfield);
    return true;
}

}  // namespace tessarin::worldgen
