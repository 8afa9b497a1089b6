#include "Shorelines.hpp"

#include <cmath>
#include <sstream>

namespace tessarin::worldgen {

extern const char* const kShoreText;

namespace {

bool samePoint(const GeoPoint& a, const GeoPoint& b) {
    return std::fabs(a.lon - b.lon) < 1e-7 && std::fabs(a.lat - b.lat) < 1e-7;
}

}  // namespace

Shorelines parseShorelines(const std::string& text) {
    std::vector<std::vector<GeoPoint>> pieces;
    std::istringstream in(text);
    std::string line;
    bool open = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '>') {
            open = false;
            continue;
        }
        std::istringstream values(line);
        GeoPoint p{};
        if (!(values >> p.lon >> p.lat)) continue;
        if (!open) pieces.emplace_back();
        open = true;
        pieces.back().push_back(p);
    }

    // Join piece ends to piece starts until nothing more joins.
    Shorelines out;
    std::vector<std::vector<GeoPoint>> lines;
    std::vector<bool> used(pieces.size(), false);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (used[i] || pieces[i].empty()) continue;
        used[i] = true;
        std::vector<GeoPoint> chain = pieces[i];
        for (bool grew = true; grew && !(chain.size() > 2 && samePoint(chain.front(), chain.back()));) {
            grew = false;
            for (std::size_t j = 0; j < pieces.size(); ++j) {
                if (used[j] || pieces[j].empty() || !samePoint(chain.back(), pieces[j].front())) continue;
                chain.insert(chain.end(), pieces[j].begin() + 1, pieces[j].end());
                used[j] = true;
                grew = true;
                break;
            }
            // A chain may also continue backwards: a piece that ends where it starts.
            for (std::size_t j = 0; !grew && j < pieces.size(); ++j) {
                if (used[j] || pieces[j].empty() || !samePoint(pieces[j].back(), chain.front())) continue;
                chain.insert(chain.begin(), pieces[j].begin(), pieces[j].end() - 1);
                used[j] = true;
                grew = true;
            }
        }
        if (chain.size() > 3 && samePoint(chain.front(), chain.back())) {
            chain.pop_back();
            out.islands.push_back(std::move(chain));
        } else if (chain.size() >= 2) {
            lines.push_back(std::move(chain));
        }
    }
    for (std::vector<GeoPoint>& l : lines)
        if (l.size() > out.mainland.size()) out.mainland = std::move(l);
    return out;
}

const Shorelines& sampleShorelines() {
    static const Shorelines shores = parseShorelines(kShoreText);
    return shores;
}

}  // namespace tessarin::worldgen
