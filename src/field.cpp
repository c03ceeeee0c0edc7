// The field law and the field-line tracer. Non-finite values are carried
// along, never tested for, until a position has to become a pixel: at a
// source the field is NaN, where it vanishes the step is infinite, and such
// a walk quietly plots nothing for the rest of its steps.
#include "field.hpp"

#include <cmath>

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

void trace_field_line(double x0, double y0)
{
    double x = x0;
    double y = y0;
    // No early exit, even once the walk is NaN or far off the picture: every
    // trace costs the same, and a line that leaves may come back.
    for (int step = 0; step < TRACE_STEPS; ++step) {
        const FieldVector f = field_at(x, y);
        const double length = std::sqrt(f.fx * f.fx + f.fy * f.fy);
        const double g = 1.0 / length;
        x += f.fx * g;
        y += f.fy * g;
        put_pixel(to_pixel(x), to_pixel(y), LINE_COLOUR.red, LINE_COLOUR.green, LINE_COLOUR.blue);
    }
}

void draw_source_markers()
{
    for (const PointSource &source : source_table)
        put_pixel(to_pixel(source.x), to_pixel(source.y), MARKER_COLOUR.red, MARKER_COLOUR.green,
                  MARKER_COLOUR.blue);
}
