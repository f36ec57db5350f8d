// The object classes of the demonstration: the block as the one refractive index map class and
// the general exciter as the one source class. Run once when the program starts.
#pragma once

namespace plashbox {

void RegisterDemoWaterObjects();

}  // namespace plashbox
