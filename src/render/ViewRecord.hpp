#pragma once
// What the drawing needs to know about the view: where the map is centred,
// how far it is zoomed, the window it fills and whether the coverage view is
// on. The shell holds one and updates it; the drawing only reads it.
// Map-plane x is longitude in degrees; map-plane y is mapY(latitude).

namespace tessarin {

struct ViewRecord {
    int windowWidth = 1900;
    int windowHeight = 950;
    float scaleX = 1.0f;         // windowWidth / 1900
    float scaleY = 1.0f;         // windowHeight / 950
    float aspect = 1.0f;         // windowWidth * 0.5 / windowHeight, set by reshape
    float viewCentreLon = -30.0f;
    float viewCentreY = 20.0f;   // map-plane y
    float zoom = 5.0f;
    bool showCoverage = false;   // the coverage view instead of the pictures
    // Centre of the globe on the busy screen, degrees.
    float globeLon = 180.0f;
    float globeLat = 0.0f;
};

}  // namespace tessarin
