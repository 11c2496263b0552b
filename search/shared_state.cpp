#include "search/shared_state.h"

#include <mutex>

std::atomic<int> current_page = 0;

namespace {

struct SelectedLink {
  std::mutex guard;
  Text link;
};

// Workers may still be running while the program ends, so the link is never destroyed.
SelectedLink& selected_link() {
  static SelectedLink& link = *new SelectedLink;
  return link;
}

}  // namespace

void store_selected_link(const Text& link) {
  SelectedLink& shared = selected_link();
  Text replacement = link;
  std::lock_guard lock(shared.guard);
  shared.link.swap(replacement);
}

Text selected_link_copy() {
  SelectedLink& shared = selected_link();
  std::lock_guard lock(shared.guard);
  return shared.link;
}

void release_shared_state() {
  SelectedLink& shared = selected_link();
  Text released;
  std::lock_guard lock(shared.guard);
  shared.link.swap(released);
}
