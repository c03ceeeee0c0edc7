// put_pixel on a real 24-bit surface: byte order, clipping at every edge,
// and nothing written outside the picture, row padding included.
#include <climits>

#include "raster.hpp"
#include "test_support.hpp"

namespace
{

using RasterTest = SurfaceTest;

struct Stored {
    const char *name;
    int x, y;
};

// Colour (1, 2, 3) lands as blue, green, red at increasing addresses.
TEST_F(RasterTest, InRangePixelsAreStoredBlueGreenRed)
{
    const Stored cases[] = {
        {"top-left", 0, 0},         {"top-right", 319, 0}, {"bottom-left", 0, 199},
        {"bottom-right", 319, 199}, {"middle", 160, 100},
    };
    for (const Stored &c : cases) {
        put_pixel(c.x, c.y, 1, 2, 3);
        const Uint8 *bytes = pixel_bytes(c.x, c.y);
        EXPECT_EQ(bytes[0], 3) << c.name;
        EXPECT_EQ(bytes[1], 2) << c.name;
        EXPECT_EQ(bytes[2], 1) << c.name;
    }
    EXPECT_TRUE(outside_picture_untouched());
}

TEST_F(RasterTest, OutOfRangePixelsChangeNothing)
{
    const Stored cases[] = {
        {"one past the right edge", 320, 0}, {"one past the bottom edge", 0, 200},
        {"one before the left edge", -1, 0}, {"one above the top edge", 0, -1},
        {"most negative x", INT_MIN, 0},     {"most negative y", 0, INT_MIN},
        {"largest x", INT_MAX, 0},           {"largest y", 0, INT_MAX},
        {"past the bottom-right", 320, 200}, {"x that would reach the next row", 330, 5},
    };
    const std::vector<Uint8> before = memory;
    for (const Stored &c : cases) {
        put_pixel(c.x, c.y, 255, 255, 255);
        EXPECT_TRUE(memory == before) << c.name;
    }
}

TEST_F(RasterTest, FillingThePictureLeavesThePaddingAlone)
{
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x)
            put_pixel(x, y, 255, 255, 255);
    EXPECT_TRUE(outside_picture_untouched());
    EXPECT_EQ(*pixel_bytes(319, 199), 255);
}

TEST_F(RasterTest, LastWriteWinsAndOnlyLowEightBitsAreStored)
{
    put_pixel(7, 9, 255, 255, 255);
    put_pixel(7, 9, 0x1FF, 0x100, 0x2AB);
    const Uint8 *bytes = pixel_bytes(7, 9);
    EXPECT_EQ(bytes[0], 0xAB);
    EXPECT_EQ(bytes[1], 0x00);
    EXPECT_EQ(bytes[2], 0xFF);
}

// A surface that keeps red in its lowest byte gets red first in memory,
// so the colours do not swap.
TEST_F(RasterTest, ChannelsFollowTheSurfaceByteOrder)
{
    open_surface(0x0000FF, 0xFF0000);
    put_pixel(10, 20, 1, 2, 3);
    const Uint8 *bytes = pixel_bytes(10, 20);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(bytes[2], 3);
}

} // namespace
