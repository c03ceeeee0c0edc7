// fieldline: draws, as fast as the machine allows, the field line that
// starts at the mouse pointer, through the field of three fixed sources.
//
// main() is the whole life of the process: start SDL, open the window, run
// the frame loop, shut down. Each frame throws the last picture away and
// draws a new one: black, the source markers, one traced line. The pointer
// is read at the top of a frame and events are drained at its bottom, so a
// frame draws from where the pointer stood after the previous one.
//
// Start reading below; then field.cpp for the field law and the tracer,
// raster.cpp for the pixel writer.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <SDL.h>

#include "field.hpp"
#include "raster.hpp"

#ifdef __EMSCRIPTEN__
// In the browser, emscripten's SDL names the key-state call after SDL2's
// (still indexed by key symbol), and a loop that never returns to the
// browser freezes the page: each frame ends by awaiting the next animation
// frame, which -sASYNCIFY lets this loop do without being turned inside out.
#include <emscripten.h>
static const Uint8 *get_key_state()
{
    return SDL_GetKeyboardState(nullptr);
}
EM_ASYNC_JS(void, yield_to_browser, (), { await new Promise(requestAnimationFrame); });
#else
// On the desktop frames follow each other with no pacing at all.
static const Uint8 *get_key_state()
{
    return SDL_GetKeyState(nullptr);
}
static void yield_to_browser() {}
#endif

// With no display, SDL 1.2 on top of SDL2 quietly falls back to an
// invisible 'offscreen' or 'dummy' video driver and reports success. Unless
// the user asked for a driver by name, that is a failed start.
static bool fell_back_to_invisible_driver()
{
    const char *requested = std::getenv("SDL_VIDEODRIVER");
    if (requested != nullptr && requested[0] != '\0')
        return false;
    char name[32];
    if (SDL_VideoDriverName(name, sizeof name) == nullptr)
        return false;
    return std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0;
}

int main(int argc, char *argv[])
{
    (void)argc; // the program has no options
    (void)argv;

    // ---- Start-up ------------------------------------------------------
    // Installed first, so that every exit() below still shuts SDL down.
    std::atexit(SDL_Quit);

    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::printf("Couldn't initialize SDL: %s\n", SDL_GetError());
        std::exit(1);
    }
    if (fell_back_to_invisible_driver()) {
        std::printf("Couldn't initialize SDL: no display available\n");
        std::exit(1);
    }
    SDL_EnableKeyRepeat(0, 0);

    screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, SDL_SWSURFACE);
    if (screen == nullptr) {
        std::printf("Couldn't set video mode: %s\n", SDL_GetError());
        SDL_Quit();
        std::exit(1);
    }
    // Pixel value 0 is black on the desktop but transparent in the browser,
    // whose canvas then keeps the old picture: clear to the surface's black.
    const Uint32 black = SDL_MapRGB(screen->format, 0, 0, 0);

    // ---- Frame loop ----------------------------------------------------
    bool done = false;
    while (!done) {
        // Input, as it stood after the previous frame's event drain.
        const Uint8 *keys = get_key_state();
        int mouse_x = 0;
        int mouse_y = 0;
        SDL_GetMouseState(&mouse_x, &mouse_y);
        const double start_x = mouse_x;
        const double start_y = mouse_y;

        // Draw.
        SDL_FillRect(screen, nullptr, black);
        if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) < 0)
            std::exit(1);
        draw_source_markers();
        trace_field_line(start_x, start_y);
        // SDL may not present a surface while it is locked: unlock first.
        if (SDL_MUSTLOCK(screen))
            SDL_UnlockSurface(screen);
        SDL_UpdateRect(screen, 0, 0, 0, 0);

        // Events: only the close request matters; the rest are dropped.
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT)
                done = true;
        }
        // The drain above has brought the key states up to date.
        if (keys[SDLK_ESCAPE] == SDL_PRESSED)
            done = true;
        yield_to_browser();
    }

    // ---- Shutdown ------------------------------------------------------
    SDL_Quit();
    return 0;
}
