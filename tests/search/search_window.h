#pragma once
// A window with just the controls the search routines use, under their real names, and no
// handlers: the search routines run against it alone.

void open_search_window();
void close_search_window();
