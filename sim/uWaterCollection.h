// sim/: the water scene with its step and picture, and the collection of scenes.
// Collections of scenes: every water at one grid size, one of them active by its ID.
#pragma once

#include <stdexcept>
#include <string>

#include "raster/FastDIB.h"
#include "sim/uWater.h"

namespace plashbox {

// The sides a tank may have, in cells.
inline constexpr int32_t MinTankSide = 12, MaxTankSide = 8192;

// Raised by an operation that only a descendant provides.
class EAbstractError : public std::logic_error {
 public:
  EAbstractError() : std::logic_error("Abstract Error") {}
};

class TWaterCollection : public TXMLNode, public iWaterIDFollower {
 public:
  PLASHBOX_NODE_CLASS;

  // Rebuilds every water at the new size: waves are lost, objects re-applied. Every water but
  // the active one goes dormant (no cells); the active one is woken whenever it is asked for.
  void SetGridSize(int32_t W, int32_t H);
  // A water added is sized at once.
  int32_t add(iXMLNode* Node) override;

  virtual TWater* ActiveWater();
  virtual int32_t SlideCount();
  virtual void GetSlideName(int32_t Index, std::string& Text);
  virtual void GetSlideDescription(int32_t Index, std::string& Text);
  virtual int32_t GetSlideID(int32_t Index);
  virtual void DrawSlidePreview(int32_t Index, TFastDIB& Surface);

  // Reads 0.5 whatever was written: a stored collection always says version 0.5.
  float GetVersion() const { return 0.5f; }
  void SetVersion(float Value) { VersionStore = Value; }

  // The tank size the scene runs at; before it has run, the one its file asked for (0 for
  // none). Files keep it, so a scene opens at the size it was saved at.
  int32_t TankWidth() const { return CollectionWidth ? CollectionWidth : AskedWidth; }
  int32_t TankHeight() const { return CollectionHeight ? CollectionHeight : AskedHeight; }

  // The active water keeps its place when its ID changes.
  void WaterIDChanged(int32_t OldID, int32_t NewID) override {
    if (ActiveID == OldID) ActiveID = NewID;
  }

  int32_t ActiveID = 0;
  int32_t CollectionWidth = 0, CollectionHeight = 0;

 private:
  static void DeclareProperties(TPropertyBuilder<TWaterCollection>& P);
  float VersionStore = 0;
  // Not the grid's size: a file's waters are made without cells until the scene runs.
  int32_t AskedWidth = 0, AskedHeight = 0;
};

// The concrete collection: its waters are numbered slides.
class TSlideshow : public TWaterCollection {
 public:
  PLASHBOX_NODE_CLASS;

  TWater* ActiveWater() override;
  int32_t SlideCount() override;
  void GetSlideName(int32_t Index, std::string& Text) override;
  void GetSlideDescription(int32_t Index, std::string& Text) override;
  int32_t GetSlideID(int32_t Index) override;
  void DrawSlidePreview(int32_t Index, TFastDIB& Surface) override;

  // The child at Index when it is a water, else nil.
  TWater* Slide(int32_t Index);
};

}  // namespace plashbox
