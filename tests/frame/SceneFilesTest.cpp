// Scenes written as XML text and read back: every published value of every scene class
// survives, in a scene that is then sized and run as before.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "frame/ClassRegistration.h"
#include "frame/SceneFiles.h"
#include "objects/UniqueIDs.h"
#include "objects/uBlockRIMapper.h"
#include "objects/uGeneralExciter.h"
#include "xmlworker/XMLWorker.h"

using namespace plashbox;
namespace fs = std::filesystem;

namespace {

// Every published value of Object, by name.
std::vector<std::pair<std::string, std::string>> Values(TBasicXMLNode& Object) {
  std::vector<std::pair<std::string, std::string>> values;
  for (const TPropInfo& p : Object.ClassType().Properties())
    if (p.Readable()) values.emplace_back(p.Name, GetPublishedValue(Object, p.Name));
  return values;
}

// A slideshow of two slides, the second one active.
std::string WriteTwoSlidesText() {
  return "<TSlideshow ActiveID=\"2\"><TWater UniqueID=\"1\"/><TWater UniqueID=\"2\"/></TSlideshow>";
}
std::string WriteTwoSlides(const fs::path& Dir) {
  const std::string file = (Dir / "two.xml").string();
  std::ofstream(file) << WriteTwoSlidesText();
  return file;
}

class SceneFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    SeedUniqueIDs(5);
    RegisterClasses();
    RegisterClasses();  // a second call changes nothing
    Show->SetGridSize(401, 401);
    Water->SetExposure(1.5f);
    Water->SetName("Prism & \"glass\" <test>");
    Water->SetDescription("Two lines\r\nof text");
    Show->add(Water.get());
    Show->ActiveID = Water->UniqueID();
    Water->add(Block.get());
    Water->add(Source.get());
    Block->Cs = 0.8f;
    Block->Sn = 0.6f;
    Block->SetN(0.3f);
    Block->SetWidthPercentage(33.3f);
    Source->SetBeamType(btDoppler);
    Source->SetWavelength(17.25f);
    Source->Detune = 1.7f;
    Source->DopplerSpeed = 1.3f;
    Source->Harmonics = true;
    Source->UseFreq = true;
    Source->SetX1Percent(71.5f);
    Source->SetY1Percent(22.25f);
    Block->ApplyToWater();
  }

  TRef<TSlideshow> Show = NewNode<TSlideshow>();
  TRef<TWater> Water = NewNode<TWater>();
  TRef<TBlockRIMapper> Block = NewNode<TBlockRIMapper>();
  TRef<TGeneralExciter> Source = NewNode<TGeneralExciter>();
};

TEST_F(SceneFiles, EverySceneClassComesBackWithItsValues) {
  const fs::path file = fs::temp_directory_path() / ("plashbox-scene-" + std::to_string(::getpid()) + ".xml");
  SaveScene(*Show, file.string());
  const TRef<TWaterCollection> loaded = LoadScene(file.string());
  fs::remove(file);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(&loaded->ClassType(), &TSlideshow::StaticClass());
  EXPECT_FALSE(loaded->GetParentNode()) << "the scene leaves its reading container";
  loaded->SetGridSize(401, 401);

  TWater* water = loaded->ActiveWater();
  ASSERT_NE(water, nullptr);
  ASSERT_EQ(water->GetChildCount(), 2);
  auto* block = NodeAs<TBlockRIMapper>(water->GetChildren(0));
  auto* source = NodeAs<TGeneralExciter>(water->GetChildren(1));
  ASSERT_NE(block, nullptr);
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(Values(*loaded), Values(*Show));
  EXPECT_EQ(Values(*water), Values(*Water));
  EXPECT_EQ(Values(*block), Values(*Block));
  EXPECT_EQ(Values(*source), Values(*Source));
  EXPECT_EQ(source->X1, Source->X1) << "positions land on the same cells once the grid is there";
  EXPECT_EQ(source->Y1, Source->Y1);
  EXPECT_EQ(block->BlockWidth, Block->BlockWidth);

  // The medium the loaded block writes is the original's, cell for cell.
  for (int32_t x = 0; x < 401; ++x)
    for (int32_t y = 0; y < 401; ++y)
      ASSERT_EQ((*water->Cells())[x][y].SpeedFactor, (*Water->Cells())[x][y].SpeedFactor) << x << "," << y;
}

TEST_F(SceneFiles, FilesThatAreNoScenesAreRefused) {
  const fs::path dir = fs::temp_directory_path() / ("plashbox-scenes-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string water = (dir / "water.xml").string();
  SaveNodeToFile(*Water, water);  // a water alone holds no collection
  EXPECT_THROW(LoadScene(water), TXMLNodeParsingError);
  EXPECT_THROW(LoadScene((dir / "missing.xml").string()), TXMLNodeError);
  std::ofstream((dir / "cut.xml").string()) << "<TSlideshow ActiveID=\"3\"><TWater Exposure=\"2";
  EXPECT_THROW(LoadScene((dir / "cut.xml").string()), std::exception);

  // A save that fails keeps the previous file and leaves no temporary one.
  const std::string target = (dir / "kept.xml").string();
  std::ofstream(target) << "previous";
  Water->SetName(std::string("XML"));  // fine as a value; only property names are checked
  SaveScene(*Show, target);
  EXPECT_NE(std::ifstream(target).peek(), 'p');
  fs::create_directory(dir / "folder.xml");
  EXPECT_THROW(SaveScene(*Show, (dir / "folder.xml").string()), TXMLNodeError);
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(dir)) files += entry.is_regular_file();
  EXPECT_EQ(files, 3u) << "water, cut, kept and nothing else";
  fs::remove_all(dir);
}

