#pragma once
// The program's two pieces of shared state. The window's thread and the workers both touch them.

#include <atomic>

#include "text/types.h"

// The number of the result page last asked for; 0 at start.
extern std::atomic<int> current_page;

// The link of the row last double-clicked; empty at start. A new link replaces the old one; a
// reader gets a copy of its own, taken whole, never a link half replaced.
void store_selected_link(const Text& link);
Text selected_link_copy();

// The exit routine: releases the last link.
void release_shared_state();
