// The field model: three fixed point sources, the field they make together,
// and the tracer that walks a field line from a start point and plots it.
// Everything but the plotting is pure arithmetic on constant data.
#pragma once

struct PointSource {
    double x, y;     // pixel coordinates, y growing downwards
    double strength; // signed weight
};

struct FieldVector {
    double fx, fy;
};

// The order is the order of summation and of marker drawing.
constexpr PointSource source_table[3] = {
    {240.0, 100.0, +1.0},
    {240.0, 66.0, -1.0},
    {80.0, 100.0, -1.0},
};

// Every trace takes exactly this many steps of one pixel.
constexpr int TRACE_STEPS = 200;

// The combined field at (px, py): each source adds
// strength * (p - s) / |p - s|^4, so its pull falls as the inverse cube.
// At a source itself both components are NaN.
FieldVector field_at(double px, double py);

// Walks TRACE_STEPS unit steps along the field from (x0, y0), plotting each
// landing point in the line colour; the start itself is not plotted.
// The caller holds the surface lock when SDL_MUSTLOCK(screen) says so.
void trace_field_line(double x0, double y0);

// Plots each source as one pixel in the marker colour. Same lock rule.
void draw_source_markers();

// A step that lands this close to a negative source (in pixels) has reached
// it: from there the walk only bounces about it.
constexpr double REACH_DISTANCE = 1.0;

// Which way a line sets off, as the eight words a listener is told, counted
// anticlockwise on the screen from "right". NO_HEADING where the field has no
// direction (on a source).
enum Heading { RIGHT, UP_RIGHT, UP, UP_LEFT, LEFT, DOWN_LEFT, DOWN, DOWN_RIGHT, NO_HEADING };

// The line from a start, in words rather than pixels, for a reader who
// cannot see the picture: the same walk as trace_field_line's, plotting
// nothing.
struct LineDescription {
    int source;          // index in source_table of the negative source it reaches, or -1
    int steps;           // steps taken until it reached it, else TRACE_STEPS
    double end_x, end_y; // where that last step landed (NaN from a source)
    Heading heading;     // the direction of its first step
    double strength;     // the field's magnitude at the start (NaN on a source)
};
LineDescription describe_field_line(double x0, double y0);
