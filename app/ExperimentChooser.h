// app/: the Qt window program: main window, frame timer, splash and desktop shell.
// The Experiments chooser: the shipped experiments as pictures with their names, each drawn
// after a few hundred steps of its own, and the description of the one selected. Choosing one
// (double click, Enter or the Open button) hands its index to OnChoose.
#pragma once

#include <QDialog>

#include <functional>

#include "sim/uWaterCollection.h"

class QLabel;
class QListWidget;

namespace plashbox {

class TExperimentChooser : public QDialog {
  Q_OBJECT

 public:
  // Experiments is read, not kept: the pictures come from copies of its slides.
  TExperimentChooser(TWaterCollection& Experiments, QWidget* Parent = nullptr);

  QListWidget& List() const { return *FList; }
  QLabel& Description() const { return *FDescription; }
  std::function<void(int Index)> OnChoose;

 private:
  void Choose();

  QListWidget* FList = nullptr;
  QLabel* FDescription = nullptr;
  std::vector<QString> Descriptions;
};

}  // namespace plashbox
