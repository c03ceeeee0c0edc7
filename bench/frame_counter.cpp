// LD_PRELOAD library that counts a program's presented frames from outside:
// it wraps SDL_UpdateRect, and heap allocations between the first and the
// last frame. At exit it appends "frames seconds allocations" to the file
// named by FRAME_COUNT_FILE. The program itself prints nothing.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <SDL.h>
#include <dlfcn.h>

#include "allocation_counter.hpp"

static long frames = 0;
static timespec first_frame, last_frame;
static long allocations_at_first_frame = 0;
static long allocations_at_last_frame = 0;

extern "C" void SDL_UpdateRect(SDL_Surface *surface, Sint32 x, Sint32 y, Uint32 w, Uint32 h)
{
    using Update = void (*)(SDL_Surface *, Sint32, Sint32, Uint32, Uint32);
    static const Update real = reinterpret_cast<Update>(dlsym(RTLD_NEXT, "SDL_UpdateRect"));
    real(surface, x, y, w, h);
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (frames++ == 0) {
        first_frame = now;
        allocations_at_first_frame = allocations;
    }
    last_frame = now;
    allocations_at_last_frame = allocations;
}

__attribute__((destructor)) static void report()
{
    const char *path = std::getenv("FRAME_COUNT_FILE");
    if (path == nullptr || frames < 2)
        return;
    const double seconds = double(last_frame.tv_sec - first_frame.tv_sec) +
                           double(last_frame.tv_nsec - first_frame.tv_nsec) * 1e-9;
    if (std::FILE *file = std::fopen(path, "a")) {
        // Frames counted between the first and the last presentation.
        std::fprintf(file, "%ld %.6f %ld\n", frames - 1, seconds,
                     allocations_at_last_frame - allocations_at_first_frame);
        std::fclose(file);
    }
}
