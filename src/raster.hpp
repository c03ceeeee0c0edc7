// The drawing surface: the one SDL screen surface, the picture's fixed size
// and colours, and put_pixel, the single operation through which everything
// on screen is drawn. main.cpp creates the surface; field.cpp draws on it.
#pragma once

#include <SDL.h>

// The window: 320 by 200 pixels, asked for at three bytes a pixel (the
// browser gives four; put_pixel follows the surface's format).
constexpr int SCREEN_WIDTH = 320;
constexpr int SCREEN_HEIGHT = 200;
constexpr int SCREEN_BPP = 24;

struct Colour {
    int red, green, blue;
};

// The background is black: main() clears to the surface's own black.
constexpr Colour MARKER_COLOUR{255, 255, 255};
constexpr Colour LINE_COLOUR{255, 255, 0};

// Owned by SDL; set once by main() and valid until SDL_Quit.
extern SDL_Surface *screen;

// Writes one pixel straight into screen's memory; anything outside the
// 320 by 200 picture is silently dropped. The caller holds the surface lock
// whenever SDL_MUSTLOCK(screen) says so.
void put_pixel(int x, int y, int red, int green, int blue);
