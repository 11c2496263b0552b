#include "app/start_up.h"

int main() {
  return start_up();
}
