#pragma once
// The program's two pieces of shared state, plain variables without a lock.

#include "text/types.h"

// The number of the result page last asked for; 0 at start.
extern int current_page;
// The link of the row last double-clicked; empty at start.
extern Text selected_link;

// The exit routine: releases the last link.
void release_shared_state();
