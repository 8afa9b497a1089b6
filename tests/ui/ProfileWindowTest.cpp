// The profile drawn for a long plan stays within the GUI's vertex bound and
// keeps what matters: the shallowest floor, the narrowest swath, the
// steepest slope, and where each leg starts and ends.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/ProfileWindow.hpp"

namespace tessarin {
namespace {

// legs x perLeg samples, 1 km apart, the floor and widths varying with a
// pattern no two neighbours share.
std::vector<ProfileSample> plan(int legs, int perLeg) {
    std::vector<ProfileSample> out;
    for (int leg = 0; leg < legs; ++leg) {
        for (int i = 0; i < perLeg; ++i) {
            ProfileSample s;
            s.leg = leg;
            s.distanceKm = static_cast<double>(out.size());
            const int k = static_cast<int>(out.size());
            s.elevationM = -3000.0f + static_cast<float>((k * 37) % 101) * 10.0f;
            s.portM = 2000.0f + static_cast<float>((k * 53) % 89) * 5.0f;
            s.starboardM = 2100.0f + static_cast<float>((k * 29) % 97) * 5.0f;
            s.slopeDeg = static_cast<float>((k * 41) % 61 - 30) * 0.5f;
            out.push_back(s);
        }
    }
    return out;
}

TEST(ProfileWindowTest, ThinnedSamplesAreBoundedAndKeepTheExtremes) {
    struct Case {
        int legs, perLeg;
        std::size_t max;
        bool legEndsKept;
    } cases[] = {
        {1, 50, 100, true},     // short enough: unchanged
        {1, 400, 100, true},
        {12, 400, 500, true},   // a whole plan that overflowed the draw list
        {190, 3, 450, true},    // many short legs, still room for their ends
        {2000, 2, 450, false},  // more legs than room: the bound wins
    };
    for (const Case& c : cases) {
        const std::vector<ProfileSample> in = plan(c.legs, c.perLeg);
        const std::vector<ProfileSample> out = thinnedSamples(in, c.max);
        SCOPED_TRACE(testing::Message() << c.legs << " x " << c.perLeg << " into " << c.max);
        EXPECT_LE(out.size(), c.max);
        if (in.size() <= c.max) {
            EXPECT_EQ(out.size(), in.size());
        }
        auto byElevation = [](const ProfileSample& a, const ProfileSample& b) { return a.elevationM < b.elevationM; };
        auto byPort = [](const ProfileSample& a, const ProfileSample& b) { return a.portM < b.portM; };
        auto bySlope = [](const ProfileSample& a, const ProfileSample& b) {
            return std::fabs(a.slopeDeg) < std::fabs(b.slopeDeg);
        };
        EXPECT_EQ(std::max_element(out.begin(), out.end(), byElevation)->elevationM,
                  std::max_element(in.begin(), in.end(), byElevation)->elevationM);
        EXPECT_EQ(std::min_element(out.begin(), out.end(), byPort)->portM,
                  std::min_element(in.begin(), in.end(), byPort)->portM);
        EXPECT_EQ(std::fabs(std::max_element(out.begin(), out.end(), bySlope)->slopeDeg),
                  std::fabs(std::max_element(in.begin(), in.end(), bySlope)->slopeDeg));
        // Distances stay in order, and each merged sample stands where one was.
        for (std::size_t i = 1; i < out.size(); ++i) EXPECT_LT(out[i - 1].distanceKm, out[i].distanceKm);
        if (c.legEndsKept) {
            for (int leg = 0; leg < c.legs; ++leg) {
                const double first = leg * c.perLeg, last = first + c.perLeg - 1;
                auto at = [&](double d) {
                    return std::any_of(out.begin(), out.end(),
                                       [&](const ProfileSample& s) { return s.distanceKm == d && s.leg == leg; });
                };
                EXPECT_TRUE(at(first) && at(last)) << "leg " << leg;
            }
        }
    }
}

}  // namespace
}  // namespace tessarin
