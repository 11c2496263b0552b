#pragma once

// The program's entry: registers the exit routine, opens the main window and runs its message
// loop; answers 0 once the window has closed.
int start_up();
