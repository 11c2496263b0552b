#pragma once
// The operations on the main window's controls, by control name (a GBK Text such as "编辑框1").
//
// Any thread may call them. On the window's thread they act at once; from another thread each one
// is carried to the window's thread and has taken effect, in the order issued, before it returns.
// Before the window exists and after it has closed they return at once without effect: reads
// answer empty text, -1 or 0. A name that is not a control of the window, or a control of another
// kind, has no effect either.

#include "text/types.h"

// The text of an edit box, label or push button.
Text control_text(const Text& control);
void set_control_text(const Text& control, const Text& text);

// Colour as red + 256 * green + 65536 * blue, each component from 0 to 255.
void set_control_text_colour(const Text& control, int colour);

// List view rows and cells; rows and columns count from 0.
void delete_all_rows(const Text& list);
// Adds an empty row at the end and answers its index.
int add_row(const Text& list);
void set_cell_text(const Text& list, int row, int column, const Text& text);
Text cell_text(const Text& list, int row, int column);
// The first selected row, or -1 when no row is selected.
int selected_row(const Text& list);

// On the window's thread: waits the given time while the window's events keep being dispatched,
// so handlers may run inside the wait; it ends early when the window closes. On another thread it
// only sleeps.
void wait_dispatching_events(int milliseconds);
