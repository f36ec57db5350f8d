#include "frame/ClassRegistration.h"

#include "objects/uBarrier.h"
#include "objects/uBlockRIMapper.h"
#include "objects/uGeneralExciter.h"
#include "sim/uWaterCollection.h"
#include "xmlworker/XMLWorker.h"

namespace plashbox {

void RegisterClasses(void (*RegisterPanels)()) {
  // The classes a scene file may name, in the registry of the reader.
  TNodeRegistry& registry = NodeRegistry();
  for (const TNodeClass* c : {&TSlideshow::StaticClass(), &TWater::StaticClass(), &TBlockRIMapper::StaticClass(),
                              &TGeneralExciter::StaticClass(), &TBarrier::StaticClass()})
    if (!registry.IsRegistered(c->ClassName())) registry.RegisterNode(c);
  // The block as the one refractive index map class and the general exciter as the one source
  // class of a new scene.
  if (RIMapClassCount() == 0) RegisterRIMapClass(TBlockRIMapper::StaticClass());
  if (ExciterClassCount() == 0) RegisterExciterClass(TGeneralExciter::StaticClass());
  if (RegisterPanels) RegisterPanels();
}

}  // namespace plashbox
