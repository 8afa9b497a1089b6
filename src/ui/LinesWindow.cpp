#include "ui/LinesWindow.hpp"

#include <imgui.h>

#include <algorithm>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
#include "design/LineList.hpp"
#include "design/ProfileCache.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

bool applyLineEdit(LineEdit edit, int leg, AppState& app, PlannerState& planner) {
    bool changed = false;
    int selected = leg;
    switch (edit) {
        case LineEdit::None: break;
        case LineEdit::Reverse: changed = planner.reverseLeg(leg); break;
        case LineEdit::MoveUp:
            changed = planner.moveLeg(leg, leg - 1);
            selected = leg - 1;
            break;
        case LineEdit::MoveDown:
            changed = planner.moveLeg(leg, leg + 1);
            selected = leg + 1;
            break;
        case LineEdit::Delete:
            changed = planner.deleteLeg(leg);
            selected = -1;
            break;
    }
    if (changed) app.selectedLeg = selected;
    return changed;
}

void LinesWindow::draw(AppState& app, PlannerState& planner, const ProfileCache& cache) {
    if (firstShow_) {
        const ImGuiIO& io = ImGui::GetIO();
        ImGui::SetNextWindowPos(ImVec2(std::max(0.0f, io.DisplaySize.x - 1140.0f), 60.0f), ImGuiCond_Always);
        ImGui::SetNextWindowSize(ImVec2(std::min(1120.0f, io.DisplaySize.x), 320.0f), ImGuiCond_Always);
        firstShow_ = false;
    }
    if (!ImGui::Begin("Lines", &app.showLines)) {
        ImGui::End();
        return;
    }
    const std::vector<LineRow>& rows = cache.lines();
    if (app.selectedLeg >= static_cast<int>(rows.size())) app.selectedLeg = -1;
    if (rows.empty()) ImGui::TextUnformatted("No legs: the plan needs two waypoints.");

    LineEdit edit = LineEdit::None;
    int editLeg = -1;
    const ImGuiTableFlags flags = ImGuiTableFlags_RowBg | ImGuiTableFlags_Borders | ImGuiTableFlags_ScrollY |
                                  ImGuiTableFlags_SizingFixedFit;
    if (!rows.empty() && ImGui::BeginTable("##lines", 10, flags)) {
        ImGui::TableSetupScrollFreeze(0, 1);
        ImGui::TableSetupColumn("#");
        ImGui::TableSetupColumn("Edit");
        ImGui::TableSetupColumn("Start lat, lon");
        ImGui::TableSetupColumn("End lat, lon");
        ImGui::TableSetupColumn("Heading");
        ImGui::TableSetupColumn("Length");
        ImGui::TableSetupColumn("Time");
        ImGui::TableSetupColumn("Min depth");
        ImGui::TableSetupColumn("Max depth");
        ImGui::TableSetupColumn("Min swath");
        ImGui::TableHeadersRow();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const LineRow& r = rows[i];
            const int leg = static_cast<int>(i);
            ImGui::PushID(leg);
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            char number[16];
            std::snprintf(number, sizeof number, "%d", r.number);
            if (ImGui::Selectable(number, app.selectedLeg == leg,
                                  ImGuiSelectableFlags_SpanAllColumns | ImGuiSelectableFlags_AllowItemOverlap)) {
                app.selectedLeg = leg;
                planner.selectLeg(leg);
            }
            ImGui::TableNextColumn();
            if (ImGui::SmallButton("Rev")) edit = LineEdit::Reverse, editLeg = leg;
            ImGui::SameLine();
            if (ImGui::SmallButton("Up")) edit = LineEdit::MoveUp, editLeg = leg;
            ImGui::SameLine();
            if (ImGui::SmallButton("Dn")) edit = LineEdit::MoveDown, editLeg = leg;
            ImGui::SameLine();
            if (ImGui::SmallButton("Del")) edit = LineEdit::Delete, editLeg = leg;
            ImGui::TableNextColumn();
            ImGui::Text("%9.5f, %10.5f", r.startLat, r.startLon);
            ImGui::TableNextColumn();
            ImGui::Text("%9.5f, %10.5f", r.endLat, r.endLon);
            ImGui::TableNextColumn();
            ImGui::Text("%5.1f", r.headingDeg);
            ImGui::TableNextColumn();
            ImGui::Text("%.2f km %.2f nm", static_cast<double>(r.lengthKm), static_cast<double>(r.lengthNm));
            ImGui::TableNextColumn();
            ImGui::Text("%.2f h at %.1f kn", static_cast<double>(r.hours), static_cast<double>(r.speedKnots));
            ImGui::TableNextColumn();
            ImGui::Text("%.0f m", static_cast<double>(r.shallowestM));
            ImGui::TableNextColumn();
            ImGui::Text("%.0f m", static_cast<double>(r.deepestM));
            ImGui::TableNextColumn();
            ImGui::Text("%.0f m", static_cast<double>(r.minSwathM));
            ImGui::PopID();
        }
        ImGui::EndTable();
    }
    ImGui::End();
    if (edit != LineEdit::None) applyLineEdit(edit, editLeg, app, planner);
}

}  // namespace tessarin
