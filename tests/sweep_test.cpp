// Traces from every integer start around and across the picture, and from
// every pair of extreme doubles: whatever the start, nothing outside the
// picture changes, only yellow is drawn, and all steps are taken.
#include <limits>

#include "field.hpp"
#include "raster.hpp"
#include "test_support.hpp"

namespace
{

using SweepTest = SurfaceTest;

constexpr double inf = std::numeric_limits<double>::infinity();

// Each start traced on the same surface; returns how many traces did not
// evaluate the field exactly TRACE_STEPS times.
int trace_all(const std::vector<std::pair<double, double>> &starts)
{
    int wrong_counts = 0;
    for (const auto &[x, y] : starts) {
        reset_recorder();
        trace_field_line(x, y);
        wrong_counts += field_evaluations != TRACE_STEPS;
    }
    return wrong_counts;
}

TEST_F(SweepTest, NothingEscapesThePictureFromAnyStart)
{
    std::vector<std::pair<double, double>> starts;
    for (int y = -40; y <= 240; ++y)
        for (int x = -40; x <= 360; ++x)
            starts.emplace_back(x, y);

    const double extremes[] = {
        std::numeric_limits<double>::quiet_NaN(),
        inf,
        -inf,
        1e308,
        -1e308,
        2147483648.5, // just past int's range, either side
        -2147483649.5,
        2147483647.5, // just inside it
        -2147483648.5,
        std::numeric_limits<double>::denorm_min(),
        -std::numeric_limits<double>::denorm_min(),
        -0.0,
        0.0,
        160.0,
    };
    for (double x : extremes)
        for (double y : extremes)
            starts.emplace_back(x, y);
    for (const PointSource &s : source_table)
        starts.emplace_back(s.x, s.y);

    EXPECT_EQ(trace_all(starts), 0) << "traces that did not take every step";
    EXPECT_TRUE(outside_picture_untouched());
    EXPECT_GT(yellow_pixels(), 0) << "the sweep drew nothing at all";
}

} // namespace
