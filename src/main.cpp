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

    // ---- Frame loop ----------------------------------------------------
    bool done = false;
    while (!done) {
        // Input, as it stood after the previous frame's event drain.
        const Uint8 *keys = SDL_GetKeyState(nullptr);
        int mouse_x = 0;
        int mouse_y = 0;
        SDL_GetMouseState(&mouse_x, &mouse_y);
        const double start_x = mouse_x;
        const double start_y = mouse_y;

        // Draw.
        SDL_FillRect(screen, nullptr, 0);
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
    }

    // ---- Shutdown ------------------------------------------------------
    SDL_Quit();
    return 0;
}
