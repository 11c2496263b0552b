#include "platform/url_opener.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/code_page.h"

UrlLauncher url_launcher = launch_desktop_opener;

namespace {

const char opener_name[] = "xdg-open";

std::string gbk_to_utf8(const Text& text) {
  // A Text ends at its first NUL.
  std::string_view gbk(text.c_str());
  if (gbk.empty()) return "";
  int gbk_size = static_cast<int>(gbk.size());
  int wide_size = MultiByteToWideChar(CP_GBK, 0, gbk.data(), gbk_size, nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(wide_size), u'\0');
  MultiByteToWideChar(CP_GBK, 0, gbk.data(), gbk_size, wide.data(), wide_size);
  int utf8_size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size, nullptr, 0);
  std::string utf8(static_cast<std::size_t>(utf8_size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size, utf8.data(), utf8_size);
  return utf8;
}

// The opener's path is found before forking: between fork and exec only async-signal-safe
// calls are allowed, and a search of PATH is not one of them.
std::string opener_path() {
  const char* path = std::getenv("PATH");
  std::string_view directories = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    std::size_t colon = directories.find(':');
    std::string_view directory = directories.substr(0, colon);
    if (directory.empty()) directory = ".";
    std::string candidate;
    candidate.append(directory).append("/").append(opener_name);
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string_view::npos) return "";
    directories.remove_prefix(colon + 1);
  }
}

}  // namespace

void open_url(const Text& text) {
  url_launcher(gbk_to_utf8(text));
}

void launch_desktop_opener(const std::string& utf8_text) {
  std::string path = opener_path();
  if (path.empty()) return;
  std::vector<char*> arguments = {const_cast<char*>(opener_name),
                                  const_cast<char*>(utf8_text.c_str()), nullptr};
  // The opener is started from a short-lived middle process, so that it is adopted by the
  // system at once and never lingers as a zombie child of ours.
  pid_t middle = fork();
  if (middle < 0) return;
  if (middle == 0) {
    setsid();
    pid_t opener = fork();
    if (opener == 0) {
      execv(path.c_str(), arguments.data());
      _exit(127);
    }
    _exit(0);
  }
  while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
  }
}
