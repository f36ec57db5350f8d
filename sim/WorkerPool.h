// sim/: the water scene with its step and picture, and the collection of scenes.
// A few threads kept for the whole run, handed the strips of one sweep at a time. A step of a
// 401 x 401 tank takes well under a tenth of a millisecond on two cores, so starting threads
// per step would cost more than it saves: the workers wait between jobs, spinning briefly (the
// next step usually follows at once) and then asleep on a condition variable.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace plashbox {

class TWorkerPool {
 public:
  TWorkerPool() = default;
  ~TWorkerPool();
  TWorkerPool(const TWorkerPool&) = delete;
  TWorkerPool& operator=(const TWorkerPool&) = delete;

  // Starts workers until there are at least Count; they are never stopped before the pool.
  void Reserve(int32_t Count);
  int32_t Workers() const { return static_cast<int32_t>(Threads.size()); }

  // Calls Job(i) for every i in 0 .. Parts-1, part 0 on the calling thread, the others on the
  // workers, and returns when all are done. More parts than workers + 1 are shared out in turn.
  template <class F>
  void Run(int32_t Parts, F& Job) {
    Run(Parts, [](void* Context, int32_t Part) { (*static_cast<F*>(Context))(Part); }, &Job);
  }
  void Run(int32_t Parts, void (*Job)(void*, int32_t), void* Context);

 private:
  void WorkerLoop(int32_t Index);
  void RunParts(int32_t First);

  std::vector<std::thread> Threads;
  std::mutex RunLock;  // one job at a time, whoever calls
  std::mutex Lock;
  std::condition_variable Wake, Done;
  std::atomic<uint64_t> Generation{0};
  std::atomic<int32_t> Pending{0};
  std::atomic<bool> Stopping{false};
  void (*CurrentJob)(void*, int32_t) = nullptr;
  void* CurrentContext = nullptr;
  int32_t CurrentParts = 0;
  int32_t CurrentStride = 1;  // threads taking part: part i goes to thread i mod stride
};

// The pool every water shares.
TWorkerPool& SharedWorkerPool();

// The threads a sweep takes when nobody says otherwise: one per core, 1 when unknown.
int32_t HardwareThreads();
inline constexpr int32_t MaxThreads = 256;

}  // namespace plashbox
