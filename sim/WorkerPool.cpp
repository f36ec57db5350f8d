#include "sim/WorkerPool.h"

#include <algorithm>

namespace plashbox {

namespace {

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#else
  std::this_thread::yield();
#endif
}

// A pause takes some 27 ns on this project's machines. A worker between jobs spins about thirty
// microseconds before it sleeps: long enough to catch the next step of the same tick, which
// follows within microseconds, short enough that a window ticking every 16 ms does not keep a
// core busy. The caller, waiting for parts already running, spins about a tenth of a
// millisecond, the time a worker's part of a 401 x 401 step takes.
constexpr int IdleSpinRounds = 1000;
constexpr int FinishSpinRounds = 4000;

}  // namespace

TWorkerPool::~TWorkerPool() {
  {
    std::lock_guard<std::mutex> guard(Lock);
    Stopping.store(true, std::memory_order_relaxed);
    Generation.fetch_add(1, std::memory_order_release);
  }
  Wake.notify_all();
  for (std::thread& t : Threads) t.join();
}

void TWorkerPool::Reserve(int32_t Count) {
  Count = std::min(Count, MaxThreads);
  std::lock_guard<std::mutex> run(RunLock);
  while (Workers() < Count) {
    const int32_t index = Workers() + 1;  // part 0 is the caller's
    Threads.emplace_back([this, index] { WorkerLoop(index); });
  }
}

void TWorkerPool::RunParts(int32_t First) {
  for (int32_t part = First; part < CurrentParts; part += CurrentStride) CurrentJob(CurrentContext, part);
}

void TWorkerPool::Run(int32_t Parts, void (*Job)(void*, int32_t), void* Context) {
  std::lock_guard<std::mutex> run(RunLock);
  const int32_t helpers = std::min(Parts - 1, Workers());
  if (helpers <= 0 || Workers() == 0) {
    for (int32_t part = 0; part < Parts; ++part) Job(Context, part);
    return;
  }
  CurrentJob = Job;
  CurrentContext = Context;
  CurrentParts = Parts;
  CurrentStride = helpers + 1;
  // Every worker answers every job, those beyond its helpers at once: the job's fields then
  // stay put until the last worker has read them.
  Pending.store(Workers(), std::memory_order_relaxed);
  {
    std::lock_guard<std::mutex> guard(Lock);
    Generation.fetch_add(1, std::memory_order_release);
  }
  Wake.notify_all();
  RunParts(0);
  for (int i = 0; i < FinishSpinRounds && Pending.load(std::memory_order_acquire) != 0; ++i) Pause();
  if (Pending.load(std::memory_order_acquire) != 0) {
    std::unique_lock<std::mutex> guard(Lock);
    Done.wait(guard, [this] { return Pending.load(std::memory_order_acquire) == 0; });
  }
}

void TWorkerPool::WorkerLoop(int32_t Index) {
  uint64_t seen = 0;
  for (;;) {
    uint64_t now = Generation.load(std::memory_order_acquire);
    for (int i = 0; i < IdleSpinRounds && now == seen; ++i) {
      Pause();
      now = Generation.load(std::memory_order_acquire);
    }
    if (now == seen) {
      std::unique_lock<std::mutex> guard(Lock);
      Wake.wait(guard, [&] { return Generation.load(std::memory_order_acquire) != seen; });
      now = Generation.load(std::memory_order_acquire);
    }
    seen = now;
    if (Stopping.load(std::memory_order_relaxed)) return;
    if (Index < CurrentStride) RunParts(Index);
    if (Pending.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      std::lock_guard<std::mutex> guard(Lock);
      Done.notify_one();
    }
  }
}

TWorkerPool& SharedWorkerPool() {
  static TWorkerPool pool;
  return pool;
}

int32_t HardwareThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int32_t>(std::min<unsigned>(n, MaxThreads));
}

}  // namespace plashbox
