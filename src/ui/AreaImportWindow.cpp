#include "ui/AreaImportWindow.hpp"

#include <imgui.h>

#include <algorithm>
#include <string>

#include "app/PlannerState.hpp"

namespace tessarin {

PendingAreaChoice& pendingAreaChoice() {
    static PendingAreaChoice pending;
    return pending;
}

const FileFilter& areaFilter() {
    static const FileFilter filter{"GIS vector files (GeoJSON, KML, GeoPackage, shapefile, GML)", "*"};
    return filter;
}

bool importAreaFromMenu(PlannerState& planner, FileChooser& chooser, std::ostream& report) {
    const std::string path = chooser.openFile(areaFilter());
    if (path.empty()) return false;
    const AreaListing listing = listAreas(path);
    if (!listing.ok) {
        report << listing.error << "; the polygon is unchanged\n";
        return false;
    }
    if (listing.choices.size() == 1) return planner.importArea(path, 1, report);
    PendingAreaChoice& pending = pendingAreaChoice();
    pending = PendingAreaChoice{};
    pending.open = true;
    pending.path = path;
    pending.choices = listing.choices;
    report << listing.choices.size() << " polygons in " << path << ": choose one in the list\n";
    return false;
}

bool importChosenArea(PlannerState& planner, std::ostream& report) {
    PendingAreaChoice& pending = pendingAreaChoice();
    const int number = pending.chosen;
    const std::string path = pending.path;
    pending = PendingAreaChoice{};
    if (number <= 0) return false;
    return planner.importArea(path, number, report);
}

bool drawAreaChoiceWindow() {
    PendingAreaChoice& pending = pendingAreaChoice();
    if (!pending.open) return false;
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.3f), ImGuiCond_Appearing,
                            ImVec2(0.5f, 0.0f));
    ImGui::SetNextWindowSize(ImVec2(560.0f, 0.0f), ImGuiCond_Appearing);
    bool keep = true;
    bool picked = false;
    if (ImGui::Begin("Import area", &keep, ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_AlwaysAutoResize)) {
        ImGui::TextUnformatted(pending.path.c_str());
        ImGui::TextUnformatted("Several polygons: choose the survey area.");
        const float rows = static_cast<float>(std::min<std::size_t>(pending.choices.size(), 10));
        if (ImGui::BeginListBox("##areas", ImVec2(540.0f, ImGui::GetTextLineHeightWithSpacing() * rows + 8.0f))) {
            for (std::size_t i = 0; i < pending.choices.size(); ++i) {
                const AreaChoice& c = pending.choices[i];
                std::string line = std::to_string(c.number) + "  " + c.label + ", " + std::to_string(c.vertices) +
                                   " vertices";
                if (c.parts > 1) line += ", " + std::to_string(c.parts) + " parts";
                if (c.holes > 0) line += ", " + std::to_string(c.holes) + " holes";
                const bool selected = static_cast<int>(i) == pending.selected;
                if (ImGui::Selectable(line.c_str(), selected, ImGuiSelectableFlags_AllowDoubleClick)) {
                    pending.selected = static_cast<int>(i);
                    if (ImGui::IsMouseDoubleClicked(0)) picked = true;
                }
            }
            ImGui::EndListBox();
        }
        if (ImGui::Button("Import")) picked = true;
        ImGui::SameLine();
        if (ImGui::Button("Cancel")) keep = false;
    }
    ImGui::End();
    if (picked && pending.selected >= 0 && pending.selected < static_cast<int>(pending.choices.size())) {
        pending.chosen = pending.choices[static_cast<std::size_t>(pending.selected)].number;
        pending.open = false;
        return true;
    }
    if (!keep) pending = PendingAreaChoice{};
    return false;
}

}  // namespace tessarin
