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
    open_surface(BLUE_FIRST_24);
}

void SurfaceTest::TearDown()
{
    SDL_FreeSurface(surface);
    screen = nullptr;
}

// The mask of the channel stored at memory byte `byte` of a pixel.
static Uint32 mask_at(int byte, int bytes_per_pixel)
{
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    (void)bytes_per_pixel;
    return 0xFFu << (8 * byte);
#else
    return 0xFFu << (8 * (bytes_per_pixel - 1 - byte));
#endif
}

void SurfaceTest::open_surface(const Layout &new_layout)
{
    if (surface != nullptr)
        SDL_FreeSurface(surface);
    layout = new_layout;
    const int size = layout.bytes_per_pixel;
    pitch = size * SCREEN_WIDTH + ROW_PADDING;
    memory.assign(GUARD_BYTES + std::size_t(SCREEN_HEIGHT) * std::size_t(pitch) + GUARD_BYTES,
                  CANARY);
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        std::fill_n(pixel_bytes(0, y), size * SCREEN_WIDTH, Uint8{0});
    const Uint32 alpha = size == 4 ? mask_at(3, size) : 0;
    surface = SDL_CreateRGBSurfaceFrom(memory.data() + GUARD_BYTES, SCREEN_WIDTH, SCREEN_HEIGHT,
                                       8 * size, pitch, mask_at(layout.red_byte, size),
                                       mask_at(layout.green_byte, size),
                                       mask_at(layout.blue_byte, size), alpha);
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    if (layout.shifts_left_zero)
        surface->format->Rshift = surface->format->Gshift = surface->format->Bshift = 0;
    screen = surface;
    reset_recorder();
}

Uint8 *SurfaceTest::pixel_bytes(int x, int y)
{
    return memory.data() + GUARD_BYTES + std::size_t(y) * std::size_t(pitch) +
           std::size_t(layout.bytes_per_pixel) * std::size_t(x);
}

bool SurfaceTest::outside_picture_untouched() const
{
    const std::size_t row_bytes = std::size_t(layout.bytes_per_pixel) * SCREEN_WIDTH;
    for (std::size_t i = 0; i < memory.size(); ++i) {
        const bool before = i < GUARD_BYTES;
        const std::size_t offset = i - GUARD_BYTES;
        const bool in_picture = !before && offset / std::size_t(pitch) < SCREEN_HEIGHT &&
                                offset % std::size_t(pitch) < row_bytes;
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
            const Uint8 *p = pixel_bytes(x, y);
            const int r = p[layout.red_byte], g = p[layout.green_byte], b = p[layout.blue_byte];
            const bool is_black = r == 0 && g == 0 && b == 0;
            const bool is_yellow = r == 255 && g == 255 && b == 0;
            EXPECT_TRUE(is_black || is_yellow) << "colour at " << x << ", " << y;
            if (!is_black && !is_yellow)
                return -1;
            yellow += is_yellow;
        }
    return yellow;
}
