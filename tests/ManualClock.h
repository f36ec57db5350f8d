// A clock for tests of the frame logic and the frame timer: it only moves when told to, so
// frame pacing can be driven step by step.
#pragma once

#include <cstdint>

#include "frame/MillisecondClock.h"

namespace plashbox::tests {

class TManualClock final : public iMillisecondClock {
 public:
  explicit TManualClock(uint32_t Start = 0) : Time(Start) {}
  uint32_t Now() override { return Time; }
  void Set(uint32_t Milliseconds) { Time = Milliseconds; }
  void Advance(uint32_t Milliseconds) { Time += Milliseconds; }

 private:
  uint32_t Time;
};

}  // namespace plashbox::tests
