#pragma once
// The "Lines" window: every leg of the plan in sailing order with its ends,
// heading, length, time at its speed, shallowest and deepest floor and
// narrowest swath. Selecting a row highlights the leg on the map and makes
// it current; each row can be reversed, moved up or down, or deleted.

namespace tessarin {

struct AppState;
class PlannerState;
class ProfileCache;

// What a row's buttons asked for in this frame.
enum class LineEdit { None, Reverse, MoveUp, MoveDown, Delete };

// Carries out edit on leg through the planner (one user change); false when
// it changed nothing. Keeps app.selectedLeg on the edited leg.
bool applyLineEdit(LineEdit edit, int leg, AppState& app, PlannerState& planner);

class LinesWindow {
public:
    // Draws the window while app.showLines; the cache must be up to date.
    // An edit is carried out after the table has been drawn.
    void draw(AppState& app, PlannerState& planner, const ProfileCache& cache);

private:
    bool firstShow_ = true;
};

}  // namespace tessarin
