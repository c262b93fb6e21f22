// The write queue: one named worker running jobs in handover order, errors
// passed through, abnormal ends, draining after the queue is dropped, and
// back-pressure at 64 waiting jobs.
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "queue/write_queue.hpp"

namespace borvane::queue {

// Sees how many jobs wait in a queue's channel.
struct WriteQueueProbe {
  static std::size_t waiting(const WriteQueue& queue) { return queue.waiting_jobs(); }
};

}  // namespace borvane::queue

using borvane::domain::DomainError;
using borvane::queue::JobResult;
using borvane::queue::kJobChannelCapacity;
using borvane::queue::Work;
using borvane::queue::WriteQueue;
using borvane::queue::WriteQueueProbe;

namespace {

// A job that holds the worker until it is released, so that later jobs pile
// up in the channel.
class Gate {
 public:
  Work work(bool fail = false) {
    return [this, fail]() -> JobResult {
      entered_.set_value();
      release_.wait();
      if (fail) throw std::runtime_error("job broke");
      return std::string("gate");
    };
  }
  void wait_entered() { entered_future_.wait(); }
  void open() { release_promise_.set_value(); }

 private:
  std::promise<void> entered_;
  std::future<void> entered_future_ = entered_.get_future();
  std::promise<void> release_promise_;
  std::shared_future<void> release_ = release_promise_.get_future().share();
};

std::future<JobResult> submit_async(WriteQueue* queue, Work work) {
  return std::async(std::launch::async, [queue, work = std::move(work)]() mutable {
    return queue->submit(std::move(work));
  });
}

// Starts the gate job on another thread and waits until the worker runs it.
std::future<JobResult> hold_worker(WriteQueue* queue, Gate& gate, bool fail = false) {
  auto result = submit_async(queue, gate.work(fail));
  gate.wait_entered();
  return result;
}

void wait_until_waiting(const WriteQueue& queue, std::size_t count) {
  while (WriteQueueProbe::waiting(queue) < count) std::this_thread::yield();
}

std::string text_of(const JobResult& result) { return result ? result.value() : result.error().display(); }

TEST(WriteQueue, JobsFromSeveralThreadsRunOneAtATimeInHandoverOrder) {
  auto queue = WriteQueue::start();
  Gate gate;
  auto gate_result = hold_worker(queue.get(), gate);

  std::vector<int> log;  // touched only by jobs, i.e. only on the worker
  std::atomic<int> running{0};
  std::vector<std::future<JobResult>> results;
  for (int i = 0; i < 6; ++i) {
    results.push_back(submit_async(queue.get(), [i, &log, &running]() -> JobResult {
      const bool alone = running.fetch_add(1) == 0;
      const std::size_t seen = log.size();  // what the earlier jobs wrote
      log.push_back(i);
      running.fetch_sub(1);
      if (!alone) return DomainError::other("overlap");
      return std::to_string(i) + " saw " + std::to_string(seen);
    }));
    wait_until_waiting(*queue, static_cast<std::size_t>(i) + 1);
  }
  gate.open();

  EXPECT_EQ(text_of(gate_result.get()), "gate");
  for (int i = 0; i < 6; ++i) EXPECT_EQ(text_of(results[i].get()), std::to_string(i) + " saw " + std::to_string(i));
  EXPECT_EQ(log, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST(WriteQueue, ErrorsOfTheWorkPassThroughAndTheWorkerGoesOn) {
  auto queue = WriteQueue::start();
  const DomainError conflict = DomainError::conflict("decision 0001 is accepted");
  auto failed = queue->submit([conflict]() -> JobResult { return conflict; });
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error(), conflict);

  auto next = queue->submit([]() -> JobResult { return std::string("{\"ok\":true}"); });
  ASSERT_TRUE(next);
  EXPECT_EQ(next.value(), "{\"ok\":true}");
}

TEST(WriteQueue, WorkerThreadCarriesTheShortenedName) {
  auto queue = WriteQueue::start();
  auto name = queue->submit([]() -> JobResult {
    char buffer[64] = {};
    if (pthread_getname_np(pthread_self(), buffer, sizeof buffer) != 0) return DomainError::other("no name");
    return std::string(buffer);
  });
  EXPECT_EQ(text_of(name), "borvane-c4-writ");
}

TEST(WriteQueue, AbnormalEndFailsThatJobAndItsFollowersThenTheQueueIsClosed) {
  auto queue = WriteQueue::start();
  Gate gate;
  auto broken = hold_worker(queue.get(), gate, /*fail=*/true);

  std::atomic<int> ran{0};
  auto count_run = [&ran]() -> JobResult {
    ran.fetch_add(1);
    return std::string("ran");
  };
  std::vector<std::future<JobResult>> followers;
  for (int i = 0; i < 3; ++i) followers.push_back(submit_async(queue.get(), count_run));
  wait_until_waiting(*queue, 3);
  gate.open();

  EXPECT_EQ(text_of(broken.get()), "write queue worker died");
  for (auto& follower : followers) EXPECT_EQ(text_of(follower.get()), "write queue worker died");
  for (int i = 0; i < 2; ++i) {
    auto late = queue->submit(count_run);
    ASSERT_FALSE(late);
    EXPECT_EQ(late.error(), DomainError::other("write queue closed"));
  }
  EXPECT_EQ(ran.load(), 0);
}

TEST(WriteQueue, DroppingTheQueueStillRunsTheWaitingJobs) {
  auto queue = WriteQueue::start();
  WriteQueue* raw = queue.get();
  Gate gate;
  auto gate_result = hold_worker(raw, gate);

  std::vector<std::future<JobResult>> results;
  for (int i = 0; i < 4; ++i)
    results.push_back(submit_async(raw, [i]() -> JobResult { return "job " + std::to_string(i); }));
  wait_until_waiting(*queue, 4);
  queue.reset();  // closes the channel while four jobs wait in it
  gate.open();

  EXPECT_EQ(text_of(gate_result.get()), "gate");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(text_of(results[i].get()), "job " + std::to_string(i));
}

TEST(WriteQueue, QueueReleasedByItsOwnJobOnTheWorker) {
  // As when a job holds the last reference to the application state: the
  // queue is destroyed on its own worker thread and must not wait for it.
  auto queue = WriteQueue::start();
  WriteQueue* raw = queue.get();
  std::weak_ptr<WriteQueue> watch = queue;
  auto result = raw->submit([keep = std::move(queue)]() -> JobResult { return std::string("done"); });
  EXPECT_EQ(text_of(result), "done");
  // The reply is sent before the work (and its reference) is destroyed.
  while (!watch.expired()) std::this_thread::yield();
}

TEST(WriteQueue, MoreThanACapacityOfSubmittersAllComplete) {
  auto queue = WriteQueue::start();
  Gate gate;
  auto gate_result = hold_worker(queue.get(), gate);

  std::atomic<std::size_t> most_waiting{0};
  const WriteQueue* observed = queue.get();
  constexpr int kSubmitters = 100;
  std::vector<std::future<JobResult>> results;
  for (int i = 0; i < kSubmitters; ++i)
    results.push_back(submit_async(queue.get(), [i, observed, &most_waiting]() -> JobResult {
      const std::size_t now = WriteQueueProbe::waiting(*observed);
      std::size_t seen = most_waiting.load();
      while (now > seen && !most_waiting.compare_exchange_weak(seen, now)) {
      }
      return std::to_string(i);
    }));
  wait_until_waiting(*queue, kJobChannelCapacity);
  gate.open();

  EXPECT_EQ(text_of(gate_result.get()), "gate");
  for (int i = 0; i < kSubmitters; ++i) EXPECT_EQ(text_of(results[i].get()), std::to_string(i));
  EXPECT_LE(most_waiting.load(), kJobChannelCapacity);
}

}  // namespace
