#include "platform/url_opener.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "text/gbk_literal.h"

namespace {

std::vector<std::string> launched;
void record_launch(const std::string& utf8_text) {
  launched.push_back(utf8_text);
}

TEST(OpenUrl, HandsTheTextOverAsUtf8AndOtherwiseUnchanged) {
  struct Case {
    Text text;
    std::string handed_over;
  };
  const Case cases[] = {
      {"magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567&dn=演示资源"_gbk,
       "magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567&dn=演示资源"},
      {"velsor.example.com", "velsor.example.com"},
      // Nothing is escaped or re-encoded, spaces and escapes included.
      {"a b%20c \"$(x)\" 'q'"_gbk, "a b%20c \"$(x)\" 'q'"},
      {"", ""},
      {Text("ab\0cd", 5), "ab"},
  };
  UrlLauncher saved = url_launcher;
  url_launcher = record_launch;
  for (const Case& one : cases) {
    launched.clear();
    open_url(one.text);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], one.handed_over);
  }
  url_launcher = saved;
}

struct FakeOpenerDirectory : testing::Test {
  std::filesystem::path directory;
  std::string saved_path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";

  void SetUp() override {
    char pattern[] = "/tmp/url_opener_test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory = pattern;
    setenv("PATH", directory.c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", saved_path.c_str(), 1);
    std::filesystem::remove_all(directory);
  }
  // An opener that writes down its arguments, then stays busy a while before it says it is done.
  void write_opener() {
    std::filesystem::path opener = directory / "xdg-open";
    std::ofstream(opener) << "#!/bin/sh\n"
                          << "printf '%s\\n' \"$#\" \"$1\" > '"
                          << (directory / "arguments.tmp").string() << "'\n/bin/mv '"
                          << (directory / "arguments.tmp").string() << "' '"
                          << (directory / "arguments").string() << "'\n/bin/sleep 3\n"
                          << "/bin/touch '" << (directory / "done").string() << "'\n";
    chmod(opener.c_str(), 0755);
  }
  std::string read(const std::string& name) {
    std::ifstream file(directory / name);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
};

TEST_F(FakeOpenerDirectory, StartsTheOpenerDetachedWithOneArgumentAndNoShell) {
  write_opener();
  std::string argument = "magnet:?xt=urn:btih:ab&dn=x y;touch " +
                         (directory / "injected").string() + " $(touch " +
                         (directory / "injected2").string() + ") 演示";
  launch_desktop_opener(argument);
  // Returned without waiting for the opener to finish.
  EXPECT_FALSE(std::filesystem::exists(directory / "done"));
  // The opener is not a child of ours, so it can never be left as a zombie.
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  for (int attempt = 0; attempt < 200 && !std::filesystem::exists(directory / "arguments");
       ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  EXPECT_EQ(read("arguments"), "1\n" + argument + "\n");
  EXPECT_FALSE(std::filesystem::exists(directory / "injected"));
  EXPECT_FALSE(std::filesystem::exists(directory / "injected2"));
}

TEST_F(FakeOpenerDirectory, AMissingOpenerIsNotReported) {
  launch_desktop_opener("magnet:?xt=urn:btih:ab");
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

}  // namespace
