// put_pixel on real surfaces of every layout a screen may have: where each
// channel lands, clipping at every edge, and nothing written outside the
// picture, row padding and a 32-bit pixel's fourth byte included.
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

// Colour (1, 2, 3) lands in the bytes the surface's format gives red, green
// and blue, whatever the layout and the machine's byte order.
TEST_F(RasterTest, InRangePixelsLandInTheFormatsChannelBytes)
{
    const Stored cases[] = {
        {"top-left", 0, 0},         {"top-right", 319, 0}, {"bottom-left", 0, 199},
        {"bottom-right", 319, 199}, {"middle", 160, 100},
    };
    for (const Layout &l : LAYOUTS) {
        open_surface(l);
        for (const Stored &c : cases) {
            put_pixel(c.x, c.y, 1, 2, 3);
            const Uint8 *bytes = pixel_bytes(c.x, c.y);
            EXPECT_EQ(bytes[l.red_byte], 1) << l.name << ", " << c.name;
            EXPECT_EQ(bytes[l.green_byte], 2) << l.name << ", " << c.name;
            EXPECT_EQ(bytes[l.blue_byte], 3) << l.name << ", " << c.name;
            if (l.bytes_per_pixel == 4) {
                EXPECT_EQ(bytes[3], 0) << l.name << ", " << c.name << ": the alpha byte";
            }
        }
        EXPECT_TRUE(outside_picture_untouched()) << l.name;
    }
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
    for (const Layout &l : LAYOUTS) {
        open_surface(l);
        for (int y = 0; y < SCREEN_HEIGHT; ++y)
            for (int x = 0; x < SCREEN_WIDTH; ++x)
                put_pixel(x, y, 255, 255, 255);
        EXPECT_TRUE(outside_picture_untouched()) << l.name;
        EXPECT_EQ(pixel_bytes(319, 199)[l.red_byte], 255) << l.name;
    }
}

TEST_F(RasterTest, LastWriteWinsAndOnlyLowEightBitsAreStored)
{
    put_pixel(7, 9, 255, 255, 255);
    put_pixel(7, 9, 0x1FF, 0x100, 0x2AB);
    const Uint8 *bytes = pixel_bytes(7, 9);
    EXPECT_EQ(bytes[layout.red_byte], 0xFF);
    EXPECT_EQ(bytes[layout.green_byte], 0x00);
    EXPECT_EQ(bytes[layout.blue_byte], 0xAB);
}

} // namespace
