// The window tests run in-process without a display: Qt's offscreen platform, chosen before the
// first window creates the application.

#include <cstdlib>

namespace {

const bool offscreen_chosen = [] {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  return true;
}();

}  // namespace

// fontconfig keeps a few blocks for the life of the process that nothing points to at exit.
// Only allocations made inside that library are excused.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
