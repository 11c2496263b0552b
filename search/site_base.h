#pragma once
// The search site's base address: scheme and host, optionally a port, without a trailing slash.
// It is fixed when the program is built (the CMake cache variable SEARCH_SITE_BASE). Every
// address of the site is built from it, and from nowhere else.

#include "text/types.h"

const Text& search_site_base();
