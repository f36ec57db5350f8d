// Edits of a running scene by published property, with classes found through the registry.
#include "frame/SceneEditing.h"

#include <gtest/gtest.h>

#include "frame/ClassRegistration.h"
#include "objects/UniqueIDs.h"
#include "objects/uBlockRIMapper.h"
#include "objects/uGeneralExciter.h"
#include "xmlworker/XMLProperties.h"

using namespace plashbox;

namespace {

TEST(SceneEditing, SettingsAreParsedWithDotsAndEqualsInTheValue) {
  const TPropertySetting s = ParsePropertySetting("TWater.Name=a.b=c");
  EXPECT_EQ(s.Class, "TWater");
  EXPECT_EQ(s.Property, "Name");
  EXPECT_EQ(s.Value, "a.b=c");
  EXPECT_EQ(ParsePropertySetting("T.P=").Value, "");
  for (const char* bad : {"nodot", ".P=1", "T.=1", "T.P", "T=1.P"}) EXPECT_THROW(ParsePropertySetting(bad), TSceneEditError) << bad;
}

TEST(SceneEditing, ClassesAreFoundInTheRegistryAndAmongTheirBases) {
  RegisterClasses();
  EXPECT_EQ(FindSceneClass("tgeneralexciter"), &TGeneralExciter::StaticClass());
  EXPECT_EQ(FindSceneClass("TBaseExciter"), &TBaseExciter::StaticClass());
  EXPECT_EQ(FindSceneClass("TBaseRIControlRIMapper"), &TBaseRIControlRIMapper::StaticClass());
  EXPECT_EQ(FindSceneClass("TWater"), &TWater::StaticClass());
  EXPECT_EQ(FindSceneClass("TNoSuchClass"), nullptr);
}

TEST(SceneEditing, ASettingReachesTheWaterOrEveryChildOfItsClass) {
  SeedUniqueIDs(3);
  RegisterClasses();
  const TRef<TWater> water = NewNode<TWater>();
  water->SetGridSize(60, 40);
  const TRef<TGeneralExciter> first = NewNode<TGeneralExciter>(), second = NewNode<TGeneralExciter>();
  const TRef<TBlockRIMapper> block = NewNode<TBlockRIMapper>();
  for (TBasicXMLNode* child : std::initializer_list<TBasicXMLNode*>{first.get(), block.get(), second.get()}) water->add(child);

  ApplySetting(*water, {"TWater", "Exposure", "4"});
  EXPECT_EQ(water->Exposure(), 4.0f);
  // A base class reaches every child derived from it, and no other.
  ApplySetting(*water, {"TBaseExciter", "Detune", "1.5"});
  EXPECT_EQ(first->Detune, 1.5f);
  EXPECT_EQ(second->Detune, 1.5f);
  ApplySetting(*water, {"TBaseWaterObject", "UniqueID", "77"});
  EXPECT_EQ(block->UniqueID, 77);
  EXPECT_EQ(first->UniqueID, 77);

  EXPECT_THROW(ApplySetting(*water, {"TNoSuchClass", "X", "1"}), TSceneEditError);
  EXPECT_THROW(ApplySetting(*water, {"TWater", "NoSuchProp", "1"}), TSceneEditError);
  // A value the property refuses is the conversion error, not an edit error.
  try {
    ApplySetting(*water, {"TBlockRIMapper", "n", "abc"});
    ADD_FAILURE() << "abc is no number";
  } catch (const TSceneEditError&) {
    ADD_FAILURE() << "the conversion error was turned into an edit error";
  } catch (const std::exception&) {
  }
}

TEST(SceneEditing, APanelsEditReachesTheSelectedObjectOfItsClassElseTheLast) {
  SeedUniqueIDs(4);
  RegisterClasses();
  const TRef<TWater> water = NewNode<TWater>();
  water->SetGridSize(201, 201);
  const TRef<TBlockRIMapper> first = NewNode<TBlockRIMapper>(), second = NewNode<TBlockRIMapper>();
  water->add(first.get());
  water->add(second.get());  // selected as it is added
  EXPECT_EQ(ShownObject(*water, TWater::StaticClass()), water.get());
  EXPECT_EQ(ShownObject(*water, TBaseRIControlRIMapper::StaticClass()), second.get());
  EXPECT_EQ(ShownObject(*water, TGeneralExciter::StaticClass()), nullptr);

  first->Activate();
  EXPECT_EQ(ShownObject(*water, TBlockRIMapper::StaticClass()), first.get());
  ApplySettingToShown(*water, {"TBaseRIControlRIMapper", "n", "0.4"});
  EXPECT_EQ(first->GetN(), 0.4f);
  EXPECT_EQ(second->GetN(), 0.5454f) << "the other block keeps its index";

  first->ActiveTool = false;
  EXPECT_EQ(ShownObject(*water, TBlockRIMapper::StaticClass()), second.get()) << "none selected: the last";
  EXPECT_THROW(ApplySettingToShown(*water, {"TBarrier", "Slits", "2"}), TSceneEditError);
}

}  // namespace
