// The pixel writer. It runs up to 203 times a frame, so it is a bounds test
// and three byte stores: no SDL call, no colour mapping.
#include "raster.hpp"

SDL_Surface *screen = nullptr;

// A channel's byte within a pixel of `bytes_per_pixel` bytes, found from its
// mask: some SDLs (the browser's) set the masks but leave the shifts 0. The
// mask counts bits from the least significant end of the pixel value, which
// is the pixel's first byte in memory on little-endian machines and its last
// on big-endian ones. Truecolour masks are never 0, so ctz is defined.
static int channel_byte(Uint32 mask, int bytes_per_pixel)
{
    const int byte_in_value = __builtin_ctz(mask) / 8;
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    (void)bytes_per_pixel;
    return byte_in_value;
#else
    return bytes_per_pixel - 1 - byte_in_value;
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

    // Three or four bytes a pixel, channels where the format puts them: on
    // the desktop's 24-bit layout this stores blue, green, red at bytes
    // 0, 1, 2; in the browser, red, green, blue at 0, 1, 2 of four (its
    // alpha byte is made opaque by SDL when the surface is unlocked).
    const SDL_PixelFormat *format = screen->format;
    const int size = format->BytesPerPixel;
    Uint8 *pixel = static_cast<Uint8 *>(screen->pixels) + y * screen->pitch + size * x;
    pixel[channel_byte(format->Rmask, size)] = static_cast<Uint8>(red);
    pixel[channel_byte(format->Gmask, size)] = static_cast<Uint8>(green);
    pixel[channel_byte(format->Bmask, size)] = static_cast<Uint8>(blue);
}
