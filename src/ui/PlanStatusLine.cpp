#include "ui/PlanStatusLine.hpp"

#include <imgui.h>

#include <cstdio>
#include <cstring>

#include "app/PlannerState.hpp"
#include "area/SurveyPolygon.hpp"
#include "coverage/PlanCost.hpp"
#include "design/AreaCoverage.hpp"

namespace tessarin {
namespace {

std::uint64_t keyOf(const SurveyPolygon& area) {
    std::uint64_t h = 1469598103934665603ull;
    const PolygonVertex* first = area.first();
    if (!first) return 0;
    const PolygonVertex* v = first;
    do {
        for (double d : {v->x, v->y}) {
            std::uint64_t bits = 0;
            std::memcpy(&bits, &d, sizeof bits);
            h = (h ^ bits) * 1099511628211ull;
        }
        v = v->next;
    } while (v != first);
    return h;
}

}  // namespace

std::string PlanStatusLine::text(PlannerState& planner) {
    const std::uint64_t key = keyOf(*planner.polygon);
    if (key != polygonKey_) {
        polygonKey_ = key;
        polygonKm2_ = polygonAreaKm2(*planner.polygon);
    }
    const PlanTotals t = planTotals(*planner.plan, planner.config.boatSpeed);
    const MappingTime time = mappingTime(t.hours, planner.config.dayRate);
    char line[256];
    std::snprintf(line, sizeof line, "Plan: %.1f nm (%.1f km), %.1f h, %s   Polygon: %.1f km2",
                  static_cast<double>(t.distanceNm), static_cast<double>(t.distanceNm) / 0.53996,
                  static_cast<double>(t.hours), formatCost(time.cost).c_str(), polygonKm2_);
    return line;
}

void PlanStatusLine::draw(PlannerState& planner) {
    const std::string line = text(planner);
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x - 10.0f, io.DisplaySize.y - 10.0f), ImGuiCond_Always,
                            ImVec2(1.0f, 1.0f));
    ImGui::SetNextWindowBgAlpha(0.6f);
    ImGui::Begin("##PlanStatus", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoInputs |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                     ImGuiWindowFlags_NoNav);
    ImGui::TextUnformatted(line.c_str());
    ImGui::End();
}

}  // namespace tessarin
