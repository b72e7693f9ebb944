#include "app/scan_page/ui_call_queue.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace kestro::app::scan_page {
namespace {

TEST(UiCallQueueTest, AWorkersCallRunsOnTheWindowThreadInOrder) {
  std::atomic<int> wakes{0};
  UiCallQueue queue([&] { ++wakes; });
  const auto windowThread = std::this_thread::get_id();
  std::vector<int> order;
  std::vector<bool> results;
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) {
      results.push_back(queue.Call([&, i] {
        EXPECT_EQ(std::this_thread::get_id(), windowThread);
        order.push_back(i);
      }));
    }
  });
  while (order.size() < 3) queue.RunPending();
  worker.join();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(results, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(wakes, 3);
}

TEST(UiCallQueueTest, CancelReleasesAWaitingWorkerAndRefusesLaterCalls) {
  std::atomic<bool> woken{false};
  UiCallQueue queue([&] { woken = true; });
  bool ran = false;
  bool answer = true;
  std::thread worker([&] { answer = queue.Call([&] { ran = true; }); });
  while (!woken) std::this_thread::yield();
  queue.Cancel();
  worker.join();
  EXPECT_FALSE(answer);
  EXPECT_FALSE(queue.Call([&] { ran = true; }));
  queue.RunPending();
  EXPECT_FALSE(ran);
  EXPECT_TRUE(queue.Cancelled());
}

TEST(UiCallQueueTest, ACallThatThrowsCountsAsNotRun) {
  std::atomic<bool> woken{false};
  UiCallQueue queue([&] { woken = true; });
  bool answer = true;
  std::thread worker([&] { answer = queue.Call([] { throw std::runtime_error("no window"); }); });
  while (!woken) std::this_thread::yield();
  queue.RunPending();
  worker.join();
  EXPECT_FALSE(answer);
}

}  // namespace
}  // namespace kestro::app::scan_page
