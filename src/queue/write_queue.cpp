#include "queue/write_queue.hpp"

#include <pthread.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

namespace borvane::queue {

using domain::DomainError;

namespace {

// The receiving side of a one-slot reply channel: holds the result once it is
// sent, or is closed empty when the sending side goes away without sending.
struct ReplySlot {
  std::mutex mutex;
  std::condition_variable ready;
  std::optional<JobResult> result;
  bool closed = false;
};

// The sending side of a reply channel. Destroying it without sending closes
// the channel, so a caller never waits for a job that will not answer.
class ReplySender {
 public:
  explicit ReplySender(std::shared_ptr<ReplySlot> slot) : slot_(std::move(slot)) {}
  ReplySender(ReplySender&&) noexcept = default;
  ReplySender& operator=(ReplySender&&) = delete;
  ~ReplySender() { finish(std::nullopt); }

  void send(JobResult result) { finish(std::move(result)); }

 private:
  void finish(std::optional<JobResult> result) {
    if (!slot_) return;
    std::shared_ptr<ReplySlot> slot = std::move(slot_);
    {
      std::lock_guard lock(slot->mutex);
      slot->result = std::move(result);
      slot->closed = true;
    }
    slot->ready.notify_one();
  }

  std::shared_ptr<ReplySlot> slot_;
};

struct Job {
  Work work;
  ReplySender reply;
};

// Waits until the job's reply channel has a result or is closed without one.
JobResult wait_for_reply(ReplySlot& slot) {
  std::unique_lock lock(slot.mutex);
  slot.ready.wait(lock, [&] { return slot.closed; });
  if (!slot.result) return DomainError::other("write queue worker died");
  return std::move(*slot.result);
}

}  // namespace

// The job channel: bounded, many senders (the queue's submit calls), one
// receiver (the worker). Shared by the queue and the worker, so either may go
// away first. Jobs are boxed so that taking one out of the deque leaves
// nothing behind that would be destroyed under the lock.
struct WriteQueue::Channel {
  std::mutex mutex;
  std::condition_variable job_ready;
  std::condition_variable slot_free;
  std::deque<std::unique_ptr<Job>> jobs;
  bool sender_dropped = false;
  bool receiver_gone = false;

  // Hands the job over, waiting while the channel is full. Leaves `job` with
  // the caller and returns false when the worker has ended.
  bool send(std::unique_ptr<Job>& job) {
    std::unique_lock lock(mutex);
    slot_free.wait(lock, [&] { return receiver_gone || jobs.size() < kJobChannelCapacity; });
    if (receiver_gone) return false;
    jobs.push_back(std::move(job));
    lock.unlock();
    job_ready.notify_one();
    return true;
  }

  // The next job in handover order; null once the sender is dropped and every
  // waiting job has been taken.
  std::unique_ptr<Job> receive() {
    std::unique_lock lock(mutex);
    job_ready.wait(lock, [&] { return sender_dropped || !jobs.empty(); });
    if (jobs.empty()) return nullptr;
    std::unique_ptr<Job> job = std::move(jobs.front());
    jobs.pop_front();
    lock.unlock();
    slot_free.notify_one();
    return job;
  }

  // Marks the worker gone and returns the jobs still waiting. The caller
  // destroys them outside the lock; that closes their reply channels.
  std::deque<std::unique_ptr<Job>> close_receiver() {
    std::deque<std::unique_ptr<Job>> discarded;
    {
      std::lock_guard lock(mutex);
      receiver_gone = true;
      discarded.swap(jobs);
    }
    slot_free.notify_all();
    return discarded;
  }

  void close_sender() {
    {
      std::lock_guard lock(mutex);
      sender_dropped = true;
    }
    job_ready.notify_one();
  }

  std::size_t waiting() {
    std::lock_guard lock(mutex);
    return jobs.size();
  }
};

namespace {

// Linux keeps at most 15 bytes of a thread name (16 with the terminator).
void name_this_thread() {
  const std::string name = std::string(kWorkerName).substr(0, 15);
  pthread_setname_np(pthread_self(), name.c_str());
}

// Runs the work; nothing when it ends abnormally (an escaping exception).
std::optional<JobResult> run_work(Work& work) {
  try {
    return work();
  } catch (...) {
    return std::nullopt;
  }
}

void run_worker(std::shared_ptr<WriteQueue::Channel> channel) {
  name_this_thread();
  while (std::unique_ptr<Job> job = channel->receive()) {
    std::optional<JobResult> result = run_work(job->work);
    if (!result) {
      // Close the channel before this job's caller learns of the failure, so
      // that any submit it makes next is refused at once.
      channel->close_receiver().clear();
      return;  // dropping `job` closes its reply channel: "worker died"
    }
    job->reply.send(std::move(*result));
    // `job` (and everything its work owns) is destroyed here, outside every
    // lock: the work may hold the last reference to this very queue.
  }
}

}  // namespace

WriteQueue::WriteQueue(std::shared_ptr<Channel> channel) : channel_(std::move(channel)) {}

std::shared_ptr<WriteQueue> WriteQueue::start() {
  auto channel = std::make_shared<Channel>();
  try {
    // Detached at once: the worker ends by itself once the channel is closed
    // and drained, and the queue may be dropped on the worker thread itself.
    std::thread(run_worker, channel).detach();
  } catch (const std::system_error& error) {
    throw std::system_error(error.code(), "spawn write queue worker");
  }
  return std::shared_ptr<WriteQueue>(new WriteQueue(std::move(channel)));
}

JobResult WriteQueue::submit(Work work) {
  auto slot = std::make_shared<ReplySlot>();
  auto job = std::make_unique<Job>(Job{std::move(work), ReplySender(slot)});
  // Our own reference: once the job is handed over it may run and release
  // the last reference to this queue before send() has returned.
  std::shared_ptr<Channel> channel = channel_;
  if (!channel->send(job)) return DomainError::other("write queue closed");
  return wait_for_reply(*slot);
}

WriteQueue::~WriteQueue() { channel_->close_sender(); }

std::size_t WriteQueue::waiting_jobs() const { return channel_->waiting(); }

}  // namespace borvane::queue
