#pragma once
// The window in which the user reads and types the position of the plan's
// current waypoint (with its leg speed and depth multiplier) or of the
// polygon's current vertex, in decimal degrees or in whole degrees and
// decimal minutes, and applies it with "Enter". Its texts persist between
// frames; they are rewritten only when the shown point changes, so the next
// frame does not overwrite what the user is typing.
//
// Latitudes and longitudes are degrees; minutes are arc minutes (0..60).

#include <array>
#include <string>

namespace tessarin {

struct AppState;
class PlannerState;
class MenuShell;

// A number as every field shows it: fixed point with six decimals.
std::string formatNumber(double value);
// The longest leading decimal number of text (leading white space skipped,
// the rest ignored: "12.5abc" reads 12.5). False when the text does not start
// with a number; value is then unchanged.
bool readNumber(const std::string& text, double& value);
bool readNumber(const std::string& text, float& value);
// Whole degrees and decimal minutes of a value rounded to six decimals. The
// sign is carried by the degrees, written "-0" for values between -1 and 0
// so that it survives.
void splitDegrees(double value, std::string& degrees, std::string& minutes);
// Inverse of splitDegrees: degrees - minutes / 60 for negative degrees
// (-0 included), else degrees + minutes / 60.
double joinDegrees(double degrees, double minutes);

class PointEditor {
public:
    static constexpr int kTextBytes = 128;
    using Text = std::array<char, kTextBytes>;

    // The fields of one coordinate: decimal degrees, whole degrees, minutes.
    struct Axis {
        Text decimal{};
        Text degrees{};
        Text minutes{};
        // The user edited a field: the others follow. A field that is not a
        // number leaves the others as they were.
        void decimalEdited();
        void degreesEdited();
        void minutesEdited();
    };

    static constexpr float kWidth = 300.0f;
    static constexpr float kHeight = 240.0f;

    // Rewrites the fields whose shown value changed since the last call.
    void refresh(double lat, double lon, float speed, float depthMultiplier);
    void speedEdited();
    void multiplierEdited();

    // Latitudes the editor refuses, as a click on the map would: 64 degrees
    // north or more, and anything not a latitude.
    static bool latitudeAccepted(double lat);

    // "Enter": writes the decimal fields into the current waypoint (waypoint
    // mode) or polygon vertex. A field that is not a number gives the value
    // last shown for it, never a position read from an empty field. False
    // (nothing written, a line on standard error) for a refused latitude.
    bool enter(AppState& app, PlannerState& planner) const;
    // "Delete": the waypoint shown (waypoint mode) or the polygon's current
    // vertex.
    static void remove(AppState& app, PlannerState& planner);

    // The window, once per frame while a waypoint or vertex is picked.
    void draw(double lat, double lon, float speed, float depthMultiplier, AppState& app, PlannerState& planner,
              MenuShell& shell);

    Axis lat, lon;
    Text speedText{};
    Text multText{};
    double lastLat = 0.0;
    double lastLon = 0.0;
    float lastSpeed = 9.5f;
    float lastMult = 3.0f;
    bool firstShow = true;
};

}  // namespace tessarin
