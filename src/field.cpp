// The field law and the field-line tracer. Non-finite values are carried
// along, never tested for, until a position has to become a pixel: at a
// source the field is NaN, where it vanishes the step is infinite, and such
// a walk quietly plots nothing for the rest of its steps.
#include "field.hpp"

#include <cmath>
#include <iterator>

#include "raster.hpp"

FieldVector field_at(double px, double py)
{
    double fx = 0.0;
    double fy = 0.0;
    for (const PointSource &source : source_table) {
        const double dx = source.x - px;
        const double dy = source.y - py;
        const double r2 = dx * dx + dy * dy;
        const double k = -source.strength / (r2 * r2);
        fx += dx * k;
        fy += dy * k;
    }
    return {fx, fy};
}

// Truncates towards zero. A NaN, an infinity or anything beyond int's range
// would be undefined behaviour to convert, so it becomes -1, which put_pixel
// drops like any other point off the picture.
static int to_pixel(double v)
{
    // Both bounds are exact doubles; the comparisons are false for NaN.
    if (v > -2147483649.0 && v < 2147483648.0)
        return static_cast<int>(v);
    return -1;
}

// One step of exactly one pixel along the field from (x, y). Where the
// field is NaN or zero the new position is NaN, and stays so.
static inline void step_along_field(double &x, double &y)
{
    const FieldVector f = field_at(x, y);
    const double length = std::sqrt(f.fx * f.fx + f.fy * f.fy);
    const double g = 1.0 / length;
    x += f.fx * g;
    y += f.fy * g;
}

void trace_field_line(double x0, double y0)
{
    double x = x0;
    double y = y0;
    // No early exit, even once the walk is NaN or far off the picture: every
    // trace costs the same, and a line that leaves may come back.
    for (int step = 0; step < TRACE_STEPS; ++step) {
        step_along_field(x, y);
        put_pixel(to_pixel(x), to_pixel(y), LINE_COLOUR.red, LINE_COLOUR.green, LINE_COLOUR.blue);
    }
}

// The negative source within REACH_DISTANCE of (x, y), or -1. False for NaN.
static int source_reached(double x, double y)
{
    for (int i = 0; i < int(std::size(source_table)); ++i) {
        const PointSource &s = source_table[i];
        const double dx = s.x - x, dy = s.y - y;
        if (s.strength < 0 && dx * dx + dy * dy <= REACH_DISTANCE * REACH_DISTANCE)
            return i;
    }
    return -1;
}

// The nearest of the eight words to the direction (dx, dy), y growing
// downwards; NO_HEADING for a NaN direction.
static Heading heading_of(double dx, double dy)
{
    if (!(std::isfinite(dx) && std::isfinite(dy)))
        return NO_HEADING;
    constexpr double EIGHTH_TURN = 0.78539816339744830962; // pi / 4
    const double eighths = std::atan2(-dy, dx) / EIGHTH_TURN;
    const long sector = std::lround(eighths);
    return static_cast<Heading>((sector + 8) % 8);
}

LineDescription describe_field_line(double x0, double y0)
{
    const FieldVector f = field_at(x0, y0);
    LineDescription d{-1, TRACE_STEPS, x0, y0, NO_HEADING, std::sqrt(f.fx * f.fx + f.fy * f.fy)};
    for (int step = 1; step <= TRACE_STEPS; ++step) {
        step_along_field(d.end_x, d.end_y);
        if (step == 1)
            d.heading = heading_of(d.end_x - x0, d.end_y - y0);
        d.source = source_reached(d.end_x, d.end_y);
        if (d.source >= 0) {
            d.steps = step;
            break;
        }
    }
    return d;
}

void draw_source_markers()
{
    for (const PointSource &source : source_table)
        put_pixel(to_pixel(source.x), to_pixel(source.y), MARKER_COLOUR.red, MARKER_COLOUR.green,
                  MARKER_COLOUR.blue);
}
