#include "app/shared_state.h"

int current_page = 0;
Text selected_link;

void release_shared_state() {
  Text().swap(selected_link);
}
