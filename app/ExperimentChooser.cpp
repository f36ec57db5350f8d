#include "app/ExperimentChooser.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <sstream>

#include "app/QtDIBPlatform.h"
#include "frame/Experiments.h"

namespace plashbox {

namespace {

constexpr int PreviewSide = ExperimentPreviewSide;

QImage Preview(const std::string& Text, int32_t Index) {
  QImage picture;
  DrawExperimentPreview(Text, Index, [&](const TFastDIB& Surface) { picture = UprightPicture(Surface); });
  return picture;
}

}  // namespace

TExperimentChooser::TExperimentChooser(TWaterCollection& Experiments, QWidget* Parent) : QDialog(Parent) {
  setWindowTitle("Experiments");
  auto* layout = new QVBoxLayout(this);
  FList = new QListWidget(this);
  FList->setViewMode(QListView::IconMode);
  FList->setIconSize(QSize(PreviewSide, PreviewSide));
  FList->setGridSize(QSize(PreviewSide + 30, PreviewSide + 44));
  FList->setResizeMode(QListView::Adjust);
  FList->setMovement(QListView::Static);
  FList->setWordWrap(true);
  FList->setMinimumSize(5 * (PreviewSide + 30) + 24, 2 * (PreviewSide + 44) + 8);
  layout->addWidget(FList);
  FDescription = new QLabel(this);
  FDescription->setWordWrap(true);
  FDescription->setMinimumHeight(40);
  layout->addWidget(FDescription);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);

  std::ostringstream text;
  Experiments.SaveToStream(text, false, 0);
  for (int32_t i = 0; i < Experiments.SlideCount(); ++i) {
    std::string name, description;
    Experiments.GetSlideName(i, name);
    Experiments.GetSlideDescription(i, description);
    auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(Preview(text.str(), i))),
                                     QString::number(i + 1) + ". " + QString::fromStdString(name), FList);
    item->setToolTip(QString::fromStdString(description));
    Descriptions.push_back(QString::fromStdString(description));
  }
  connect(FList, &QListWidget::currentRowChanged, this, [this](int Row) {
    FDescription->setText(Row >= 0 && Row < int(Descriptions.size()) ? Descriptions[size_t(Row)] : QString());
  });
  connect(FList, &QListWidget::itemActivated, this, [this] { Choose(); });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { Choose(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  if (FList->count() > 0) FList->setCurrentRow(0);
}

void TExperimentChooser::Choose() {
  const int row = FList->currentRow();
  if (row < 0) return;
  if (OnChoose) OnChoose(row);
  accept();
}

}  // namespace plashbox
