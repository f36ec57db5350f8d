#include "panels/ControlPanels.h"

#include <memory>

#include "objects/uBaseExciter.h"
#include "objects/uBaseRefractiveIndexMap.h"
#include "objects/uGeneralExciter.h"
#include "panels/uBarrierControlPanel.h"
#include "panels/uBaseExciterControlPanel.h"
#include "panels/uControlPanelRefractiveIndex.h"
#include "panels/uGeneralExciterControlPanel.h"
#include "panels/uProbeControlPanel.h"

namespace plashbox {

namespace {

template <class TPanel, class TObject>
std::unique_ptr<TControlPanel> MakePanel(TBasicXMLNode& Object) {
  auto* object = dynamic_cast<TObject*>(&Object);
  if (!object) return nullptr;
  auto panel = std::make_unique<TPanel>();
  panel->Bind(*object);
  return panel;
}

}  // namespace

void RegisterControlPanels() {
  RegisterControlPanel(TBaseExciter::StaticClass(), &MakePanel<TBaseExciterCP, TBasicXMLNode>);
  RegisterControlPanel(TGeneralExciter::StaticClass(), &MakePanel<TGeneralExciterCP, TGeneralExciter>);
  RegisterControlPanel(TBaseRIControlRIMapper::StaticClass(), &MakePanel<TRefractiveIndexCP, TBaseRIControlRIMapper>);
  RegisterControlPanel(TBarrier::StaticClass(), &MakePanel<TBarrierCP, TBarrier>);
  RegisterControlPanel(TProbe::StaticClass(), &MakePanel<TProbeCP, TProbe>);
  RegisterControlPanel(TIntensityScreen::StaticClass(), &MakePanel<TIntensityScreenCP, TIntensityScreen>);
}

}  // namespace plashbox
