#pragma once
// The GUI toolkit: a main window laid out from plain values, its message loop, and the routines
// run when the program ends. The window's thread is the thread that first creates a window.

#include <vector>

#include "text/types.h"

using EventHandler = void (*)();

enum class ControlKind { label, edit_box, push_button, list_view, timer };

enum class TextAlignment { left, centre };

// A family name as the platform knows it (GBK) and a character height in pixels: the glyph height
// without the font's internal leading. An empty family means the platform's default GUI font.
struct FontChoice {
  Text family;
  int character_height = 0;
  int weight = 400;
  bool underline = false;
};

struct ListColumn {
  Text header;
  int width = 0;
};

// One control. Places are relative to the window's client area. The handler answers the control's
// one event: a label's left button press, a push button's click, a list view's left double-click,
// a timer's tick.
struct ControlLayout {
  ControlKind kind = ControlKind::label;
  Text name;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  Text text;
  FontChoice font;
  int text_colour = 0;  // red + 256 * green + 65536 * blue
  TextAlignment alignment = TextAlignment::left;
  std::vector<ListColumn> columns;
  int period_milliseconds = 0;
  EventHandler on_event = nullptr;
};

// A control at its place with its text; the other properties keep their defaults.
ControlLayout placed_control(ControlKind kind, const Text& name, int left, int top, int width,
                             int height, const Text& text = Text());

// The outer size includes the frame and the title bar; the window opens centred on the screen.
struct WindowLayout {
  Text caption;
  int outer_width = 0;
  int outer_height = 0;
  std::vector<ControlLayout> controls;
  EventHandler on_created = nullptr;
};

// Creates and shows the window, starts its timers, then fires on_created once. A window that is
// still open from an earlier call is closed first.
void create_window(const WindowLayout& window);

// Runs the message loop until the window has been closed (close button, system menu or Esc).
void run_message_loop();

// Runs the routine once when the program ends; registering the same routine again changes nothing.
void register_exit_routine(EventHandler routine);
