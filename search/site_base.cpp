#include "search/site_base.h"

const Text& search_site_base() {
  static const Text base = SEARCH_SITE_BASE;
  return base;
}
