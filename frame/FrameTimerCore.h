// frame/: the window's logic without a window, shared by every front end and the tests.
// The firing rule of the frame timer, without a toolkit: on every pass the owner asks whether
// the interval has passed, and gets the lag count back when it has; between passes it sleeps
// until the next firing is due. The window's timer fires by it; the headless driver runs its
// ticks back to back, unpaced.
#pragma once

#include <cstdint>

#include "frame/MillisecondClock.h"

namespace plashbox {

// The window's frame timer fires every 16 ms: 62.5 ticks a second. Recorded animations keep
// that rate.
inline constexpr uint32_t WindowFrameInterval = 16;

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
  // Milliseconds from Now until Poll fires next; 0 when it would fire at once.
  uint32_t WaitBefore(uint32_t Now) const;

 private:
  uint32_t Interval_ = 0;
  uint32_t IntervalDivisor_ = 1;
  int32_t FrameRate_ = 0;
  int32_t FrameCounter_ = 0;
  uint32_t LastTickTime_ = 0;
  uint32_t RateStartTime_ = 0;
};

}  // namespace plashbox
