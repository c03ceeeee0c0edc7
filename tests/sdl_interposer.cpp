// Preloaded into the real fieldline (LD_PRELOAD), this stands between it and
// SDL to walk the exit paths no driver here takes. It logs each call below,
// in order, to $INTERPOSE_LOG, and when asked makes SDL_Init or
// SDL_SetVideoMode fail with a given text, makes the screen one that must be
// locked, or makes the lock fail. A suffix in the log marks a call made at
// the wrong moment (an update while locked, a lock after drawing). Calls that
// SDL makes to itself (the classic SDL locks its own surfaces) pass through.
#include <cstdio>
#include <cstdlib>

#include <SDL.h>
#include <dlfcn.h>

namespace
{
// The flag that makes SDL_MUSTLOCK hold; SDL itself never sets it here.
constexpr Uint32 MUST_LOCK_FLAG = SDL_ASYNCBLIT;
SDL_Surface *screen_surface = nullptr;
int lock_depth = 0;

template <typename F> F real(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// True when the code at `caller` lies in the same library as `function`.
bool same_library(void *caller, void *function)
{
    Dl_info a, b;
    return dladdr(caller, &a) != 0 && dladdr(function, &b) != 0 && a.dli_fbase == b.dli_fbase;
}
#define FROM_SDL(function)                                                                         \
    same_library(__builtin_return_address(0), reinterpret_cast<void *>(function))

const char *asked(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

void log_call(const char *name, const char *suffix = "")
{
    if (const char *path = asked("INTERPOSE_LOG"))
        if (std::FILE *log = std::fopen(path, "a")) {
            std::fprintf(log, "%s%s\n", name, suffix);
            std::fclose(log);
        }
}

// Whether the frame's drawing has reached the surface: the first marker lit.
bool drawn(SDL_Surface *s)
{
    const Uint8 *pixel =
        static_cast<const Uint8 *>(s->pixels) + 100 * s->pitch + 240 * s->format->BytesPerPixel;
    return pixel[0] != 0 || pixel[1] != 0 || pixel[2] != 0;
}
} // namespace

extern "C" {
int SDL_Init(Uint32 flags)
{
    log_call("SDL_Init");
    if (const char *text = asked("INTERPOSE_INIT_ERROR")) {
        SDL_SetError("%s", text);
        return -1;
    }
    return real<int (*)(Uint32)>("SDL_Init")(flags);
}

SDL_Surface *SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags)
{
    log_call("SDL_SetVideoMode");
    if (const char *text = asked("INTERPOSE_VIDEO_MODE_ERROR")) {
        SDL_SetError("%s", text);
        return nullptr;
    }
    using F = SDL_Surface *(*)(int, int, int, Uint32);
    screen_surface = real<F>("SDL_SetVideoMode")(width, height, bpp, flags);
    if (screen_surface != nullptr && asked("INTERPOSE_MUST_LOCK"))
        screen_surface->flags |= MUST_LOCK_FLAG;
    return screen_surface;
}

int SDL_LockSurface(SDL_Surface *surface)
{
    static const auto lock = real<int (*)(SDL_Surface *)>("SDL_LockSurface");
    if (FROM_SDL(lock))
        return lock(surface);
    log_call("SDL_LockSurface", drawn(surface) ? "-after-drawing" : "");
    if (asked("INTERPOSE_LOCK_FAILS"))
        return -1;
    ++lock_depth;
    return lock(surface);
}

void SDL_UnlockSurface(SDL_Surface *surface)
{
    static const auto unlock = real<void (*)(SDL_Surface *)>("SDL_UnlockSurface");
    if (FROM_SDL(unlock))
        return unlock(surface);
    log_call("SDL_UnlockSurface", drawn(surface) ? "" : "-before-drawing");
    --lock_depth;
    unlock(surface);
}

void SDL_UpdateRect(SDL_Surface *surface, Sint32 x, Sint32 y, Uint32 w, Uint32 h)
{
    static const auto update =
        real<void (*)(SDL_Surface *, Sint32, Sint32, Uint32, Uint32)>("SDL_UpdateRect");
    if (FROM_SDL(update))
        return update(surface, x, y, w, h);
    log_call("SDL_UpdateRect", lock_depth > 0 ? "-while-locked" : "");
    // SDL's own present sees the surface as SDL made it.
    const Uint32 flags = surface->flags;
    if (surface == screen_surface)
        surface->flags &= ~MUST_LOCK_FLAG;
    update(surface, x, y, w, h);
    surface->flags = flags;
}

void SDL_Quit()
{
    log_call("SDL_Quit");
    real<void (*)()>("SDL_Quit")();
}
}
