#pragma once
// Detached worker threads.

// Runs `routine` on a new thread that nobody waits for; it ends when the routine returns. A
// thread that cannot be started is not reported.
void start_detached_thread(void (*routine)());
