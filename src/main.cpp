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
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

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

// A driver the user named in SDL_VIDEODRIVER is used, whatever it is.
static bool driver_named()
{
    const char *requested = std::getenv("SDL_VIDEODRIVER");
    return requested != nullptr && requested[0] != '\0';
}

// With no display, SDL quietly falls back to a driver that opens no window
// and reports success: SDL 1.2 on top of SDL2 to an invisible 'offscreen'
// or 'dummy' one, the classic SDL 1.2 to one that draws the picture as text
// in the terminal. Unless the user named it, that is a failed start.
static bool fell_back_to_no_display()
{
    char name[32];
    if (SDL_VideoDriverName(name, sizeof name) == nullptr)
        return false;
    static const char *const fallbacks[] = {"offscreen", "dummy", "caca", "aalib"};
    for (const char *fallback : fallbacks)
        if (std::strcmp(name, fallback) == 0)
            return true;
    return false;
}

// The text-mode drivers write their terminal set-up to standard output in
// SDL_Init and their tear-down in SDL_Quit, but the program's standard output
// holds its one line at most: around those calls it points at /dev/null.
// Returns the real standard output, to give back; -1 where there is no
// /dev/null (nor a text-mode driver: Windows).
static int hide_stdout()
{
#ifdef __EMSCRIPTEN__
    // The browser has no text-mode driver, and its build no file system.
    return -1;
#endif
    std::fflush(stdout);
    const int null_output = open("/dev/null", O_WRONLY);
    if (null_output < 0)
        return -1;
    const int saved = dup(STDOUT_FILENO);
    dup2(null_output, STDOUT_FILENO);
    close(null_output);
    return saved;
}

static void restore_stdout(int saved)
{
    if (saved < 0)
        return;
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
}

// Set just before each of the program's own ways out. When the display goes
// away, the display library (Xlib) ends the process itself, from inside an
// SDL call; shutting SDL down then would talk to the dead connection, and
// SDL2 waits on it for ever at full speed. So the exit-time handler shuts
// SDL down only when the program chose to leave.
static bool leaving_by_choice = false;

static void quit_sdl_when_leaving_by_choice()
{
    if (leaving_by_choice)
        SDL_Quit();
}

[[noreturn]] static void leave(int status)
{
    leaving_by_choice = true;
    std::exit(status);
}

int main(int argc, char *argv[])
{
    (void)argc; // the program has no options
    (void)argv;

    // ---- Start-up ------------------------------------------------------
    // Installed first, so that every leave() below still shuts SDL down.
    std::atexit(quit_sdl_when_leaving_by_choice);
#ifdef SIGPIPE
    // A write to a display that has gone away would end the process by
    // SIGPIPE, before Xlib can notice and end it with status 1. (Windows
    // has no such signal.)
    std::signal(SIGPIPE, SIG_IGN);
#endif

    const bool named = driver_named();
    int real_stdout = named ? -1 : hide_stdout();
    const int init_result = SDL_Init(SDL_INIT_VIDEO);
    restore_stdout(real_stdout);
    if (init_result < 0) {
        std::printf("Couldn't initialize SDL: %s\n", SDL_GetError());
        leave(1);
    }
    if (!named && fell_back_to_no_display()) {
        real_stdout = hide_stdout();
        SDL_Quit();
        restore_stdout(real_stdout);
        std::printf("Couldn't initialize SDL: no display available\n");
        leave(1);
    }
    SDL_EnableKeyRepeat(0, 0);

    screen = SDL_SetVideoMode(SCREEN_WIDTH, SCREEN_HEIGHT, SCREEN_BPP, SDL_SWSURFACE);
    if (screen == nullptr) {
        std::printf("Couldn't set video mode: %s\n", SDL_GetError());
        SDL_Quit();
        leave(1);
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
            leave(1);
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
    leaving_by_choice = true;
    return 0;
}
