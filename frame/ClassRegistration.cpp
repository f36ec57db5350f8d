#include "frame/ClassRegistration.h"

#include "objects/uBarrier.h"
#include "objects/uBlockRIMapper.h"
#include "objects/uIntensityScreen.h"
#include "objects/uLensRIMapper.h"
#include "objects/uPrismRIMapper.h"
#include "objects/uProbe.h"
#include "objects/uGeneralExciter.h"
#include "sim/uWaterCollection.h"
#include "xmlworker/XMLWorker.h"

namespace plashbox {

void RegisterClasses(void (*RegisterPanels)()) {
  // The classes a scene file may name, in the registry of the reader.
  TNodeRegistry& registry = NodeRegistry();
  for (const TNodeClass* c : {&TSlideshow::StaticClass(), &TWater::StaticClass(), &TBlockRIMapper::StaticClass(),
                              &TGeneralExciter::StaticClass(), &TBarrier::StaticClass(),
                              &TLensRIMapper::StaticClass(), &TPrismRIMapper::StaticClass(), &TProbe::StaticClass(),
                              &TIntensityScreen::StaticClass()})
    if (!registry.IsRegistered(c->ClassName())) registry.RegisterNode(c);
  // The maps a scene can switch between, the block first: a new scene takes it. The general
  // exciter is the one source class of a new scene.
  if (RIMapClassCount() == 0)
    for (const TNodeClass* c : {&TBlockRIMapper::StaticClass(), &TLensRIMapper::StaticClass(),
                                &TPrismRIMapper::StaticClass()})
      RegisterRIMapClass(*c);
  if (ExciterClassCount() == 0) RegisterExciterClass(TGeneralExciter::StaticClass());
  if (RegisterPanels) RegisterPanels();
}

}  // namespace plashbox
