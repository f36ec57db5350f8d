// The firing rule of the idle-driven frame timer, without a toolkit: on every idle pass the
// owner asks whether the interval has passed, and gets the lag count back when it has. The Qt
// timer and the headless driver both pace their frames with it.
#pragma once

#include <cstdint>

namespace plashbox {

// A clock counting milliseconds from some fixed moment; differences are taken modulo 2^32,
// so its wrap is harmless.
class iMillisecondClock {
 public:
  virtual ~iMillisecondClock() = default;
  virtual uint32_t Now() = 0;
};

// The monotonic clock of the machine.
class TSteadyMillisecondClock final : public iMillisecondClock {
 public:
  uint32_t Now() override;
};
// One steady clock for the whole process, the default of every timer.
iMillisecondClock& SteadyMillisecondClock();

// A clock that only moves when told to, so frame pacing can be driven step by step.
class TManualClock final : public iMillisecondClock {
 public:
  explicit TManualClock(uint32_t Start = 0) : Time(Start) {}
  uint32_t Now() override { return Time; }
  void Set(uint32_t Milliseconds) { Time = Milliseconds; }
  void Advance(uint32_t Milliseconds) { Time += Milliseconds; }

 private:
  uint32_t Time;
};

class TFrameTimerCore {
 public:
  // 1000 ms between firings until told otherwise.
  TFrameTimerCore() { SetInterval(1000); }

  uint32_t Interval() const { return Interval_; }
  // 0 fires on every pass; the lag count is then divided by 1.
  void SetInterval(uint32_t Value);
  uint32_t IntervalDivisor() const { return IntervalDivisor_; }

  // Firings per second over the last period of at least one second; 0 until one has ended.
  int32_t FrameRate() const { return FrameRate_; }
  int32_t FrameCounter() const { return FrameCounter_; }
  uint32_t LastTickTime() const { return LastTickTime_; }
  uint32_t RateStartTime() const { return RateStartTime_; }

  // The next interval and rate period start at Now. The frame counter carries on.
  void Restart(uint32_t Now);

  // One idle pass at Now. Returns the lag count (intervals passed, at least 1) when the timer
  // fires, 0 when the interval has not passed yet. Missed intervals are not made up: the next
  // interval starts at Now.
  uint32_t Poll(uint32_t Now);

 private:
  uint32_t Interval_ = 0;
  uint32_t IntervalDivisor_ = 1;
  int32_t FrameRate_ = 0;
  int32_t FrameCounter_ = 0;
  uint32_t LastTickTime_ = 0;
  uint32_t RateStartTime_ = 0;
};

}  // namespace plashbox
