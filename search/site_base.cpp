#include "search/site_base.h"

// A program that defines search_site_base itself takes its own; tests do, to point the search
// routines at a site they start on a free port.
[[gnu::weak]] const Text& search_site_base() {
  static const Text base = SEARCH_SITE_BASE;
  return base;
}
