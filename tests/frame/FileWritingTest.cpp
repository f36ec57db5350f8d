// Files written whole or not at all, and the user's own file name in every failure.
#include "frame/FileWriting.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "xmlworker/XMLNode.h"

using namespace plashbox;
namespace fs = std::filesystem;

namespace {

class FileWriting : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("plashbox-filewriting-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }

  std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
  static std::string Read(const std::string& File) {
    std::ostringstream text;
    text << std::ifstream(File, std::ios::binary).rdbuf();
    return text.str();
  }
  size_t Entries() const { return size_t(std::distance(fs::directory_iterator(Dir), fs::directory_iterator())); }

  fs::path Dir;
};

TEST_F(FileWriting, ReplacesWholeAndLeavesNothingElse) {
  const std::string file = Path("a.txt");
  std::ofstream(file) << "old contents, longer than the new";
  WriteFileAtomically(file, std::string_view("new\0bytes", 9));
  EXPECT_EQ(Read(file), std::string("new\0bytes", 9));
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(FileWriting, AFailedWriteKeepsTheOldFileAndNamesTheUsersFile) {
  const std::string file = Path("kept.xml");
  std::ofstream(file) << "previous";
  // An error of the writer itself passes on unchanged; the half-written text is dropped.
  EXPECT_THROW(WriteFileAtomically(file,
                                   [](std::ostream& Out) {
                                     Out << "half";
                                     throw std::logic_error("writer failed");
                                   }),
               std::logic_error);
  EXPECT_EQ(Read(file), "previous");
  // A folder where the file should go, and a folder that does not exist.
  fs::create_directory(Dir / "folder.xml");
  for (const std::string& target : {Path("folder.xml"), Path("missing/x.xml")}) {
    try {
      WriteFileAtomically(target, "text");
      ADD_FAILURE() << target;
    } catch (const TXMLNodeError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot write file: " + target, 0), 0u) << e.what();
      EXPECT_EQ(std::string(e.what()).find(".partial"), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(Entries(), 2u) << "kept.xml and folder.xml only";
}

TEST_F(FileWriting, SeveralFilesAreWrittenOnlyWhenEveryOneCanBe) {
  const std::string a = Path("a.ppm"), b = Path("b.bin");
  std::ofstream(a) << "old a";
  EXPECT_THROW(WriteFilesAtomically({{a, "new a"}, {b, "new b"}, {Path("missing/c.xml"), "c"}}), TXMLNodeError);
  EXPECT_EQ(Read(a), "old a");
  EXPECT_FALSE(fs::exists(b));
  EXPECT_EQ(Entries(), 1u);
  WriteFilesAtomically({{a, "new a"}, {b, "new b"}});
  EXPECT_EQ(Read(a), "new a");
  EXPECT_EQ(Read(b), "new b");
  EXPECT_EQ(Entries(), 2u);
}

TEST_F(FileWriting, ALinkIsFollowedAndStaysALink) {
  const std::string target = Path("target.xml"), link = Path("link.xml");
  std::ofstream(target) << "old";
  fs::create_symlink("target.xml", link);
  WriteFileAtomically(link, "new");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Read(target), "new");
  // A link to a file yet to be made makes that file.
  fs::create_symlink("later.xml", Path("dangling.xml"));
  WriteFileAtomically(Path("dangling.xml"), "made");
  EXPECT_EQ(Read(Path("later.xml")), "made");
  EXPECT_EQ(Entries(), 4u);
}

TEST_F(FileWriting, FifosAndDevicesAreWrittenStraightThroughOthersRefused) {
  const std::string fifo = Path("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = Read(fifo); });
  WriteFileAtomically(fifo, "through the pipe");
  reader.join();
  EXPECT_EQ(received, "through the pipe");
  EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
  WriteFileAtomically("/dev/null", "gone");
  EXPECT_EQ(fs::status("/dev/null").type(), fs::file_type::character);
  // A device that fails says so, and the plain file of the same set is left alone.
  std::ofstream(Path("a.ppm")) << "old a";
  EXPECT_THROW(WriteFilesAtomically({{Path("a.ppm"), "new a"}, {"/dev/full", "no room"}}), TXMLNodeError);
  EXPECT_EQ(Read(Path("a.ppm")), "old a");
  EXPECT_EQ(Entries(), 2u);
}

TEST_F(FileWriting, TemporariesNeverTakeAUsersFileAndKeepItsPermissions) {
  const std::string file = Path("x.ppm");
  std::ofstream(file + ".partial") << "the user's own";
  std::ofstream(file) << "old";
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  WriteFileAtomically(file, "new");
  EXPECT_EQ(Read(file + ".partial"), "the user's own");
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Entries(), 2u);
  EXPECT_THROW(WriteFilesAtomically({{file, "a"}, {Path("./x.ppm"), "b"}}), TXMLNodeError) << "the same file twice";
  EXPECT_EQ(Read(file), "new");
}

}  // namespace
