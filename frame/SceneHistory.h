// frame/: the window's logic without a window, shared by every front end and the tests.
// Undo and redo of the user's edits. The history is the root of the document, above the
// slideshow: every edit is an action sent through the tree by a messenger, which performs it
// on its object, collects it as an undo action and posts the undo record up to the root.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frame/SceneSnapshot.h"
#include "sim/uWaterCollection.h"
#include "xmlworker/XMLWorkerObjects.h"

namespace plashbox {

// What every edit does in the walk: it is performed on the one node it wants, then it joins
// the messenger's undo record as its own undo action.
class TSceneEdit : public TXNBasicAction {
 public:
  // The target is held, so that an edit of an object taken out of the tree meanwhile still
  // has it; all but the document's root, which keeps the records and would never be freed.
  TSceneEdit(iXMLNode* Target, std::string Text, bool HoldTarget = true);

  void PerformAction(iXMLNode* Node, iXNMessenger* Sender) override;
  // The words after "Undo " and "Redo " in the Edit menu: "move block".
  std::string GetPerformText() override { return Text; }
  std::string GetUnPerformText() override { return Text; }

 protected:
  ~TSceneEdit() override = default;
  iXMLNode* Target() const { return FTarget; }

 private:
  iXMLNode* FTarget;
  XMLNodeRef Held;
  std::string Text;
};

// Published values of one object: redo writes the values after, undo those before; a value
// that already reads as wanted is not written again (setters may have side effects).
class TPropertyEdit : public TSceneEdit {
 public:
  PLASHBOX_NODE_CLASS;

  TPropertyEdit(TNodeChanges Changes, std::string Text);

  void Perform() override;
  void UnPerform() override;
  // The same object and the same properties: a later edit of them can be merged in.
  bool IsEquivelent(iXNAction* NewAction) override;
  // Keeps its values before and takes the other's values after.
  void Merge(iXNAction* Other) override;

 protected:
  ~TPropertyEdit() override = default;

 private:
  void Write(bool After);
  TNodeChanges Edit;
};

// An object added to or removed from a parent, at a place among its children.
class TObjectEdit : public TSceneEdit {
 public:
  PLASHBOX_NODE_CLASS;

  TObjectEdit(iXMLNode* Parent, iXMLNode* Object, int32_t Position, bool Adding, std::string Text);

  void Perform() override { Place(Adding); }
  void UnPerform() override { Place(!Adding); }

 protected:
  ~TObjectEdit() override = default;

 private:
  void Place(bool In);
  XMLNodeRef Object;
  int32_t Position;
  bool Adding;
};

// One slideshow in place of another (a scene opened, an experiment chosen). Install puts a
// slideshow in the document and makes it run.
class TSceneSwap : public TSceneEdit {
 public:
  PLASHBOX_NODE_CLASS;

  using TInstall = std::function<void(const TRef<TWaterCollection>&)>;
  TSceneSwap(iXMLNode* Document, TRef<TWaterCollection> Old, TRef<TWaterCollection> New, TInstall Install,
             std::string Text);

  void Perform() override { Install(New); }
  void UnPerform() override { Install(Old); }

 protected:
  ~TSceneSwap() override = default;

 private:
  TRef<TWaterCollection> Old, New;
  TInstall Install;
};

// The document's root: it holds the running slideshow as its one child and keeps the undo
// records that the messengers post to it.
class TSceneHistory : public TXMLNode, public iXNUndoManager {
 public:
  PLASHBOX_NODE_CLASS;

  // Undo goes back this many edits at most; older ones are forgotten.
  static constexpr size_t MaxSteps = 500;

  bool QueryInterface(const TGUID& IID, void** Out) override;

  // Sends the edits through the tree in one messenger: one undo record for all of them. With
  // Merge, a record of the same objects and properties as the last one joins it (the steps of
  // a mouse wheel on a slider are one edit).
  void Record(const std::vector<TRef<TSceneEdit>>& Edits, bool Merge = false);
  void AddUndoRecord(iXNUndoRecord* Record) override;

  bool CanUndo() const { return !Done.empty(); }
  bool CanRedo() const { return !Undone.empty(); }
  // "move block", or empty when there is nothing to undo or redo.
  std::string UndoText() const;
  std::string RedoText() const;
  void Undo();
  void Redo();
  // Forgets every record.
  void Forget();

 protected:
  ~TSceneHistory() override = default;

 private:
  std::vector<TRef<iXNUndoRecord>> Done, Undone;
  bool MergeNext = false;
};

}  // namespace plashbox
