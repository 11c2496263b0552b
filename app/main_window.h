#pragma once
// The main window: its controls, their places, texts, fonts and colours, and its event handlers.

// Creates and shows the main window; its created event fires once every control exists.
void create_main_window();
