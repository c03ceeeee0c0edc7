// The browser build's description of a line, for the page's screen-reader
// sentence and its sound: describe_field_line from the field model, exported
// for page.js to call, so that what the page says comes from the tracer
// that draws the picture. Each answers in a row of doubles the page reads
// from the heap; the row is overwritten by the next call.
#include <cmath>
#include <iterator>

#include <emscripten.h>

#include "field.hpp"

static double row[6];

// source (-1 for none), steps, end x, end y, heading (0 right, then
// anticlockwise in eighths; -1 for none), the field's strength at the start.
extern "C" EMSCRIPTEN_KEEPALIVE const double *describe_line(double x, double y)
{
    const LineDescription d = describe_field_line(x, y);
    row[0] = d.source;
    row[1] = d.steps;
    row[2] = d.end_x;
    row[3] = d.end_y;
    row[4] = d.heading == NO_HEADING ? -1 : d.heading;
    row[5] = d.strength;
    return row;
}

// Source i's place: x, y; NaN for a source there is not.
extern "C" EMSCRIPTEN_KEEPALIVE const double *source_position(int i)
{
    const bool known = i >= 0 && i < int(std::size(source_table));
    row[0] = known ? source_table[i].x : std::nan("");
    row[1] = known ? source_table[i].y : std::nan("");
    return row;
}