// A picture, a document or an empty file opened as a scene by mistake is named for what it
// looks like, not by the XML reader's complaint about its first byte; real XML keeps the
// reader's own message.
TEST_F(SceneFiles, FilesOfAnotherKindAreNamedForWhatTheyLookLike) {
  const std::pair<std::string, const char*> files[] = {
      {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "it looks like a PNG picture"},
      {"\xFF\xD8\xFF\xE0\0\x10JFIF", "it looks like a JPEG picture"},
      {"GIF89a\x01\0\x01\0", "it looks like a GIF picture"},
      {"GIF87a", "it looks like a GIF picture"},
      {"%PDF-1.7\n%\xE2\xE3", "it looks like a PDF document"},
      {"PK\x03\x04\x14\0", "it looks like a ZIP archive"},
      {"", "it is empty"}};
  for (const auto& [bytes, kind] : files) {
    std::istringstream in(bytes);
    try {
      LoadScene(in, "lesson.png");
      ADD_FAILURE() << kind;
    } catch (const TXMLNodeParsingError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("lesson.png is not a Plashbox scene file (") + kind + ")");
    }
  }
  for (const char* text : {"<TSlideshow ActiveID=\"3\"><TWater Exposure=\"2", "PNG, but as text", " \x89"}) {
    std::istringstream in(text);
    try {
      LoadScene(in, "text.xml");
      ADD_FAILURE() << text;
    } catch (const std::exception& e) {
      EXPECT_EQ(std::string(e.what()).find("not a Plashbox scene file"), std::string::npos) << e.what();
    }
  }
  // From a file too, read from its start after the look at its first bytes.
  const fs::path file = fs::temp_directory_path() / ("plashbox-picture-" + std::to_string(::getpid()) + ".xml");
  std::ofstream(file, std::ios::binary) << "\x89PNG\r\n\x1a\n";
  EXPECT_THROW(LoadScene(file.string()), TXMLNodeParsingError);
  fs::remove(file);
  std::istringstream two(WriteTwoSlidesText());
  EXPECT_EQ(LoadScene(two, "two.xml")->SlideCount(), 2) << "a scene is read whole after the look";
}

TEST_F(SceneFiles, ScenesTooLargeForTheMachineAreRefusedBeforeTheyTakeIt) {
  const fs::path dir = fs::temp_directory_path() / ("plashbox-limits-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  // More slides than the reader takes; their grids were never made.
  std::string text = "<TSlideshow ActiveID=\"1\">";
  for (int i = 0; i <= MaxSceneSlides; ++i) text += "<TWater UniqueID=\"" + std::to_string(i + 1) + "\"/>";
  text += "</TSlideshow>";
  std::ofstream((dir / "many.xml").string()) << text;
  EXPECT_THROW(LoadScene((dir / "many.xml").string()), TXMLNodeParsingError);
  // A file larger than the limit is not read at all.
  {
    std::ofstream big((dir / "big.xml").string(), std::ios::binary);
    big << "<TSlideshow>";
    big << std::string(size_t(MaxSceneFileBytes), ' ');
    big << "</TSlideshow>";
  }
  try {
    LoadScene((dir / "big.xml").string());
    ADD_FAILURE() << "a file over the limit";
  } catch (const TXMLNodeParsingError& e) {
    EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
  }
  // A collection of two slides keeps cells for the one on show only.
  const TRef<TWaterCollection> show = LoadScene(WriteTwoSlides(dir));
  show->SetGridSize(401, 401);
  int32_t awake = 0;
  for (TWater* w : ChildrenOf<TWater>(*show)) awake += w->Cells() != nullptr;
  EXPECT_EQ(awake, 1);
  fs::remove_all(dir);
}

}  // namespace

TEST(SceneFilesMedia, TwoBlocksInAFileKeepTheirPlacesAndBothShapeTheMedium) {
  RegisterClasses();
  std::istringstream text(
      "<TSlideshow ActiveID=\"1\" TankWidth=\"201\" TankHeight=\"201\"><TWater UniqueID=\"1\">"
      "<TBlockRIMapper n=\"0.4\" CentreXPercent=\"25\" CentreYPercent=\"50\" WidthPercentage=\"20\"/>"
      "<TBlockRIMapper n=\"0.8\" CentreXPercent=\"75\" CentreYPercent=\"50\" WidthPercentage=\"20\"/>"
      "</TWater></TSlideshow>");
  const TRef<TWaterCollection> show = LoadScene(text, "two-blocks.xml");
  ASSERT_NE(show, nullptr);
  show->SetGridSize(201, 201);
  TWater* water = show->ActiveWater();
  ASSERT_NE(water, nullptr);
  std::vector<TBlockRIMapper*> blocks;
  for (TBlockRIMapper* block : ChildrenOf<TBlockRIMapper>(*water)) blocks.push_back(block);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_NEAR(blocks[0]->GetCentreXPercent(), 25, 0.5);
  EXPECT_NEAR(blocks[1]->GetCentreXPercent(), 75, 0.5);
  EXPECT_EQ(water->SpeedFactorAt(blocks[0]->CentreX, 100), 0.2f);
  EXPECT_EQ(water->SpeedFactorAt(blocks[1]->CentreX, 100), 0.4f);
}
