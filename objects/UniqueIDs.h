// objects/: the tank objects placed in the water: sources, maps and their controls.
// The process-wide register of object IDs.
#pragma once

#include <cstdint>

namespace plashbox {

// A random ID in 10 .. 2,146,999,999 that no earlier call of this process returned.
int32_t NewUniqueID();
// Seeds the generator behind NewUniqueID; the program seeds it from the clock once at start,
// the driver and the tests with fixed values. IDs already handed out stay taken.
void SeedUniqueIDs(uint32_t Seed);

}  // namespace plashbox
