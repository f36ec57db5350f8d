#include "app/uDemoWaterObjectsRegistry.h"

#include "objects/uBlockRIMapper.h"
#include "objects/uGeneralExciter.h"

namespace plashbox {

void RegisterDemoWaterObjects() {
  RegisterRIMapClass(TBlockRIMapper::StaticClass());
  RegisterExciterClass(TGeneralExciter::StaticClass());
}

}  // namespace plashbox
