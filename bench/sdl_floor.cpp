// The frame-rate floor: a bare SDL 1.2 loop that does what fieldline's frame
// loop does minus the drawing (same surface, clear, present, input polling),
// so fieldline's frame rate can be measured against it.
#include <SDL.h>

int main(int, char *[])
{
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        return 1;
    SDL_EnableKeyRepeat(0, 0);
    SDL_Surface *surface = SDL_SetVideoMode(320, 200, 24, SDL_SWSURFACE);
    if (surface == nullptr) {
        SDL_Quit();
        return 1;
    }
    bool done = false;
    while (!done) {
        const Uint8 *keys = SDL_GetKeyState(nullptr);
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        SDL_FillRect(surface, nullptr, 0);
        SDL_UpdateRect(surface, 0, 0, 0, 0);
        SDL_Event event;
        while (SDL_PollEvent(&event))
            if (event.type == SDL_QUIT)
                done = true;
        if (keys[SDLK_ESCAPE] == SDL_PRESSED)
            done = true;
    }
    SDL_Quit();
    return 0;
}
