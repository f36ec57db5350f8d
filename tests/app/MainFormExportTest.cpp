// The window's Save Picture and Record on Qt's offscreen platform (the application is the one
// MainFormTest.cpp installs): the files read back to the frames shown, the mark while
// recording, and a file that cannot be written named and left behind nowhere.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTemporaryDir>

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "app/uDemoMainForm.h"
#include "frame/RgbPicture.h"
#include "panels/SpeedButton.h"
#include "tests/ManualClock.h"
#include "tests/FileSizeLimit.h"
#include "tests/PictureReaders.h"

using namespace plashbox;
using namespace plashbox::tests;

namespace {

class MainFormExport : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = std::make_unique<TMainForm>(QStringList{"plashbox"}, Clock);
    Form->FrameTimer().SetEnabled(false);  // the test ticks by hand
    Form->ShowError = [this](const QString& Message) { Errors.push_back(Message); };
  }
  size_t Entries() const {
    return size_t(std::distance(std::filesystem::directory_iterator(Dir.path().toStdString()), {}));
  }
  TManualClock Clock{1000};
  QTemporaryDir Dir;
  std::unique_ptr<TMainForm> Form;
  std::vector<QString> Errors;
};

TEST_F(MainFormExport, SavePictureWritesTheFrameShownAsPng) {
  for (int i = 0; i < 30; ++i) Form->Tick();
  const QString file = Dir.filePath("frame.png");
  ASSERT_TRUE(Form->SavePictureFile(file));
  EXPECT_EQ(ReadPng(file.toStdString()), SurfaceAsRgb(Form->Core().GetSurface()));
  EXPECT_TRUE(Errors.empty());

  const QString missing = Dir.filePath("no/such/folder/frame.png");
  EXPECT_FALSE(Form->SavePictureFile(missing));
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_TRUE(Errors[0].contains(missing)) << Errors[0].toStdString();
  EXPECT_EQ(Entries(), 1u) << "nothing but the first picture";
}

TEST_F(MainFormExport, RecordWritesEveryNthFrameShown) {
  const QString file = Dir.filePath("run.gif");
  ASSERT_TRUE(Form->StartRecording(file, 2));
  EXPECT_TRUE(Form->Recording());
  EXPECT_TRUE(Form->RecordButton().Down());
  std::vector<TRgbPicture> shown;
  for (int i = 1; i <= 7; ++i) {
    Form->Tick();
    if (i % 2 == 0) shown.push_back(SurfaceAsRgb(Form->Core().GetSurface()));
  }
  EXPECT_FALSE(Form->RecordingMark().isHidden());
  EXPECT_TRUE(Form->RecordingMark().text().contains("REC 0:0")) << Form->RecordingMark().text().toStdString();
  ASSERT_TRUE(Form->StopRecording());
  EXPECT_FALSE(Form->Recording());
  EXPECT_TRUE(Form->RecordingMark().isHidden());
  EXPECT_FALSE(Form->RecordButton().Down());

  const TGifFile gif = ReadGif(file.toStdString());
  ASSERT_TRUE(gif.Read);
  EXPECT_EQ(gif.Width, Form->Core().GetSurface().Width());
  ASSERT_EQ(gif.Frames.size(), 3u) << "frames 2, 4 and 6";
  for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(gif.Frames[i], shown[i]) << "frame " << i;
  EXPECT_EQ(gif.Delays, (std::vector<int>{3, 3, 4})) << "32 ms a frame";
  EXPECT_TRUE(Errors.empty());
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(MainFormExport, ARecordingThatCannotStartIsNamed) {
  const QString file = Dir.filePath("no/such/folder/run.gif");
  EXPECT_FALSE(Form->StartRecording(file, 1));
  EXPECT_FALSE(Form->Recording());
  EXPECT_TRUE(Form->RecordingMark().isHidden());
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_TRUE(Errors[0].contains(file)) << Errors[0].toStdString();
  EXPECT_FALSE(Form->StopRecording());
}

// The file-size limit makes the disk refuse the animation half-way, as a full disk would.
TEST_F(MainFormExport, ARecordingThatFailsHalfWayIsNamedAndRemoved) {
  std::optional<TFileSizeLimit> limit(50000);
  ASSERT_TRUE(limit->Set());
  const QString file = Dir.filePath("big.gif");
  ASSERT_TRUE(Form->StartRecording(file, 1));
  for (int i = 0; i < 400 && Form->Recording(); ++i) {
    Form->Tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (Form->Recording()) {
    EXPECT_FALSE(Form->StopRecording());
  }
  limit.reset();
  EXPECT_FALSE(Form->Recording());
  EXPECT_TRUE(Form->RecordingMark().isHidden());
  ASSERT_EQ(Errors.size(), 1u);
  EXPECT_TRUE(Errors[0].contains(file)) << Errors[0].toStdString();
  EXPECT_EQ(Entries(), 0u) << "the partial file is removed";
}

}  // namespace
