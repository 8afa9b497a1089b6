#pragma once
// The order in which a design's parallel lines are sailed. Each line is
// known by its offset across the area (metres from the first line); sailing
// from one line to the next the ship turns through the distance between
// them. Back and forth sails them in offset order. Interleaved keeps every
// turn at least as wide as the turning diameter, so the ship never has to
// come about in a space narrower than it turns in, and among such orders
// takes one with little extra distance.

#include <vector>

namespace tessarin {

struct LineOrderResult {
    std::vector<int> order;  // indices into the offsets, first line first
    int narrowTurns = 0;     // turns below the diameter no order could avoid
};

// Lines 0..n-1 in offset order.
std::vector<int> backAndForthOrder(int count);

// offsetsM ascending, line 0 first. Every consecutive pair of lines in the
// result lies at least minTurnM apart where the lines allow it; the turns
// that must be narrower (too few lines) are counted. The distance is the
// sum of the offset differences; a sweep with a stride of the diameter,
// mended by moving short runs of lines where that shortens it.
LineOrderResult interleavedOrder(const std::vector<double>& offsetsM, double minTurnM);

// Sum of |offset difference| over consecutive lines of order, metres.
double turnDistanceM(const std::vector<double>& offsetsM, const std::vector<int>& order);

}  // namespace tessarin
