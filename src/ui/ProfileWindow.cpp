#include "ui/ProfileWindow.hpp"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
#include "design/LineList.hpp"
#include "design/ProfileCache.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

namespace {

constexpr float kNmPerKm = 0.53996f;
constexpr float kAxisWidth = 78.0f;

const ImU32 kBackground = IM_COL32(18, 24, 38, 255);
const ImU32 kFloor = IM_COL32(120, 90, 60, 255);
const ImU32 kDepthLine = IM_COL32(120, 200, 255, 255);
const ImU32 kPort = IM_COL32(255, 90, 90, 255);
const ImU32 kStarboard = IM_COL32(90, 230, 110, 255);
const ImU32 kSwathFill = IM_COL32(255, 255, 255, 50);
const ImU32 kSlope = IM_COL32(255, 220, 80, 255);
const ImU32 kGrid = IM_COL32(90, 100, 120, 255);
const ImU32 kTurn = IM_COL32(255, 160, 40, 255);
const ImU32 kShallowest = IM_COL32(255, 60, 60, 255);
const ImU32 kText = IM_COL32(220, 220, 220, 255);
const ImU32 kCursor = IM_COL32(255, 255, 255, 200);

// One band of the plot: value range mapped to a screen strip.
struct Band {
    float top, bottom;
    double lo, hi;  // value at the bottom and at the top
    float yOf(double v) const {
        const double span = hi - lo;
        const double f = span > 0.0 ? (v - lo) / span : 0.5;
        return bottom - static_cast<float>(f) * (bottom - top);
    }
};

void label(ImDrawList* dl, float x, float y, const char* text, ImU32 colour = kText) {
    dl->AddText(ImVec2(x, y), colour, text);
}

}  // namespace

namespace {

// Merges runs of up to `group` neighbours; with keepLegs, never across legs
// and never into a leg's last sample.
std::vector<ProfileSample> mergeRuns(const std::vector<ProfileSample>& samples, std::size_t group, bool keepLegs) {
    const std::size_t n = samples.size();
    std::vector<ProfileSample> out;
    out.reserve(n / group + 2);
    std::size_t i = 0;
    while (i < n) {
        ProfileSample merged = samples[i];
        std::size_t j = i + 1;
        while (j < n && j - i < group &&
               (!keepLegs || (samples[j].leg == merged.leg && j + 1 < n && samples[j + 1].leg == merged.leg))) {
            const ProfileSample& s = samples[j];
            merged.elevationM = std::max(merged.elevationM, s.elevationM);
            merged.portM = std::min(merged.portM, s.portM);
            merged.starboardM = std::min(merged.starboardM, s.starboardM);
            if (std::fabs(s.slopeDeg) > std::fabs(merged.slopeDeg)) merged.slopeDeg = s.slopeDeg;
            ++j;
        }
        out.push_back(merged);
        i = j;
    }
    return out;
}

}  // namespace

std::vector<ProfileSample> thinnedSamples(const std::vector<ProfileSample>& samples, std::size_t maxSamples) {
    if (maxSamples < 2) maxSamples = 2;
    if (samples.size() <= maxSamples) return samples;
    std::vector<ProfileSample> out = mergeRuns(samples, (samples.size() + maxSamples - 1) / maxSamples, true);
    // More legs than the room for them: legs give way to the bound.
    if (out.size() > maxSamples) out = mergeRuns(out, (out.size() + maxSamples - 1) / maxSamples, false);
    return out;
}

