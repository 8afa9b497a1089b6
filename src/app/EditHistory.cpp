#include "app/EditHistory.hpp"

namespace tessarin {

EditHistory::EditHistory(SurveyPlan& plan, SurveyPolygon& polygon)
    : plan_(plan), polygon_(polygon), cleanPlan_(capturePlan(plan, polygon)), cleanPolygon_(cleanPlan_) {}

void EditHistory::markPlanClean() {
    cleanPlan_ = captureNow();
    ++revision_;
}

void EditHistory::markPolygonClean() {
    cleanPolygon_ = captureNow();
    ++revision_;
}

bool EditHistory::planUnsaved() const { return !captureNow().samePlan(cleanPlan_); }

bool EditHistory::polygonUnsaved() const { return !captureNow().samePolygon(cleanPolygon_); }

PlanSnapshot EditHistory::captureNow() const {
    // The newest snapshot shares most records with the plan as it is.
    const PlanSnapshot* share = nullptr;
    if (!undo_.empty()) share = &undo_.back().before;
    if (!redo_.empty() && (share == nullptr || lastStepUnsettled_)) share = &redo_.back().before;
    return capturePlan(plan_, polygon_, share);
}

void EditHistory::settle(const PlanSnapshot& now) {
    if (!lastStepUnsettled_) return;
    lastStepUnsettled_ = false;
    if (!undo_.empty() && undo_.back().before.sameContent(now)) {
        undo_.pop_back();
        redo_ = std::move(redoBeforeLastStep_);
    }
    redoBeforeLastStep_.clear();
}

void EditHistory::record(const std::string& label, bool merge) {
    ++revision_;
    if (merge && groupOpen_ && label == groupLabel_) return;
    groupOpen_ = merge;
    groupLabel_ = label;
    PlanSnapshot now = captureNow();
    settle(now);
    undo_.push_back(Step{label, std::move(now)});
    redoBeforeLastStep_ = std::move(redo_);
    redo_.clear();
    lastStepUnsettled_ = true;
    trim();
}

bool EditHistory::undo() {
    closeGroup();
    PlanSnapshot now = captureNow();
    settle(now);
    // Steps recorded before an unrecorded change was undone, or left by a
    // change that was reverted by hand, restore nothing new: skip them.
    while (!undo_.empty() && undo_.back().before.sameContent(now)) undo_.pop_back();
    if (undo_.empty()) return false;
    Step step = std::move(undo_.back());
    undo_.pop_back();
    restorePlan(step.before, plan_, polygon_);
    redo_.push_back(Step{step.label, std::move(now)});
    ++revision_;
    return true;
}

bool EditHistory::redo() {
    closeGroup();
    PlanSnapshot now = captureNow();
    settle(now);
    if (redo_.empty()) return false;
    Step step = std::move(redo_.back());
    redo_.pop_back();
    restorePlan(step.before, plan_, polygon_);
    undo_.push_back(Step{step.label, std::move(now)});
    trim();
    ++revision_;
    return true;
}

void EditHistory::clear() {
    undo_.clear();
    redo_.clear();
    redoBeforeLastStep_.clear();
    lastStepUnsettled_ = false;
    groupOpen_ = false;
    ++revision_;
}

void EditHistory::trim() {
    while (undo_.size() > kMaxSteps) undo_.pop_front();
    while (undo_.size() > 1 && WaypointRecord::liveBytes() > kByteBudget) undo_.pop_front();
}

}  // namespace tessarin
