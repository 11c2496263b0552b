#include "platform/threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

std::promise<void> release;
std::promise<std::thread::id> finished;

void wait_for_release_then_finish() {
  release.get_future().wait();
  finished.set_value(std::this_thread::get_id());
}

TEST(StartDetachedThread, RunsTheRoutineOnAnotherThreadWithoutWaitingForIt) {
  std::future<std::thread::id> finished_on = finished.get_future();
  // The routine cannot end before it is released, so the call must come back first.
  start_detached_thread(wait_for_release_then_finish);
  EXPECT_EQ(finished_on.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
  release.set_value();
  ASSERT_EQ(finished_on.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_NE(finished_on.get(), std::this_thread::get_id());
}

}  // namespace
