// The field law at known points, and traces from known starts: where the
// line goes, where it is clipped, and that every trace takes all its steps.
#include <cmath>
#include <limits>

#include "field.hpp"
#include "raster.hpp"
#include "test_support.hpp"

namespace
{

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct FieldCase {
    const char *name;
    double px, py;
    double fx, fy;
};

TEST(FieldAt, MatchesKnownValues)
{
    const FieldCase cases[] = {
        {"between the sources: left and slightly up", 160, 100, -2.505e-6, -5.955e-7},
        {"beside the positive source: away from it", 250, 100, 9.935e-4, -2.155e-5},
    };
    for (const FieldCase &c : cases) {
        const FieldVector f = field_at(c.px, c.py);
        EXPECT_NEAR(f.fx, c.fx, std::fabs(c.fx) * 1e-3) << c.name;
        EXPECT_NEAR(f.fy, c.fy, std::fabs(c.fy) * 1e-3) << c.name;
    }
}

TEST(FieldAt, IsNaNExactlyAtEachSource)
{
    for (const PointSource &s : source_table) {
        const FieldVector f = field_at(s.x, s.y);
        EXPECT_TRUE(std::isnan(f.fx) && std::isnan(f.fy)) << s.x << ", " << s.y;
    }
}

// The strengths sum to -1, so from far away the sources pull like one sink.
TEST(FieldAt, PointsBackTowardsTheSourcesFromFarAway)
{
    const double far[][2] = {{5000, 100}, {-5000, 100}, {160, 5000}, {160, -5000}, {3e3, -4e3}};
    for (const auto &p : far) {
        const FieldVector f = field_at(p[0], p[1]);
        EXPECT_GT(f.fx * (160 - p[0]) + f.fy * (100 - p[1]), 0) << p[0] << ", " << p[1];
    }
}

using TraceTest = SurfaceTest;

bool in_picture(const Pixel &p)
{
    return p.first >= 0 && p.first < SCREEN_WIDTH && p.second >= 0 && p.second < SCREEN_HEIGHT;
}

struct TraceCase {
    const char *name;
    double x0, y0;
    std::vector<Pixel> first;  // the first plotted pixels, in order
    std::vector<Pixel> bounce; // the two pixels the last steps alternate between
};

TEST_F(TraceTest, FollowsTheFieldDownstreamIntoANegativeSource)
{
    const TraceCase cases[] = {
        {"from the middle, left into (80, 100)",
         160,
         100,
         {{159, 99}, {158, 99}, {157, 99}, {156, 99}, {155, 98}},
         {{80, 99}, {79, 100}}},
        {"from beside the positive source, up into (240, 66)",
         250,
         100,
         {{250, 99}, {251, 99}, {252, 99}, {253, 99}, {254, 99}},
         {{240, 65}, {239, 66}}},
    };
    for (const TraceCase &c : cases) {
        reset_recorder();
        trace_field_line(c.x0, c.y0);
        ASSERT_EQ(plotted.size(), std::size_t(TRACE_STEPS)) << c.name;
        for (std::size_t i = 0; i < c.first.size(); ++i)
            EXPECT_EQ(plotted[i], c.first[i]) << c.name << ", step " << i;
        // The unit step overshoots the source, so the walk jumps to and fro.
        for (std::size_t i = TRACE_STEPS - 6; i < TRACE_STEPS; i += 2) {
            const Pixel a = plotted[i], b = plotted[i + 1];
            EXPECT_TRUE((a == c.bounce[0] && b == c.bounce[1]) ||
                        (a == c.bounce[1] && b == c.bounce[0]))
                << c.name << ", steps " << i << " and " << i + 1;
        }
        EXPECT_GT(yellow_pixels(), 0) << c.name;
    }
    EXPECT_TRUE(outside_picture_untouched());
}

TEST_F(TraceTest, FromTheTopLeftCornerEndsAtTheLeftSink)
{
    trace_field_line(0, 0);
    ASSERT_EQ(plotted.size(), std::size_t(TRACE_STEPS));
    EXPECT_EQ(plotted.front(), Pixel(0, 0));
    EXPECT_LE(std::abs(plotted.back().first - 80), 1);
    EXPECT_LE(std::abs(plotted.back().second - 100), 1);
}

TEST_F(TraceTest, OnlyTheFirst22StepsFrom300_150AreInThePicture)
{
    trace_field_line(300, 150);
    for (std::size_t i = 0; i < plotted.size(); ++i)
        EXPECT_EQ(in_picture(plotted[i]), i < 22) << "step " << i;
}

// A landing just left of column 0 truncates towards zero onto it; one a
// pixel further left is dropped. The first landing is worked out here the
// same way the tracer takes a step.
TEST_F(TraceTest, TruncatesTowardsZeroAtTheLeftEdge)
{
    struct EdgeCase {
        const char *name;
        double x0, y0;
        double lo, hi;     // where the first landing's x must fall
        bool kept_at_edge; // plotted at column 0, or dropped
    };
    const EdgeCase cases[] = {
        {"landing between -1 and 0", -1.2, 10.2, -1.0, 0.0, true},
        {"landing between -2 and -1", -2.2, 10.2, -2.0, -1.0, false},
    };
    for (const EdgeCase &c : cases) {
        reset_recorder();
        const FieldVector f = field_at(c.x0, c.y0);
        const double g = 1.0 / std::sqrt(f.fx * f.fx + f.fy * f.fy);
        const double x1 = c.x0 + f.fx * g, y1 = c.y0 + f.fy * g;
        ASSERT_TRUE(x1 > c.lo && x1 < c.hi) << c.name << ": lands at " << x1;
        trace_field_line(c.x0, c.y0);
        EXPECT_EQ(in_picture(plotted.front()), c.kept_at_edge) << c.name;
        if (c.kept_at_edge) {
            EXPECT_EQ(plotted.front(), Pixel(0, int(y1))) << c.name;
        }
    }
}

// Whatever the start, a trace takes all its steps: no early exit once the
// walk turns NaN, runs off the picture or sits on a source.
TEST_F(TraceTest, EveryTraceEvaluatesTheFieldTraceStepsTimes)
{
    const double starts[][2] = {
        {160, 100}, {240, 100}, {240, 66}, {80, 100}, {300, 150}, {-1e6, 3e6}, {NaN, 5}, {5, NaN},
    };
    for (const auto &s : starts) {
        reset_recorder();
        trace_field_line(s[0], s[1]);
        EXPECT_EQ(field_evaluations, TRACE_STEPS) << s[0] << ", " << s[1];
    }
}

TEST_F(TraceTest, NothingIsPlottedFromASource)
{
    for (const PointSource &s : source_table) {
        reset_recorder();
        trace_field_line(s.x, s.y);
        for (const Pixel &p : plotted)
            EXPECT_FALSE(in_picture(p)) << "from " << s.x << ", " << s.y;
    }
}

TEST_F(TraceTest, MarkersAreWhiteAtTheSources)
{
    draw_source_markers();
    const Pixel expected[] = {{240, 100}, {240, 66}, {80, 100}};
    ASSERT_EQ(plotted.size(), std::size(expected));
    for (std::size_t i = 0; i < plotted.size(); ++i) {
        EXPECT_EQ(plotted[i], expected[i]);
        const Uint8 *p = pixel_bytes(expected[i].first, expected[i].second);
        EXPECT_TRUE(p[0] == 255 && p[1] == 255 && p[2] == 255);
    }
}

// What a listener is told: where the line goes, which way it sets off.
// source: the negative source reached, -1 for none; end: the pixel its last
// step lands in (on the source reached, or where the 200th stops).
struct DescriptionCase {
    const char *name;
    double x0, y0;
    int source, steps;
    Pixel end;
    Heading heading;
};

TEST_F(TraceTest, DescribesWhereTheLineGoesAsTheTracerDrawsIt)
{
    const DescriptionCase cases[] = {
        {"from the middle: left into (80, 100)", 160, 100, 2, 80, {80, 99}, LEFT},
        {"beside the positive source: up into (240, 66)", 250, 100, 1, 86, {240, 65}, RIGHT},
        {"from the top-left corner: down and right", 0, 0, 2, 128, {79, 99}, DOWN_RIGHT},
        {"reaches none: off the right edge", 300, 150, -1, TRACE_STEPS, {417, 94}, DOWN_RIGHT},
        {"a pixel right of (80, 100): reached at once", 81, 100, 2, 1, {80, 99}, LEFT},
        {"a pixel below (240, 66): reached at once", 240, 67, 1, 1, {239, 66}, UP},
        {"a pixel right of the positive source: away from it", 241, 100, 1, 94, {240, 65}, RIGHT},
        {"far outside the picture: reaches none", -5000, 100, -1, TRACE_STEPS, {-4800, 98}, RIGHT},
    };
    for (const DescriptionCase &c : cases) {
        reset_recorder();
        const LineDescription d = describe_field_line(c.x0, c.y0);
        EXPECT_EQ(d.source, c.source) << c.name;
        EXPECT_EQ(d.steps, c.steps) << c.name;
        EXPECT_EQ(Pixel(int(d.end_x), int(d.end_y)), c.end) << c.name;
        EXPECT_EQ(d.heading, c.heading) << c.name;
        EXPECT_TRUE(plotted.empty()) << c.name << ": a description draws nothing";
        // The same walk as the picture's: its last step lands where the
        // tracer plots that step.
        trace_field_line(c.x0, c.y0);
        EXPECT_EQ(plotted[std::size_t(c.steps - 1)], c.end) << c.name;
    }
    // The field's strength at the start: strongest beside a source.
    EXPECT_GT(describe_field_line(81, 100).strength, describe_field_line(85, 100).strength);
    EXPECT_GT(describe_field_line(85, 100).strength, describe_field_line(160, 100).strength);
}

// On a source, or from a non-finite start, the field has no direction: the
// walk is NaN from its first step, as the tracer's is, and reaches nothing.
TEST(DescribeFieldLine, HasNoHeadingWhereTheFieldHasNoDirection)
{
    const double starts[][2] = {{240, 100}, {240, 66}, {80, 100}, {NaN, 5}, {5, NaN}, {1e300, 5}};
    for (const auto &s : starts) {
        const LineDescription d = describe_field_line(s[0], s[1]);
        EXPECT_EQ(d.source, -1) << s[0] << ", " << s[1];
        EXPECT_EQ(d.heading, NO_HEADING) << s[0] << ", " << s[1];
        EXPECT_TRUE(std::isnan(d.end_x) && std::isnan(d.end_y)) << s[0] << ", " << s[1];
    }
}

} // namespace
