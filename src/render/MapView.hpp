#pragma once
// How the map plane reaches the window and how a window pixel comes back.
//
// Notation: window pixels x to the right and y downwards from the top-left
// corner (GLUT's convention); the reference frame is 1900 x 950 units with
// its origin at the centre and y upwards, stretched over the whole window;
// map plane x = longitude in degrees, y = mapY(latitude) (not degrees).
//
// The conversion functions are inline and GL-free so that the input handling
// (which builds without GL) and tests use exactly the arithmetic of the
// drawing. Only applyMapTransform / applyPixelTransform touch GL.

#include "render/ViewRecord.hpp"
#include "earth/MapProjection.hpp"

namespace tessarin {

// Half-size of the reference frame, in reference units.
inline constexpr float kReferenceHalfWidth = 950.0f;
inline constexpr float kReferenceHalfHeight = 475.0f;

struct MapPick {
    double lon = 0.0;     // unwrapped: what the edit operations receive
    double mapY = 0.0;    // computed in single precision, then widened
    double lat = 0.0;     // degrees
    float shownLon = 0.0f;  // lon brought into -180..180 by one step of 360
};

// One step of 360 towards -180..180 (the cursor readout's longitude).
inline float wrapLongitudeOnce(float lon) {
    if (lon < -180.0f) return lon + 360.0f;
    if (lon > 180.0f) return lon - 360.0f;
    return lon;
}

// Window pixel to map-plane longitude, single precision as the pointer has
// always been converted (the picked positions written to plan files depend on
// it).
inline float windowToMapLon(const ViewRecord& s, float x) {
    return (x / s.scaleX - kReferenceHalfWidth) / s.zoom + s.viewCentreLon;
}

inline float windowToMapY(const ViewRecord& s, float y) {
    return s.viewCentreY - (y / s.scaleY - kReferenceHalfHeight) / (s.aspect * s.zoom);
}

// The window pixel (x, y) as a map-plane point and latitude.
inline MapPick pickMapPoint(const ViewRecord& s, float x, float y) {
    MapPick p;
    const float lon = windowToMapLon(s, x);
    p.lon = lon;
    p.shownLon = wrapLongitudeOnce(lon);
    p.mapY = windowToMapY(s, y);
    p.lat = latitudeFromMapY(p.mapY);
    return p;
}

// Where a map-plane point lands in the reference frame (origin at the centre,
// y up): the forward transform that applyMapTransform sets up in GL.
inline void mapToReference(const ViewRecord& s, double lon, double y, double& refX, double& refY) {
    refX = (lon - s.viewCentreLon) * s.zoom;
    refY = (y - s.viewCentreY) * s.zoom * s.aspect;
}

// Reference frame to window pixels (GLUT convention, y down).
inline void referenceToWindow(const ViewRecord& s, double refX, double refY, double& x, double& y) {
    x = (refX + kReferenceHalfWidth) * s.scaleX;
    y = (kReferenceHalfHeight - refY) * s.scaleY;
}

// The window-size dependent values, as a reshape sets them.
inline void applyWindowSize(ViewRecord& s, int width, int height) {
    s.windowWidth = width;
    s.windowHeight = height;
    s.aspect = static_cast<float>(width * 0.5 / height);
    s.scaleX = static_cast<float>(width) / 1900.0f;
    s.scaleY = static_cast<float>(height) / 950.0f;
}

// Orthographic projection over the reference frame, then (pushed on the
// model-view stack, for the caller to pop) the view's scale and translation:
// vertices given afterwards are map-plane coordinates.
void applyMapTransform(const ViewRecord& s);

// Orthographic projection over the window in pixels (origin bottom-left), and
// an identity model-view.
void applyPixelTransform(const ViewRecord& s);

}  // namespace tessarin
