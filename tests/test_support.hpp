// What the unit tests share: a real SDL surface over memory the test owns,
// in any of the pixel layouts a screen may have, with a pitch wider than the
// picture and canary bytes all around, and a recorder of every pixel plotted
// and every field evaluation made.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include <SDL.h>
#include <gtest/gtest.h>

constexpr int ROW_PADDING = 40; // bytes after each row of the picture
constexpr std::size_t GUARD_BYTES = 4096;
constexpr Uint8 CANARY = 0xA5;

// A pixel layout, named by where each channel's byte sits in memory. The
// masks that give it differ with the machine's byte order; the fixture works
// them out, so every test means the same bytes on any machine.
struct Layout {
    const char *name;
    int bytes_per_pixel;
    int red_byte, green_byte, blue_byte;
    bool shifts_left_zero; // as the browser's SDL leaves them: only the masks tell
};
constexpr Layout BLUE_FIRST_24{"24-bit, blue first", 3, 2, 1, 0, false};
constexpr Layout RED_FIRST_24{"24-bit, red first", 3, 0, 1, 2, false};
constexpr Layout RGBA_32{"32-bit RGBA, the browser's", 4, 0, 1, 2, true};
constexpr Layout LAYOUTS[] = {BLUE_FIRST_24, RED_FIRST_24, RGBA_32};

// Sets `screen` to a surface whose picture is black and whose padding and
// guards hold CANARY; blue-first 24-bit unless the test opens another.
class SurfaceTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
    void open_surface(const Layout &layout);

    Uint8 *pixel_bytes(int x, int y);
    // True when no byte outside the picture's rows of pixels has changed.
    bool outside_picture_untouched() const;
    // The picture's yellow pixels; fails the test at any that is neither
    // yellow nor black.
    int yellow_pixels();

    Layout layout = BLUE_FIRST_24;
    int pitch = 0;
    std::vector<Uint8> memory;
    SDL_Surface *surface = nullptr;
};

using Pixel = std::pair<int, int>;

// Every put_pixel call since the last reset, in order, in range or not.
extern std::vector<Pixel> plotted;
// field_at calls since the last reset.
extern long field_evaluations;
void reset_recorder();
void recorded_put_pixel(int x, int y, int red, int green, int blue);
