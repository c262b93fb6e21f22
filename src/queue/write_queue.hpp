#pragma once
// Serialises every operation that changes stored state on one worker thread.
#include <functional>
#include <memory>
#include <string>

#include "domain/error.hpp"

namespace borvane::queue {

using JobResult = domain::Result<std::string>;
// The work of one job. It owns everything it uses (it runs on another thread).
using Work = std::function<JobResult()>;

inline constexpr std::size_t kJobChannelCapacity = 64;
// The OS keeps at most 15 bytes of a thread name: the full name is
// "borvane-c4-write-q", the name set on the thread is its first 15 bytes.
inline constexpr const char* kWorkerName = "borvane-c4-write-q";

class WriteQueue {
 public:
  // Creates the job channel and spawns the worker. Throws std::system_error
  // ("spawn write queue worker: ...") when the thread cannot be started.
  static std::shared_ptr<WriteQueue> start();

  // Runs `work` on the worker, after every job submitted before it, and
  // returns its result. Blocks while 64 jobs wait. Errors of the queue
  // itself: Other "write queue closed" / "write queue worker died".
  JobResult submit(Work work);

  // Dropping the queue closes the job channel: the worker still runs the jobs
  // already waiting, then ends by itself (it is never joined).
  ~WriteQueue();

  WriteQueue(const WriteQueue&) = delete;
  WriteQueue& operator=(const WriteQueue&) = delete;

  struct Channel;  // shared between the queue and its worker

 private:
  explicit WriteQueue(std::shared_ptr<Channel> channel);
  // Number of jobs handed over but not yet taken by the worker; lets tests
  // know that their jobs are really waiting before they go on.
  std::size_t waiting_jobs() const;
  friend struct WriteQueueProbe;

  std::shared_ptr<Channel> channel_;
};

}  // namespace borvane::queue
