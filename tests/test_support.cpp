// The surface fixture and the two hooks behind the recorder, both called by
// the tests' own build of the field model: the put_pixel it calls, and the
// hook announcing each function it enters.
#include "test_support.hpp"

#include "field.hpp"
#include "raster.hpp"

std::vector<Pixel> plotted;
long field_evaluations = 0;

void reset_recorder()
{
    plotted.clear();
    field_evaluations = 0;
}

// The field model's put_pixel, renamed in its build for the tests.
void recorded_put_pixel(int x, int y, int red, int green, int blue)
{
    plotted.emplace_back(x, y);
    put_pixel(x, y, red, green, blue);
}

// The field model is built with -finstrument-functions: each function it
// enters, inlined or not, announces itself here.
extern "C" __attribute__((no_instrument_function)) void __cyg_profile_func_enter(void *function,
                                                                                 void *)
{
    if (function == reinterpret_cast<void *>(&field_at))
        ++field_evaluations;
}

extern "C" __attribute__((no_instrument_function)) void __cyg_profile_func_exit(void *, void *) {}

void SurfaceTest::SetUp()
{
    open_surface(0xFF0000, 0x0000FF);
}

void SurfaceTest::TearDown()
{
    SDL_FreeSurface(surface);
    screen = nullptr;
}

void SurfaceTest::open_surface(Uint32 red_mask, Uint32 blue_mask)
{
    if (surface != nullptr)
        SDL_FreeSurface(surface);
    const std::size_t picture_bytes = std::size_t{SCREEN_HEIGHT} * TEST_PITCH;
    memory.assign(GUARD_BYTES + picture_bytes + GUARD_BYTES, CANARY);
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        std::fill_n(pixel_bytes(0, y), 3 * SCREEN_WIDTH, Uint8{0});
    surface = SDL_CreateRGBSurfaceFrom(memory.data() + GUARD_BYTES, SCREEN_WIDTH, SCREEN_HEIGHT,
                                       SCREEN_BPP, TEST_PITCH, red_mask, 0x00FF00, blue_mask, 0);
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    screen = surface;
    reset_recorder();
}

Uint8 *SurfaceTest::pixel_bytes(int x, int y)
{
    return memory.data() + GUARD_BYTES + std::size_t(y) * TEST_PITCH + 3 * std::size_t(x);
}

bool SurfaceTest::outside_picture_untouched() const
{
    for (std::size_t i = 0; i < memory.size(); ++i) {
        const bool before = i < GUARD_BYTES;
        const std::size_t offset = i - GUARD_BYTES;
        const bool in_picture = !before && offset / TEST_PITCH < SCREEN_HEIGHT &&
                                offset % TEST_PITCH < 3 * SCREEN_WIDTH;
        if (!in_picture && memory[i] != CANARY)
            return false;
    }
    return true;
}

int SurfaceTest::yellow_pixels()
{
    int yellow = 0;
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x) {
            const Uint8 *p = pixel_bytes(x, y); // blue, green, red
            const bool is_black = p[0] == 0 && p[1] == 0 && p[2] == 0;
            const bool is_yellow = p[0] == 0 && p[1] == 255 && p[2] == 255;
            EXPECT_TRUE(is_black || is_yellow) << "colour at " << x << ", " << y;
            if (!is_black && !is_yellow)
                return -1;
            yellow += is_yellow;
        }
    return yellow;
}
