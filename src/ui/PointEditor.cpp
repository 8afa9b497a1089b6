#include "ui/PointEditor.hpp"

#include <imgui.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
#include "ui/MainMenu.hpp"

namespace tessarin {

namespace {

void setText(PointEditor::Text& field, const std::string& text) {
    std::snprintf(field.data(), field.size(), "%s", text.c_str());
}

std::string textOf(const PointEditor::Text& field) { return std::string(field.data()); }

// Length of the decimal number at the start of s (after white space), or 0.
std::size_t numberPrefix(const char* s, std::size_t& start) {
    std::size_t i = 0;
    while (s[i] != '\0' && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    start = i;
    if (s[i] == '+' || s[i] == '-') ++i;
    std::size_t digits = 0;
    while (std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (s[i] == '.') {
        ++i;
        while (std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (s[i] == 'e' || s[i] == 'E') {
        std::size_t j = i + 1;
        if (s[j] == '+' || s[j] == '-') ++j;
        if (std::isdigit(static_cast<unsigned char>(s[j]))) {
            while (std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
            i = j;
        }
    }
    return i - start;
}

// Whole degrees of value as the degree field shows them: the sign stays even
// when the whole part is zero.
std::string degreesText(double value) {
    const double whole = std::trunc(value);
    if (whole == 0.0) return std::signbit(value) && value != 0.0 ? "-0" : "0";
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", whole);
    return text;
}

}  // namespace

std::string formatNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

bool readNumber(const std::string& text, double& value) {
    std::size_t start = 0;
    const std::size_t length = numberPrefix(text.c_str(), start);
    if (length == 0) return false;
    value = std::strtod(text.substr(start, length).c_str(), nullptr);
    return true;
}

bool readNumber(const std::string& text, float& value) {
    std::size_t start = 0;
    const std::size_t length = numberPrefix(text.c_str(), start);
    if (length == 0) return false;
    value = std::strtof(text.substr(start, length).c_str(), nullptr);
    return true;
}

void splitDegrees(double value, std::string& degrees, std::string& minutes) {
    const std::string text = formatNumber(value);
    const std::string::size_type point = text.find('.');
    const std::string whole = text.substr(0, point);
    // "-0" reads as negative zero: the degrees keep the sign of a value
    // between -1 and 0.
    const double wholeValue = std::trunc(std::strtod(whole.c_str(), nullptr));
    if (wholeValue == 0.0) {
        degrees = std::signbit(wholeValue) ? "-0" : "0";
    } else {
        degrees = degreesText(wholeValue);
    }
    const std::string fraction = point == std::string::npos ? "0" : text.substr(point + 1);
    minutes = formatNumber(std::strtod(("0." + fraction).c_str(), nullptr) * 60.0);
}

double joinDegrees(double degrees, double minutes) {
    return std::signbit(degrees) ? degrees - minutes / 60.0 : degrees + minutes / 60.0;
}

// ---- Field dependencies -----------------------------------------------------

void PointEditor::Axis::decimalEdited() {
    double v = 0.0;
    if (!readNumber(textOf(decimal), v)) return;
    std::string d, m;
    splitDegrees(v, d, m);
    setText(degrees, d);
    setText(minutes, m);
}

void PointEditor::Axis::degreesEdited() {
    double d = 0.0, m = 0.0;
    if (!readNumber(textOf(degrees), d) || !readNumber(textOf(minutes), m)) return;
    setText(decimal, formatNumber(joinDegrees(d, m)));
}

void PointEditor::Axis::minutesEdited() {
    double m = 0.0, d = 0.0;
    if (!readNumber(textOf(minutes), m)) return;
    if (m >= 60.0) {
        setText(minutes, formatNumber(59.9));
        return;
    }
    if (!readNumber(textOf(degrees), d)) return;
    const double v = joinDegrees(d, m);
    setText(decimal, formatNumber(v));
    setText(degrees, degreesText(v));
}

void PointEditor::refresh(double newLat, double newLon, float speed, float depthMultiplier) {
    if (newLat != lastLat || newLon != lastLon) {
        setText(lat.decimal, formatNumber(newLat));
        setText(lon.decimal, formatNumber(newLon));
        lastLat = newLat;
        lastLon = newLon;
        lat.decimalEdited();
        lon.decimalEdited();
    }
    if (speed != lastSpeed) {
        setText(speedText, formatNumber(speed));
        lastSpeed = speed;
    }
    if (depthMultiplier != lastMult) {
        setText(multText, formatNumber(depthMultiplier));
        lastMult = depthMultiplier;
    }
}

void PointEditor::speedEdited() {
    float v = 0.0f;
    if (readNumber(textOf(speedText), v)) setText(speedText, formatNumber(v));
}

void PointEditor::multiplierEdited() {
    float v = 0.0f;
    if (readNumber(textOf(multText), v)) setText(multText, formatNumber(v));
}

bool PointEditor::latitudeAccepted(double value) { return std::isfinite(value) && value < 64.0 && value > -90.0; }

bool PointEditor::enter(AppState& app, PlannerState& planner) const {
    double newLat = lastLat, newLon = lastLon;
    readNumber(textOf(lat.decimal), newLat);
    readNumber(textOf(lon.decimal), newLon);
    if (!latitudeAccepted(newLat) || !std::isfinite(newLon)) {
        std::cerr << "Position " << newLat << " " << newLon
                  << " refused: the planner takes latitudes below 64 degrees north only\n";
        return false;
    }
    if (app.editMode == PickWaypoint) {
        float speed = lastSpeed, multiplier = lastMult;
        readNumber(textOf(speedText), speed);
        readNumber(textOf(multText), multiplier);
        planner.setWaypoint(newLat, newLon, speed, multiplier);
    } else {
        planner.updatePolygonVertex(newLat, newLon);
    }
    return true;
}

void PointEditor::remove(AppState& app, PlannerState& planner) {
    if (app.editMode == PickWaypoint) {
        planner.deleteCurrentWaypoint();
    } else if (planner.deletePolygonVertex()) {
        planner.editHold = PlannerState::kHoldNone;
    }
}

// ---- Window -------------------------------------------------------------------

namespace {

void centredText(const char* text, float y) {
    ImGui::SetCursorPos(ImVec2(PointEditor::kWidth / 2.0f - ImGui::CalcTextSize(text).x / 2.0f, y));
    ImGui::TextUnformatted(text);
}

void textAt(const char* text, float x, float y) {
    ImGui::SetCursorPos(ImVec2(x, y));
    ImGui::TextUnformatted(text);
}

// Return in a field: the field lets go of the keyboard in the frame the key
// is pressed.
bool returnLeftLastItem() {
    return ImGui::IsItemDeactivated() && (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter), false) ||
                                          ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_KeyPadEnter), false));
}

bool fieldAt(const char* label, PointEditor::Text& text, float x, float y, float width, bool& returned) {
    ImGui::SetCursorPos(ImVec2(x, y));
    ImGui::SetNextItemWidth(width);
    const bool edited = ImGui::InputText(label, text.data(), text.size());
    if (returnLeftLastItem()) returned = true;
    return edited;
}

bool buttonAt(const char* label, float x, float y, float w, float h) {
    ImGui::SetCursorPos(ImVec2(x, y));
    return ImGui::Button(label, ImVec2(w, h));
}

}  // namespace

void PointEditor::draw(double pointLat, double pointLon, float speed, float depthMultiplier, AppState& app,
                       PlannerState& planner, MenuShell& shell) {
    if (!app.editorVisible) return;
    const bool waypointMode = app.editMode == PickWaypoint;
    const char* title = waypointMode ? "Change current waypoint###PointEditor" : "Change polygon point###PointEditor";
    refresh(pointLat, pointLon, speed, depthMultiplier);
    const float W = kWidth, H = kHeight;
    if (firstShow) {
        const ImGuiIO& io = ImGui::GetIO();
        ImGui::SetNextWindowPos(ImVec2(0.4f * io.DisplaySize.x, 0.4f * io.DisplaySize.y));
        ImGui::SetNextWindowSize(ImVec2(W, H));
        firstShow = false;
    }
    ImGui::Begin(title, nullptr,
                 ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoCollapse);
    bool returned = false;
    centredText("DecimalDegrees", 25.0f);
    textAt("Lat", W / 2 - W / 4 - 50, 45.0f);
    if (fieldAt("##Lat", lat.decimal, 25.0f, 63.0f, 100.0f, returned)) lat.decimalEdited();
    textAt("Lon", W / 2 + W / 4 - 50, 45.0f);
    if (fieldAt("##Lon", lon.decimal, 175.0f, 63.0f, 100.0f, returned)) lon.decimalEdited();
    ImGui::Separator();
    centredText("Deg. Minutes", 93.0f);
    textAt("Lat", 25.0f, 105.0f);
    if (fieldAt("##LatM", lat.degrees, 25.0f, 125.0f, 40.0f, returned)) lat.degreesEdited();
    if (fieldAt("##LatMin", lat.minutes, W / 2 - W / 4, 125.0f, 70.0f, returned)) lat.minutesEdited();
    textAt("Lon", 175.0f, 105.0f);
    if (fieldAt("##LonM", lon.degrees, 175.0f, 125.0f, 40.0f, returned)) lon.degreesEdited();
    if (fieldAt("##LonMin", lon.minutes, W / 2 + W / 4, 125.0f, 70.0f, returned)) lon.minutesEdited();

    float buttonsY = H - 30;
    if (waypointMode) {
        ImGui::Separator();
        textAt("Leg Speed", 25.0f, 150.0f);
        if (fieldAt("##Leg Speed", speedText, 25.0f, 170.0f, 70.0f, returned)) speedEdited();
        textAt("Depth Multiplier", 175.0f, 150.0f);
        if (fieldAt("##Leg Mult", multText, 175.0f, 170.0f, 70.0f, returned)) multiplierEdited();
    } else {
        buttonsY = H - 70;
        ImGui::PushStyleColor(ImGuiCol_Button, ImVec4(0.0f, 0.5f, 0.1f, 1.0f));
        bool extra = false;
        bool fill = buttonAt("Fill Poly", W / 2 - W / 4 - 37.5f, H - 30, 75.0f, 25.0f);
        if (buttonAt("Fill Extra", W / 2 + W / 4 - 37.5f, H - 30, 75.0f, 25.0f)) fill = extra = true;
        ImGui::PopStyleColor();
        if (fill) {
            planner.fillPolygon(extra);
            app.editMode = Idle;
            app.viewMode = Map;
            shell.setPointer(PointerShape::LeftArrow);
        }
    }
    if (buttonAt("Enter", 37.5f, buttonsY, 75.0f, 25.0f) || returned) enter(app, planner);
    ImGui::PushStyleColor(ImGuiCol_Button, ImVec4(1.0f, 0.1f, 0.1f, 1.0f));
    ImGui::PushStyleColor(ImGuiCol_ButtonHovered, ImVec4(0.9f, 0.5f, 0.5f, 1.0f));
    const bool removed = buttonAt("Delete", 187.5f, buttonsY, 75.0f, 25.0f);
    ImGui::PopStyleColor(2);
    if (removed) remove(app, planner);
    if (buttonAt("Close", W - 65, 15.0f, 50.0f, 20.0f)) app.editorVisible = false;
    // The polygon's survey design window, beside the fill buttons' own fill.
    if (!waypointMode && buttonAt("Design", 15.0f, 15.0f, 55.0f, 20.0f)) app.showSurveyDesign = true;
    ImGui::End();
}

}  // namespace tessarin
