#pragma once
// Cutting a web address into the host, the port and the path that a request needs. Addresses
// come as people and pages write them: with or without "http://" or "https://", in any letter
// case, with or without a port, a path or a query. Every input has a defined result.

#include <optional>

#include "text/types.h"

// The host of `address`, lower case.
// Ordinary mode (no `level_count`): the text behind the first "http://" (or behind a leading
// "https://") up to the next "/"; `main_domain_only` keeps its last two labels.
// Label-counting mode (`level_count` given, whatever its value): the schemes are removed, the
// path dropped, and the host keeps its last `level_count` + 2 labels, one fewer with
// `main_domain_only`; a negative count counts as 0.
// Without `keep_port` everything from the first ":" on is dropped.
Text url_host(const Text& address, bool main_domain_only = false, bool keep_port = false,
              std::optional<int> level_count = std::nullopt);

// The number after the last ":" of the host with its port (0 when it has no digits), else 443
// for an address that starts with "https" in any case and 80 for every other.
int url_port(const Text& address);

// The address from the first "/" at or after where its host begins, in its own letter case and
// with its query; "/" when there is none.
Text url_path(const Text& address);