void ProfileWindow::draw(AppState& app, PlannerState& planner, const ProfileCache& cache) {
    app.profileMarkShown = false;
    if (firstShow_) {
        const ImGuiIO& io = ImGui::GetIO();
        ImGui::SetNextWindowPos(ImVec2(20.0f, io.DisplaySize.y - 440.0f), ImGuiCond_Always);
        ImGui::SetNextWindowSize(ImVec2(std::min(980.0f, io.DisplaySize.x - 40.0f), 420.0f), ImGuiCond_Always);
        firstShow_ = false;
    }
    if (!ImGui::Begin("Profile", &app.showProfile)) {
        ImGui::End();
        return;
    }
    ImGui::Checkbox("Whole plan", &wholePlan_);
    ImGui::SameLine();
    ImGui::RadioButton("km", &unit_, 0);
    ImGui::SameLine();
    ImGui::RadioButton("nm", &unit_, 1);

    const SurveyPlan& plan = *planner.plan;
    const int leg = currentLeg(plan);
    DepthProfile shown;
    if (wholePlan_) {
        shown = cache.profile();
    } else if (leg >= 0) {
        shown = legProfile(cache.profile(), leg);
    }
    const float unitScale = unit_ == 1 ? kNmPerKm : 1.0f;
    const char* unitName = unit_ == 1 ? "nm" : "km";
    ImGui::SameLine();
    if (wholePlan_) {
        ImGui::Text("   %d legs, %.2f %s", legCount(plan), shown.lengthKm * unitScale, unitName);
    } else if (leg >= 0) {
        ImGui::Text("   leg %d of %d, %.2f %s", leg + 1, legCount(plan), shown.lengthKm * unitScale, unitName);
    }
    if (shown.samples.empty()) {
        ImGui::TextUnformatted(leg < 0 ? "No leg: the plan needs two waypoints."
                                       : "No samples: the swaths have not been computed for this leg.");
        ImGui::End();
        return;
    }

    const ImVec2 origin = ImGui::GetCursorScreenPos();
    ImVec2 size = ImGui::GetContentRegionAvail();
    size.x = std::max(size.x, 200.0f);
    size.y = std::max(size.y, 160.0f);
    ImGui::InvisibleButton("##profileplot", size);
    const bool hovered = ImGui::IsItemHovered();
    const bool clicked = ImGui::IsItemClicked(ImGuiMouseButton_Left);
    ImDrawList* dl = ImGui::GetWindowDrawList();
    dl->AddRectFilled(origin, ImVec2(origin.x + size.x, origin.y + size.y), kBackground);

    const float left = origin.x + kAxisWidth, right = origin.x + size.x - 8.0f;
    const double d0 = shown.marks.empty() ? shown.samples.front().distanceKm : shown.marks.front().distanceKm;
    const double d1 = std::max(d0 + shown.lengthKm, shown.samples.back().distanceKm);
    auto xOf = [&](double d) {
        const double f = d1 > d0 ? (d - d0) / (d1 - d0) : 0.0;
        return left + static_cast<float>(f) * (right - left);
    };

    double zLo = shown.samples.front().elevationM, zHi = zLo, wMax = 1.0, sMax = 1.0;
    for (const ProfileSample& s : shown.samples) {
        zLo = std::min(zLo, static_cast<double>(s.elevationM));
        zHi = std::max(zHi, static_cast<double>(s.elevationM));
        wMax = std::max({wMax, static_cast<double>(s.portM), static_cast<double>(s.starboardM)});
        sMax = std::max(sMax, std::fabs(static_cast<double>(s.slopeDeg)));
    }
    const double zPad = std::max(10.0, (zHi - zLo) * 0.08);
    const float h = size.y - 8.0f;
    const Band depth{origin.y + 18.0f, origin.y + 4.0f + h * 0.52f, zLo - zPad, zHi + zPad};
    const Band width{origin.y + 22.0f + h * 0.52f, origin.y + 4.0f + h * 0.84f, -wMax * 1.05, wMax * 1.05};
    const Band slope{origin.y + 22.0f + h * 0.84f, origin.y + 4.0f + h, -sMax * 1.1, sMax * 1.1};

    // Waypoints and turns across every band; the shallowest point on the floor.
    for (const ProfileMark& m : shown.marks) {
        const float x = xOf(m.distanceKm);
        if (m.kind == ProfileMarkKind::Waypoint) {
            dl->AddLine(ImVec2(x, depth.top), ImVec2(x, slope.bottom), kGrid);
            char text[16];
            std::snprintf(text, sizeof text, "WP %d", m.waypoint + 1);
            // Near the right edge the label goes left of its line.
            const float width = ImGui::CalcTextSize(text).x;
            label(dl, x + 3.0f + width > right ? x - 3.0f - width : x + 3.0f, origin.y + 2.0f, text);
        } else if (m.kind == ProfileMarkKind::Turn) {
            dl->AddTriangleFilled(ImVec2(x - 6.0f, depth.top), ImVec2(x + 6.0f, depth.top),
                                  ImVec2(x, depth.top + 9.0f), kTurn);
        }
    }

    // The floor, filled below the depth line. Fills are drawn without
    // anti-aliasing: the fringes of neighbouring quads would show as seams.
    const ImDrawListFlags savedFlags = dl->Flags;
    dl->Flags &= ~ImDrawListFlags_AntiAliasedFill;
    // About one segment every two pixels.
    const std::vector<ProfileSample> drawn =
        thinnedSamples(shown.samples, static_cast<std::size_t>(std::max(2.0f, (right - left) / 2.0f)));
    const std::size_t n = drawn.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const ProfileSample& a = drawn[i];
        const ProfileSample& b = drawn[i + 1];
        if (a.leg != b.leg && std::fabs(b.distanceKm - a.distanceKm) > (d1 - d0) * 0.05) continue;
        const float xa = xOf(a.distanceKm), xb = xOf(b.distanceKm);
        dl->AddQuadFilled(ImVec2(xa, depth.yOf(a.elevationM)), ImVec2(xb, depth.yOf(b.elevationM)),
                          ImVec2(xb, depth.bottom), ImVec2(xa, depth.bottom), kFloor);
        dl->AddLine(ImVec2(xa, depth.yOf(a.elevationM)), ImVec2(xb, depth.yOf(b.elevationM)), kDepthLine, 2.0f);
        dl->AddQuadFilled(ImVec2(xa, width.yOf(a.portM)), ImVec2(xb, width.yOf(b.portM)),
                          ImVec2(xb, width.yOf(-b.starboardM)), ImVec2(xa, width.yOf(-a.starboardM)), kSwathFill);
        dl->AddLine(ImVec2(xa, width.yOf(a.portM)), ImVec2(xb, width.yOf(b.portM)), kPort, 2.0f);
        dl->AddLine(ImVec2(xa, width.yOf(-a.starboardM)), ImVec2(xb, width.yOf(-b.starboardM)), kStarboard, 2.0f);
        dl->AddLine(ImVec2(xa, slope.yOf(a.slopeDeg)), ImVec2(xb, slope.yOf(b.slopeDeg)), kSlope, 1.5f);
    }
    dl->Flags = savedFlags;
    dl->AddLine(ImVec2(left, width.yOf(0.0)), ImVec2(right, width.yOf(0.0)), kGrid);
    dl->AddLine(ImVec2(left, slope.yOf(0.0)), ImVec2(right, slope.yOf(0.0)), kGrid);

    if (shown.shallowest >= 0) {
        const ProfileSample& s = shown.samples[static_cast<std::size_t>(shown.shallowest)];
        const float x = xOf(s.distanceKm), y = depth.yOf(s.elevationM);
        dl->AddTriangleFilled(ImVec2(x - 6.0f, y - 11.0f), ImVec2(x + 6.0f, y - 11.0f), ImVec2(x, y - 1.0f),
                              kShallowest);
        char text[40];
        std::snprintf(text, sizeof text, "shallowest %.0f m", static_cast<double>(s.elevationM));
        label(dl, std::min(x + 8.0f, right - 140.0f), y - 24.0f, text, kShallowest);
    }

    // Axis texts.
    char text[48];
    std::snprintf(text, sizeof text, "%.0f m", zHi);
    label(dl, origin.x + 4.0f, depth.yOf(zHi) - 7.0f, text);
    std::snprintf(text, sizeof text, "%.0f m", zLo);
    label(dl, origin.x + 4.0f, depth.yOf(zLo) - 7.0f, text);
    std::snprintf(text, sizeof text, "port %.0f", wMax);
    label(dl, origin.x + 4.0f, width.top, text, kPort);
    std::snprintf(text, sizeof text, "stbd %.0f", wMax);
    label(dl, origin.x + 4.0f, width.bottom - 14.0f, text, kStarboard);
    std::snprintf(text, sizeof text, "slope %.1f", sMax);
    label(dl, origin.x + 4.0f, slope.top, text, kSlope);
    std::snprintf(text, sizeof text, "%.2f %s", d0 * unitScale, unitName);
    label(dl, left + 2.0f, slope.bottom - 14.0f, text);
    std::snprintf(text, sizeof text, "%.2f %s", d1 * unitScale, unitName);
    label(dl, right - 80.0f, slope.bottom - 14.0f, text);

    if (hovered) {
        const float mx = ImGui::GetIO().MousePos.x;
        const double d = d0 + (d1 - d0) * static_cast<double>((mx - left) / (right - left));
        const int i = nearestSample(shown, d);
        if (i >= 0) {
            const ProfileSample& s = shown.samples[static_cast<std::size_t>(i)];
            const float x = xOf(s.distanceKm);
            dl->AddLine(ImVec2(x, depth.top), ImVec2(x, slope.bottom), kCursor);
            dl->AddCircle(ImVec2(x, depth.yOf(s.elevationM)), 5.0f, kCursor, 12, 2.0f);
            ImGui::BeginTooltip();
            ImGui::Text("leg %d   %.3f %s", s.leg + 1, s.distanceKm * unitScale, unitName);
            ImGui::Text("depth %.1f m", static_cast<double>(s.elevationM));
            ImGui::Text("port %.0f m   starboard %.0f m", static_cast<double>(s.portM),
                        static_cast<double>(s.starboardM));
            ImGui::Text("slope across %.2f deg", static_cast<double>(s.slopeDeg));
            ImGui::Text("lat %.5f   lon %.5f", s.lat, s.lon);
            ImGui::EndTooltip();
            app.profileMarkShown = true;
            app.profileMarkLon = static_cast<float>(s.lon);
            app.profileMarkY = static_cast<float>(s.y);
            if (clicked) {
                app.viewCentreLon = static_cast<float>(s.lon);
                app.viewCentreY = static_cast<float>(s.y);
            }
        }
    }
    ImGui::End();
}

}  // namespace tessarin
