#pragma once
// config.txt: a whitespace-separated stream of words ending with "end".
// Keys are matched exactly; each known key reads its value at once.

#include <istream>
#include <ostream>
#include <string>

namespace tessarin {

struct Configuration {
    static constexpr std::size_t kMaxWord = 19;       // longest key word
    static constexpr std::size_t kMaxFileName = 99;   // longest extinction file name

    float depthMultiplier = 4.0f;   // swath width as a multiple of depth
    float boatSpeed = 9.0f;         // knots
    float turnRate = 60.0f;         // degrees per unit of time
    float fillOverlap = 10.0f;      // percent
    float edgeOverlap = 10.0f;      // percent
    float dayRate = 45000.0f;       // cost per day
    std::string extinctionTable = "EMdefault.txt";

    // Turn radius in metres: (360 / turn_rate) * (boat_speed * 0.5144) / 6.283184.
    float turnRadiusMetres() const;
};

// Reads the words of `in` into `config`, echoing each word and the key lines
// to `out`. Stops at "end" or at the end of input.
void readConfiguration(std::istream& in, std::ostream& out, Configuration& config);

// Opens `path`, prints "yes" or "cannot open config.txt", then reads it.
// False when the file could not be opened (every default then stands).
bool loadConfiguration(const std::string& path, std::ostream& out, Configuration& config);

}  // namespace tessarin
