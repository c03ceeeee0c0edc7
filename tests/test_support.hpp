// What the unit tests share: a real 24-bit SDL surface over memory the test
// owns, with a pitch wider than the picture and canary bytes all around, and
// a recorder of every pixel plotted and every field evaluation made.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include <SDL.h>
#include <gtest/gtest.h>

constexpr int TEST_PITCH = 1000; // 40 bytes of padding after each 960-byte row
constexpr std::size_t GUARD_BYTES = 4096;
constexpr Uint8 CANARY = 0xA5;

// Sets `screen` to a surface whose picture is black and whose padding and
// guards hold CANARY. Red's mask picks the byte order (0xFF0000: BGR bytes).
class SurfaceTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
    void open_surface(Uint32 red_mask, Uint32 blue_mask);

    Uint8 *pixel_bytes(int x, int y);
    // True when no byte outside the 320 x 200 x 3 picture area has changed.
    bool outside_picture_untouched() const;
    // The picture's yellow pixels; fails the test at any that is neither
    // yellow nor black.
    int yellow_pixels();

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
