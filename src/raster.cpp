// The pixel writer. It runs up to 203 times a frame, so it is a bounds test
// and three byte stores: no SDL call, no colour mapping.
#include "raster.hpp"

SDL_Surface *screen = nullptr;

// A channel's byte within a packed 24-bit pixel. Its shift counts bits from
// the least significant end of the 24-bit value, which is the pixel's first
// byte in memory on little-endian machines and its last on big-endian ones.
static int channel_byte(Uint8 shift)
{
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    return shift / 8;
#else
    return 2 - shift / 8;
#endif
}

void put_pixel(int x, int y, int red, int green, int blue)
{
    // Taken as unsigned, every negative coordinate becomes huge, so one
    // comparison a side covers both edges. The picture's constants are
    // used rather than the surface's size: nothing is drawn outside them.
    if (static_cast<unsigned>(x) >= static_cast<unsigned>(SCREEN_WIDTH) ||
        static_cast<unsigned>(y) >= static_cast<unsigned>(SCREEN_HEIGHT))
        return;

    const SDL_PixelFormat *format = screen->format;
    Uint8 *pixel = static_cast<Uint8 *>(screen->pixels) + y * screen->pitch + 3 * x;
    // Placing each channel where the surface's format says keeps red and
    // blue apart on any byte order; on the usual layout this stores blue,
    // green, red at bytes 0, 1, 2.
    pixel[channel_byte(format->Rshift)] = static_cast<Uint8>(red);
    pixel[channel_byte(format->Gshift)] = static_cast<Uint8>(green);
    pixel[channel_byte(format->Bshift)] = static_cast<Uint8>(blue);
}
