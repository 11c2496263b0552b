#pragma once
// The system's URL opener: hands a text to the desktop's opener (xdg-open), which opens it with
// the program registered for it. The opener runs detached and its answer is not consulted.

#include <string>

#include "text/types.h"

// Converts `text` from GBK to UTF-8 and hands it, unchanged otherwise, to the launcher.
void open_url(const Text& text);

// Starts the desktop's opener with `utf8_text` as its one argument, without a shell, and returns
// without waiting for it. Tests put a recorder in its place.
using UrlLauncher = void (*)(const std::string& utf8_text);
extern UrlLauncher url_launcher;

void launch_desktop_opener(const std::string& utf8_text);
