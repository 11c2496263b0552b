#include "platform/threads.h"

#include <system_error>
#include <thread>

void start_detached_thread(void (*routine)()) {
  try {
    std::thread(routine).detach();
  } catch (const std::system_error&) {
  }
}
