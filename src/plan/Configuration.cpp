#include "plan/Configuration.hpp"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "earth/InputPath.hpp"

namespace tessarin {

float Configuration::turnRadiusMetres() const {
    return (360.0f / turnRate) * (boatSpeed * 0.5144f) / 6.283184f;
}

namespace {

// Hands out whitespace-separated words; a word whose start was taken as a
// number can put its unparsed rest back to be read as the next word.
class WordReader {
public:
    explicit WordReader(std::istream& in) : in_(in) {}

    bool next(std::string& word) {
        if (!pending_.empty()) {
            word.swap(pending_);
            pending_.clear();
            return true;
        }
        return static_cast<bool>(in_ >> word);
    }
    void putBack(std::string rest) { pending_ = std::move(rest); }

    // Reads a float the way a "%f" conversion does: the longest numeric prefix
    // of the next word. Without one the value is left alone and the word is
    // kept for the next read.
    void readFloat(float& value) {
        std::string word;
        if (!next(word)) return;
        const char* begin = word.c_str();
        char* end = nullptr;
        const float parsed = std::strtof(begin, &end);
        if (end == begin) {
            putBack(word);
            return;
        }
        value = parsed;
        if (*end != '\0') putBack(std::string(end));
    }

private:
    std::istream& in_;
    std::string pending_;
};

// Reads a numeric key's value into field. A value that cannot be meant
// (infinite, not a number, or not positive where only a positive value makes
// sense: a zero speed or turn rate would make every time or turn radius
// infinite) is refused with a line saying so, and the field keeps its value.
void readValue(WordReader& reader, std::ostream& out, const std::string& key, float& field, bool positive) {
    float value = field;
    reader.readFloat(value);
    if (!std::isfinite(value) || (positive && value <= 0.0f)) {
        out << "Ignoring " << key << " " << value << ", keeping " << field << "\n";
        return;
    }
    field = value;
}

// Words longer than the format allows are cut, never stored whole.
std::string cut(std::string word, std::size_t limit) {
    if (word.size() > limit) word.resize(limit);
    return word;
}

// Text: no control bytes but blanks and line ends. Bytes of 0x80 and up pass,
// so file names in UTF-8 or a Latin code page are still text.
bool isText(const std::string& text) {
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f') || c == 0x7f) return false;
    }
    return true;
}

}  // namespace

void readConfiguration(std::istream& in, std::ostream& out, Configuration& config) {
    WordReader reader(in);
    std::string raw;
    while (reader.next(raw)) {
        const std::string word = cut(raw, Configuration::kMaxWord);
        out << word << "\n";
        if (word == "boat_speed") {
            readValue(reader, out, word, config.boatSpeed, true);
            out << "boat speed READ " << config.boatSpeed << "\n";
        } else if (word == "depth_multiplier") {
            readValue(reader, out, word, config.depthMultiplier, false);
            out << "dep Mult " << config.depthMultiplier << "\n";
        } else if (word == "turn_rate") {
            readValue(reader, out, word, config.turnRate, true);
        } else if (word == "fill_overlap") {
            readValue(reader, out, word, config.fillOverlap, false);
        } else if (word == "edge_overlap") {
            readValue(reader, out, word, config.edgeOverlap, false);
            out << "Lines overlap " << config.edgeOverlap << "\n";
        } else if (word == "extinction_table") {
            std::string name;
            if (reader.next(name)) {
                config.extinctionTable = cut(name, Configuration::kMaxFileName);
            }
            out << "Extinction Curve File " << config.extinctionTable << "\n";
        } else if (word == "day_rate") {
            readValue(reader, out, word, config.dayRate, false);
            out << "Day Rate " << config.dayRate << "\n";
        } else if (word == "end") {
            return;
        }
    }
}

bool loadConfiguration(const std::string& path, std::ostream& out, Configuration& config) {
    std::ifstream in(path, std::ios::binary);
    if (!in || isFolder(path)) {
        out << "cannot open config.txt\n";
        return false;
    }
    out << "yes\n";
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // A binary file (a picture or archive saved under the name) would be
    // echoed to the console word by word and could set values by chance.
    if (!isText(text)) {
        out << "config.txt is not a text file; every setting keeps its default\n";
        return false;
    }
    std::istringstream words(text);
    readConfiguration(words, out, config);
    return true;
}

}  // namespace tessarin
