#pragma once

#include "platform/CanvasPainter.h"

// Plain values of the mouse and keyboard messages the map view's tools react to. The widget
// translates the toolkit's events into these, so the tools never see a widget type and tests drive
// them without a window.

// Mouse buttons as bits; `buttons` of an event holds the bits still down after it.
enum MouseButton : unsigned { kNoButton = 0, kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

struct PointerEvent {
    ClientPoint client;           // client pixels, y down
    unsigned button = kNoButton;  // the button pressed or released; none for a move
    unsigned buttons = kNoButton; // the buttons held after the event
    bool shift = false;
    bool control = false;
    long long ms = 0; // a monotonic millisecond clock

    bool Held(unsigned which) const { return (buttons & which) != 0; }
};

// The keys with a meaning for the tools; every other key arrives as Other.
enum class ToolKey {
    Other,
    F,
    Space,
    Left,
    Right,
    Up,
    Down,
    Delete,
    Backspace,
    Home,
    End,
    Enter,
    Escape,
    KeypadPlus,
    KeypadMinus,
    F9,
};

// The three tools, numbered as the settings and menus of the program number them.
enum class ViewTool { Pan = 0, Edit = 1, Text = 2 };

// Cursors the tools ask for; the widget owns the pictures.
enum class CursorShape { Arrow, Cross, SizeAll, Pan, IBeam, Forbidden };
