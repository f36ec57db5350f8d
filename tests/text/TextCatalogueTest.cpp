// The message catalogue: texts by key, placeholders filled by name, English behind every
// language, and every key the code names present; no front end keeps a copy of a text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "text/TextCatalogue.h"

using namespace plashbox;

namespace {

std::string ReadFile(const std::filesystem::path& File) {
  std::ifstream in(File, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The files under the given source folders that end in one of Extensions.
std::vector<std::filesystem::path> Sources(const std::vector<std::string>& Folders,
                                           const std::set<std::string>& Extensions) {
  std::vector<std::filesystem::path> files;
  for (const std::string& folder : Folders)
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::filesystem::path(PLASHBOX_SOURCE_DIR) / folder))
      if (entry.is_regular_file() && Extensions.count(entry.path().extension().string())) files.push_back(entry.path());
  return files;
}

class TextCatalogue : public ::testing::Test {
 protected:
  void SetUp() override { TakeTextFaults(); }
  void TearDown() override { SetTextLanguage("en"); }
};

TEST_F(TextCatalogue, KeysAreUniqueAndEveryTextIsThere) {
  std::set<std::string_view> seen;
  for (const std::string_view key : TextKeys()) {
    EXPECT_TRUE(seen.insert(key).second) << "twice: " << key;
    EXPECT_FALSE(TextOf(key).empty()) << key;
    EXPECT_TRUE(HasText(key));
  }
  EXPECT_EQ(TextOf("undo.move"), "move {object}") << "TextOf leaves placeholders alone";
  EXPECT_TRUE(TakeTextFaults().empty());
}

TEST_F(TextCatalogue, AnUnknownKeyShowsItselfAndIsReportedOnce) {
  EXPECT_FALSE(HasText("undo.mvoe"));
  EXPECT_EQ(TextOf("undo.mvoe"), "undo.mvoe");
  EXPECT_EQ(FormattedText("undo.mvoe", {{"object", "block"}}), "undo.mvoe");
  EXPECT_EQ(TakeTextFaults(), std::vector<std::string>{"unknown text key: undo.mvoe"});
  EXPECT_TRUE(TakeTextFaults().empty()) << "taken, so forgotten";
}

TEST_F(TextCatalogue, PlaceholdersAreFilledByName) {
  EXPECT_EQ(FormattedText("undo.move", {{"object", "wave source"}}), "move wave source");
  EXPECT_EQ(FormattedText("shape.size", {{"height", "1080"}, {"width", "1920"}}), "1920 x 1080")
      << "by name, not by order";
  EXPECT_EQ(FormattedText("undo.move", {{"object", "{what}"}, {"unused", "x"}}), "move {what}")
      << "a value is put in as it is, never read for placeholders; one the text does not name is ignored";
  EXPECT_EQ(FormattedText("shape.normal", {}), "Normal");
  EXPECT_TRUE(TakeTextFaults().empty());

  EXPECT_EQ(FormattedText("shape.size", {{"width", "801"}}), "801 x {height}");
  EXPECT_EQ(TakeTextFaults(), std::vector<std::string>{"unfilled {height} in text shape.size"});
}

TEST_F(TextCatalogue, EnglishIsTheLanguageAndAnUnknownOneIsRefused) {
  EXPECT_EQ(TextLanguage(), "en");
  EXPECT_FALSE(SetTextLanguage("xx"));
  EXPECT_EQ(TextLanguage(), "en");
  EXPECT_TRUE(SetTextLanguage("en"));
  EXPECT_EQ(TextOf("slide.empty.name"), "Empty Slide");
}

// Every literal key in the code that shows the catalogue's texts is in the catalogue, the
// page's JavaScript too: a key is a string literal that starts with one of the catalogue's
// groups ("undo.", "shape.").
// Keys made at run time from class and property names are checked by the frame's tests.
TEST_F(TextCatalogue, EveryKeyTheCodeNamesIsInTheCatalogue) {
  std::set<std::string> groups;
  for (const std::string_view key : TextKeys()) groups.insert(std::string(key.substr(0, key.find('.'))));
  std::string alternatives;
  for (const std::string& group : groups) alternatives += (alternatives.empty() ? "" : "|") + group;
  const std::regex literal("[\"']((?:" + alternatives + ")\\.[A-Za-z0-9_.]*[A-Za-z0-9_])[\"']");
  int found = 0;
  for (const auto& file : Sources({"objects", "sim", "frame", "cli", "web", "panels", "app"}, {".cpp", ".h", ".js"})) {
    const std::string text = ReadFile(file);
    for (std::sregex_iterator at(text.begin(), text.end(), literal), end; at != end; ++at, ++found)
      EXPECT_TRUE(HasText((*at)[1].str())) << file.string() << " names " << (*at)[1].str();
  }
  EXPECT_GT(found, 50) << "the scan finds the keys at all";
}

// The window's and the page's code show the catalogue's texts as the core gives them: none
// keeps its own copy of one (a text of two words or more, quoted).
TEST_F(TextCatalogue, NoFrontEndKeepsACopyOfAText) {
  std::vector<std::string> texts;
  for (const std::string_view key : TextKeys()) {
    const std::string text = TextOf(key);
    if (text.find(' ') != std::string::npos && text.find('{') == std::string::npos) texts.push_back(text);
  }
  for (const auto& file : Sources({"panels", "app"}, {".cpp", ".h"}))
    for (const std::string& text : texts)
      EXPECT_EQ(ReadFile(file).find('"' + text + '"'), std::string::npos) << file.string() << ": " << text;
  for (const auto& file : Sources({"web/site"}, {".js"}))
    for (const std::string& text : texts) {
      const std::string source = ReadFile(file);
      for (const char quote : {'"', '\'', '`'})
        EXPECT_EQ(source.find(quote + text + quote), std::string::npos) << file.string() << ": " << text;
    }
}

}  // namespace
