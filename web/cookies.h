#pragma once
// Folding the cookies one response set into the cookie text carried from request to request.
// A cookie text is items separated by ";"; an item is normally name=value. Names compare as
// exact bytes, letter case included. Spaces are the ASCII and the GBK full-width space.

#include "text/types.h"

// Both texts lose every space and keep the stripped form. The merged text, also left in
// `cookies`, lists the new items first, in their order, then each old item whose name no new
// item has (only the first old item of a name), joined by "; "; every item ending in
// "=deleted" is left out and an item repeated exactly remains once.
Text merge_cookies(Text& cookies, Text& new_cookies);

// The bytes before the first "=", or the whole item, trimmed of spaces.
Text cookie_name(const Text& item);

bool has_cookie_named(const TextArray& items, const Text& name);

// The items of `text` split at `separator`, each kept at its first occurrence only, joined again.
Text unique_items(const Text& text, const Text& separator);

// The 1-based position of the first item equal to `item`; -1 when there is none.
int item_index(const TextArray& items, const Text& item);
