#include "ui/SurveyDesignWindow.hpp"

#include <imgui.h>

#include <algorithm>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
#include "area/SurveyPolygon.hpp"
#include "coverage/PlanCost.hpp"

namespace tessarin {
namespace {

DesignRequest requestOf(const SurveyPolygon& area, const SurveyDesign& design) {
    DesignRequest r;
    r.design = design;
    const PolygonVertex* first = area.first();
    if (!first) return r;
    const PolygonVertex* v = first;
    do {
        r.lon.push_back(v->x);
        r.lat.push_back(v->lat);
        v = v->next;
    } while (v != first);
    return r;
}

bool sameRequest(const DesignRequest& a, const DesignRequest& b) {
    return a.lon == b.lon && a.lat == b.lat && a.design == b.design;
}

template <typename E>
void radio(const char* label, E& value, E option) {
    int v = static_cast<int>(value);
    if (ImGui::RadioButton(label, &v, static_cast<int>(option))) value = option;
}

}  // namespace

SurveyDesignWindow::SurveyDesignWindow() = default;
SurveyDesignWindow::~SurveyDesignWindow() = default;

void SurveyDesignWindow::submitIfChanged(PlannerState& planner) {
    DesignRequest now = requestOf(*planner.polygon, design_);
    if (lastNumber_ > 0 && sameRequest(now, last_)) return;
    if (!worker_) worker_ = std::make_unique<DesignWorker>(planner.config, planner.tiles.root());
    last_ = now;
    lastNumber_ = worker_->submit(std::move(now));
}

void SurveyDesignWindow::draw(AppState& app, PlannerState& planner) {
    if (!app.showSurveyDesign) return;
    if (!overlapSet_) {
        design_.overlapPercent = planner.config.fillOverlap;
        overlapSet_ = true;
    }
    if (firstShow_) {
        const ImGuiIO& io = ImGui::GetIO();
        ImGui::SetNextWindowPos(ImVec2(std::max(0.0f, io.DisplaySize.x - 420.0f), 60.0f), ImGuiCond_Always);
        ImGui::SetNextWindowSize(ImVec2(400.0f, 560.0f), ImGuiCond_Always);
        firstShow_ = false;
    }
    if (!ImGui::Begin("Survey design", &app.showSurveyDesign)) {
        ImGui::End();
        return;
    }

    ImGui::TextUnformatted("Direction");
    radio("First edge", design_.direction, DesignDirection::FirstEdge);
    ImGui::SameLine();
    radio("Heading", design_.direction, DesignDirection::Heading);
    ImGui::SameLine();
    radio("Fastest", design_.direction, DesignDirection::Fastest);
    if (design_.direction == DesignDirection::Heading) {
        ImGui::InputDouble("heading (deg)", &design_.headingDeg, 5.0, 15.0, "%.1f");
        design_.headingDeg = std::clamp(design_.headingDeg, 0.0, 360.0);
    }
    int corner = static_cast<int>(design_.start);
    const char* corners[] = {"Auto (first vertex)", "NE", "NW", "SE", "SW"};
    if (ImGui::Combo("start corner", &corner, corners, 5)) design_.start = static_cast<StartCorner>(corner);

    ImGui::Separator();
    ImGui::TextUnformatted("Spacing");
    radio("From depth", design_.spacing, SpacingRule::Depth);
    ImGui::SameLine();
    radio("Fixed", design_.spacing, SpacingRule::Fixed);
    if (design_.spacing == SpacingRule::Depth) {
        ImGui::InputFloat("overlap (%)", &design_.overlapPercent, 1.0f, 5.0f, "%.0f");
        design_.overlapPercent = std::clamp(design_.overlapPercent, 0.0f, 95.0f);
    } else {
        ImGui::InputDouble("spacing (m)", &design_.fixedSpacingM, 100.0, 1000.0, "%.0f");
        design_.fixedSpacingM = std::clamp(design_.fixedSpacingM, 1.0, 1.0e6);
    }
    ImGui::TextUnformatted("Run-out");
    radio("Metres", design_.runOut, RunOutRule::Metres);
    ImGui::SameLine();
    radio("To swath edge", design_.runOut, RunOutRule::SwathEdge);
    if (design_.runOut == RunOutRule::Metres) {
        ImGui::InputDouble("run-out (m)", &design_.runOutM, 100.0, 1000.0, "%.0f");
        design_.runOutM = std::clamp(design_.runOutM, 0.0, 1.0e5);
    }
    ImGui::TextUnformatted("Order");
    radio("Back and forth", design_.order, LineOrderRule::BackAndForth);
    ImGui::SameLine();
    radio("Interleaved", design_.order, LineOrderRule::Interleave);
    ImGui::Checkbox("Crosslines", &crosslines_);
    if (crosslines_) {
        ImGui::InputDouble("crossline spacing (m)", &crossSpacingM_, 1000.0, 5000.0, "%.0f");
        crossSpacingM_ = std::clamp(crossSpacingM_, 100.0, 1.0e7);
    }
    design_.crosslineSpacingM = crosslines_ ? crossSpacingM_ : 0.0;

    submitIfChanged(planner);
    DesignResult fresh;
    if (worker_ && worker_->take(fresh)) {
        result_ = std::move(fresh);
        haveResult_ = true;
        preview_.lines.clear();
        for (const DesignLine& l : result_.layout.lines)
            preview_.lines.push_back({static_cast<float>(l.ax), static_cast<float>(l.ay), static_cast<float>(l.bx),
                                      static_cast<float>(l.by), l.crossline});
        preview_.outlines = result_.outlines;
    }
    const bool current = haveResult_ && result_.request == lastNumber_;

    ImGui::Separator();
    if (!haveResult_) {
        ImGui::TextUnformatted("computing ...");
    } else {
        const DesignTotals& t = result_.totals;
        ImGui::Text("Lines: %d (%d main, %d crosslines), heading %.0f", t.lines, result_.layout.mainLines,
                    result_.layout.crosslines, result_.layout.headingDeg);
        ImGui::Text("Line km: %.1f", t.lineKm);
        ImGui::Text("Turn and connecting km: %.1f", t.connectKm);
        ImGui::Text("Hours: %.1f   Days: %.2f", t.hours, t.days);
        ImGui::Text("Cost: %s", formatCost(static_cast<float>(t.cost)).c_str());
        ImGui::Text("Covered: %.2f %% of %.1f km2", t.coveredPercent, t.polygonKm2);
        ImGui::Text("Uncovered: %.2f km2", t.uncoveredKm2);
        if (result_.layout.narrowTurns > 0)
            ImGui::Text("%d turns narrower than the turning circle", result_.layout.narrowTurns);
        if (!result_.layout.problem.empty()) ImGui::TextWrapped("%s", result_.layout.problem.c_str());
        ImGui::Text(current ? "(computed in %.0f ms)" : "updating ... (last took %.0f ms)", result_.seconds * 1000.0);
    }
    ImGui::BeginDisabled(!current || result_.layout.lines.empty());
    if (ImGui::Button("Apply", ImVec2(80.0f, 24.0f)) && planner.applyDesign(result_.layout)) app.showSurveyDesign = false;
    ImGui::EndDisabled();
    ImGui::End();
}

void SurveyDesignWindow::drawPreview(const AppState& app) const {
    if (app.showSurveyDesign && haveResult_) drawDesignPreview(preview_);
}

}  // namespace tessarin
