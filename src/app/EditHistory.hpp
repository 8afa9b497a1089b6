#pragma once
// Undo and redo of every change to the plan and the polygon. An operation
// that changes either calls record() once, before it changes anything; the
// history keeps the plan and polygon as they were then. Undo puts back the
// state before the last change, redo the state undone. Coverage, transit
// end points and the view are not part of it.
//
// A recorded operation that turns out to change nothing (a delete with
// nothing held, a fill of an empty polygon) leaves no step behind and does
// not clear the redo steps; that is settled lazily, at the next record,
// undo or redo.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "app/PlanSnapshot.hpp"

namespace tessarin {

class EditHistory {
public:
    // Steps kept; the oldest go first. A history whose shared waypoint
    // records outgrow kByteBudget drops its oldest steps early, so a huge
    // plan edited for hours cannot exhaust memory.
    static constexpr std::size_t kMaxSteps = 256;
    static constexpr std::size_t kByteBudget = std::size_t{768} << 20;

    EditHistory(SurveyPlan& plan, SurveyPolygon& polygon);

    // The plan and polygon are about to change by the operation `label`.
    // With merge, successive records of the same label form one step until
    // closeGroup() or any other record (the moves of one drag).
    void record(const std::string& label, bool merge = false);
    void closeGroup() { groupOpen_ = false; }

    bool undo();
    bool redo();
    // Whether a step is stored (a stored step may yet prove empty).
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // Label of the step the next undo or redo would take ("" when none).
    std::string undoLabel() const { return undo_.empty() ? std::string() : undo_.back().label; }
    std::string redoLabel() const { return redo_.empty() ? std::string() : redo_.back().label; }
    std::size_t undoSteps() const { return undo_.size(); }
    std::size_t redoSteps() const { return redo_.size(); }
    void clear();

    // Counts every record, undo and redo: the plan or polygon may have
    // changed since the count was last seen.
    std::uint64_t revision() const { return revision_; }

    // The plan (polygon) as it is now is the one last saved or loaded.
    void markPlanClean();
    void markPolygonClean();
    // Whether it differs from the one last saved or loaded; at start-up
    // both are empty.
    bool planUnsaved() const;
    bool polygonUnsaved() const;

private:
    struct Step {
        std::string label;
        PlanSnapshot before;
    };

    PlanSnapshot captureNow() const;
    // Drops the last step if its operation changed nothing, giving back the
    // redo steps it cleared.
    void settle(const PlanSnapshot& now);
    void trim();

    SurveyPlan& plan_;
    SurveyPolygon& polygon_;
    std::deque<Step> undo_;
    std::deque<Step> redo_;
    std::deque<Step> redoBeforeLastStep_;
    bool lastStepUnsettled_ = false;
    bool groupOpen_ = false;
    std::string groupLabel_;
    std::uint64_t revision_ = 0;
    PlanSnapshot cleanPlan_;
    PlanSnapshot cleanPolygon_;
};

}  // namespace tessarin
