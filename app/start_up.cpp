#include "app/start_up.h"

#include "app/main_window.h"
#include "platform/gui_window.h"
#include "search/shared_state.h"

int start_up() {
  register_exit_routine(release_shared_state);
  create_main_window();
  run_message_loop();
  return 0;
}
