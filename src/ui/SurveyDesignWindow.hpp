#pragma once
// The "Survey design" window: the settings of a design over the current
// polygon, its totals, and "Apply", which adds its lines to the plan as one
// undo step. The design and its totals are computed by a worker thread on a
// copy of the polygon whenever the polygon or a setting changes; the window
// shows the newest result and the map shows it as a preview.

#include <cstdint>
#include <memory>

#include "design/DesignWorker.hpp"
#include "render/DesignOverlay.hpp"

namespace tessarin {

struct AppState;
class PlannerState;

class SurveyDesignWindow {
public:
    SurveyDesignWindow();
    ~SurveyDesignWindow();

    // Draws the window while app.showSurveyDesign.
    void draw(AppState& app, PlannerState& planner);
    // Draws the preview on the map while the window is shown.
    void drawPreview(const AppState& app) const;

private:
    void submitIfChanged(PlannerState& planner);

    SurveyDesign design_;
    bool overlapSet_ = false;
    bool crosslines_ = false;
    double crossSpacingM_ = 10000.0;
    std::unique_ptr<DesignWorker> worker_;
    DesignRequest last_;
    std::uint64_t lastNumber_ = 0;
    DesignResult result_;
    bool haveResult_ = false;
    DesignPreview preview_;
    bool firstShow_ = true;
};

}  // namespace tessarin
