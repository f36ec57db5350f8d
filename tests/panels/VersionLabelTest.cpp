#include "panels/verslab.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <fstream>
#include <memory>
#include <string>

#include "frame/VersionInfo.h"
#include "tests/QtTestApplication.h"

// Test failures show texts as text.
void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }

namespace plashbox {
namespace {

[[maybe_unused]] ::testing::Environment* const WidgetEnvironment = tests::InstallQtTestApplication();

void WriteFile(const std::string& Path, const std::string& Bytes) {
  std::ofstream out(Path, std::ios::binary | std::ios::trunc);
  out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

// Bytes of a program around its block: code, data and a stray copy of the marker.
std::string InProgram(const std::string& Block) {
  std::string bytes = "\x7f" "ELF\x02\x01\x01 some code";
  bytes += std::string(VersionBlockBegin) + std::string(1, '\0') + "more data ";
  return bytes + Block + std::string(300, '\xCC');
}

TFixedFileInfo Fixed(uint32_t Flags) {
  TFixedFileInfo info;
  std::tie(info.FileVersionMS, info.FileVersionLS) = VersionWords(3, 7, 0, 12);
  std::tie(info.ProductVersionMS, info.ProductVersionLS) = VersionWords(3, 7, 0, 12);
  info.FileFlags = Flags;
  return info;
}

// Two string tables, US English first.
TVersionBlockWriter Sample(uint32_t Flags = 0, const std::string& FileVersion = "3.7.0.12") {
  TVersionBlockWriter writer;
  writer.Fixed(Fixed(Flags))
      .Translation({{0x0409, 0x04E4}, {0x0407, 0x04B0}})
      .String("040904E4", "CompanyName", "Wave Works")
      .String("040904E4", "FileVersion", FileVersion)
      .String("040904E4", "ProductVersion", "3.7.0.12")
      .String("040904E4", "LegalCopyright", "Copyright © 2026 Wave Works <tank>")
      .String("040904E4", "Build", "42")
      .String("040904E4", "Comments", "")
      .String("040704B0", "CompanyName", "Wellenwerk");
  return writer;
}

// ---- The reader, without a toolkit.

TEST(VersionInfoTest, ProgramCarriesTheBlockOfItsBuild) {
  for (const bool fromFile : {false, true}) {
    SCOPED_TRACE(fromFile ? "own file" : "embedded bytes");
    TVersionInfo info;
    const auto status = fromFile ? TVersionInfo::ReadFile(OwnExecutablePath(), info)
                                 : TVersionInfo::ReadBytes(TVersionInfo::EmbeddedBlock(), info);
    ASSERT_EQ(status, TVersionInfoStatus::Ok);
    std::string_view value;
    uint32_t length = 0;
    ASSERT_TRUE(info.QueryValue("\\StringFileInfo\\0409FDE9\\ProductVersion", value, length));
    EXPECT_EQ(std::string(value.substr(0, length - 1)), PLASHBOX_VERSION);
    EXPECT_EQ(length, std::string(PLASHBOX_VERSION).size() + 1);
    ASSERT_TRUE(info.QueryValue("\\", value, length));
    EXPECT_EQ(length, FixedFileInfoSize);
    EXPECT_EQ(value.substr(0, 4), std::string_view("\xBD\x04\xEF\xFE", 4));
    ASSERT_TRUE(info.QueryValue("\\VarFileInfo\\Translation", value, length));
    EXPECT_EQ(value, std::string_view("\x09\x04\xE9\xFD", 4));
    for (const char* key : {"CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                            "OriginalFilename", "ProductName", "Comments"})
      EXPECT_TRUE(info.QueryValue(std::string("\\StringFileInfo\\0409FDE9\\") + key, value, length)) << key;
  }
}

TEST(VersionInfoTest, ValuesAndPaths) {
  TVersionInfo info;
  TVersionBlockWriter writer = Sample(0x09);
  writer.Raw("\\Words", "01 0203 04050607");
  ASSERT_EQ(TVersionInfo::ReadBytes(writer.Block(), info), TVersionInfoStatus::Ok);
  EXPECT_EQ(info.Size(), writer.Payload().size());
  std::string_view value;
  uint32_t length = 0;
  // Letter case is ignored, as in resource paths.
  ASSERT_TRUE(info.QueryValue("\\stringfileinfo\\040904e4\\companyname", value, length));
  EXPECT_EQ(value, std::string_view("Wave Works\0", 11));
  EXPECT_EQ(length, 11u);
  ASSERT_TRUE(info.QueryValue("\\Words", value, length));
  EXPECT_EQ(value, std::string_view("\x01\x03\x02\x07\x06\x05\x04", 7));
  ASSERT_TRUE(info.QueryValue("\\", value, length));
  EXPECT_EQ(value.substr(FixedFileFlagsOffset, 4), std::string_view("\x09\0\0\0", 4));
  EXPECT_EQ(value.substr(8, 4), std::string_view("\x07\0\x03\0", 4));  // 3.7 as its high word
  EXPECT_FALSE(info.QueryValue("\\StringFileInfo\\040904E4\\Missing", value, length));
  EXPECT_FALSE(info.QueryValue("\\StringFileInfo\\040904E4", value, length));
  EXPECT_THROW(writer.Raw("\\A", "two\nlines"), std::invalid_argument);
  EXPECT_THROW(writer.Raw("\\A=B", "x"), std::invalid_argument);
}

TEST(VersionInfoTest, OnlyAFramedBlockCounts) {
  const std::string block = Sample().Block();
  const std::string begin(VersionBlockBegin);
  TVersionInfo info;
  EXPECT_EQ(TVersionInfo::ReadBytes("plain bytes without any marker", info), TVersionInfoStatus::NoData);
  EXPECT_EQ(TVersionInfo::ReadBytes(begin + "0000000X\n", info), TVersionInfoStatus::NoData);
  // A length that misses the end marker, or runs past the end of the bytes.
  EXPECT_EQ(TVersionInfo::ReadBytes(begin + "00000002\nab=" + std::string(VersionBlockEnd), info),
            TVersionInfoStatus::NoData);
  EXPECT_EQ(TVersionInfo::ReadBytes(begin + "00100000\nab=", info), TVersionInfoStatus::NoData);
  // Longer than any version information could be.
  EXPECT_EQ(TVersionInfo::ReadBytes(begin + "7FFFFFFF\n", info), TVersionInfoStatus::NoData);
  // Stray markers and broken frames before the real block are passed over.
  const std::string decoys = begin + begin + "00000004\nx=1\n" + begin + "zz" + begin;
  EXPECT_EQ(TVersionInfo::ReadBytes(decoys + block, info), TVersionInfoStatus::Ok);
  EXPECT_EQ(TVersionInfo::ReadBytes(block.substr(0, block.size() - 1), info), TVersionInfoStatus::NoData);
  // A framed block that does not parse is an error, not an absence.
  TVersionBlockWriter bad;
  bad.Raw("\\", "123");
  EXPECT_EQ(TVersionInfo::ReadBytes(bad.Block(), info), TVersionInfoStatus::ReadError);
  EXPECT_EQ(TVersionInfo::ReadBytes(TVersionBlockWriter().Raw("\\", "0G").Block(), info),
            TVersionInfoStatus::ReadError);
  const std::string noEquals = begin + "00000008\nno value" + std::string(VersionBlockEnd);
  EXPECT_EQ(TVersionInfo::ReadBytes(noEquals, info), TVersionInfoStatus::ReadError);
}

TEST(VersionInfoTest, FilesAreScannedInPieces) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string block = Sample().Block();
  TVersionInfo info;
  // Blocks across every seam of the first reads, and one at the very end of a file.
  for (size_t offset : {size_t{0}, size_t{65536} - 10, size_t{65536} - 30, size_t{65536}, size_t{200000}}) {
    const std::string path = dir.filePath("piece.bin").toStdString();
    WriteFile(path, std::string(offset, 'x') + block);
    EXPECT_EQ(TVersionInfo::ReadFile(path, info), TVersionInfoStatus::Ok) << offset;
  }
  EXPECT_EQ(TVersionInfo::ReadFile(dir.filePath("missing.bin").toStdString(), info), TVersionInfoStatus::NoData);
  EXPECT_EQ(TVersionInfo::ReadFile(dir.path().toStdString(), info), TVersionInfoStatus::NoData);
}

// ---- The label.

class VersionLabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    Label.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
  }
  // A file carrying Writer's block; the label describes it.
  QString Use(const TVersionBlockWriter& Writer, const char* Name = "tank.exe") {
    return Use(InProgram(Writer.Block()), Name);
  }
  QString Use(const std::string& Bytes, const char* Name) {
    const QString path = Dir.filePath(QString::fromLatin1(Name));
    WriteFile(path.toStdString(), Bytes);
    Label.SetFilename(path);
    return path;
  }
  QString Show(TVersionResources Resource) {
    Label.SetVersionResource(Resource);
    Label.RefreshInfo();
    return Label.InfoString();
  }

  QTemporaryDir Dir;
  TzekVersionLabel Label;
};

TEST_F(VersionLabelTest, StateAfterConstruction) {
  TzekVersionLabel label;
  EXPECT_EQ(label.VersionResource(), vrFileVersion);
  EXPECT_EQ(label.VersionResourceKey(), "FileVersion");
  EXPECT_EQ(label.InfoPrefix(), "File Version:");
  EXPECT_TRUE(label.ShowInfoPrefix());
  EXPECT_EQ(label.LangCharset(), "-1");
  EXPECT_EQ(label.InfoString(), "");
  EXPECT_EQ(label.Filename(), "");
  EXPECT_EQ(label.FileSizeFormat(), "#,#0\" Bytes\"");
  EXPECT_EQ(label.DateTimeFormat(), QLocale().dateFormat(QLocale::ShortFormat));
  EXPECT_FALSE(label.wordWrap());
  EXPECT_TRUE(label.AutoSize());
  EXPECT_EQ(label.text(), "");
}

TEST_F(VersionLabelTest, EachResourceSetsItsKeyAndCaption) {
  const std::pair<TVersionResources, std::pair<const char*, const char*>> table[] = {
      {vrCompanyName, {"CompanyName", "Company Name:"}},
      {vrFileDescription, {"FileDescription", "File Description:"}},
      {vrFileVersion, {"FileVersion", "File Version:"}},
      {vrInternalName, {"InternalName", "Internal Name:"}},
      {vrLegalCopyright, {"LegalCopyright", "Legal Copyright:"}},
      {vrOriginalFilename, {"OriginalFilename", "Original Filename:"}},
      {vrProductName, {"ProductName", "Product Name:"}},
      {vrProductVersion, {"ProductVersion", "Product Version:"}},
      {vrComments, {"Comments", "Comments:"}},
      {vrFlags, {"Flags", "Flags:"}},
      {vrShortFileVersion, {"FileVersion", "v"}},
      {vrDateTime, {"DateTime", "File Date/Time:"}},
      {vrFileSize, {"Filesize", "File Size:"}},
  };
  for (const auto& [resource, texts] : table) {
    Label.SetVersionResource(resource);
    EXPECT_EQ(Label.VersionResource(), resource);
    EXPECT_EQ(Label.VersionResourceKey(), texts.first);
    EXPECT_EQ(Label.InfoPrefix(), texts.second);
  }
}

TEST_F(VersionLabelTest, FileWithoutVersionInformationHasNoDataForEveryItem) {
  Use(std::string("just some bytes\n"), "plain.txt");
  for (int r = vrCompanyName; r <= vrFileSize; ++r) {
    const QString shown = Show(static_cast<TVersionResources>(r));
    EXPECT_EQ(shown, Label.InfoPrefix() + " < No Data Available >") << r;
  }
  Label.SetShowInfoPrefix(false);
  EXPECT_EQ(Label.InfoString(), "< No Data Available >");
  EXPECT_EQ(Label.text(), "< No Data Available >");
  Label.SetFilename(Dir.filePath("missing.exe"));
  EXPECT_EQ(Label.InfoString(), "< No Data Available >");
}

TEST_F(VersionLabelTest, StringItemsWithAndWithoutCaption) {
  Use(Sample());
  EXPECT_EQ(Show(vrProductVersion), "Product Version: 3.7.0.12");
  EXPECT_EQ(Show(vrCompanyName), "Company Name: Wave Works");
  // Shown as text, never as markup.
  EXPECT_EQ(Show(vrLegalCopyright), "Legal Copyright: Copyright © 2026 Wave Works <tank>");
  EXPECT_EQ(Label.textFormat(), Qt::PlainText);
  EXPECT_EQ(Label.text(), Label.InfoString());
  Label.SetShowInfoPrefix(false);
  EXPECT_EQ(Label.InfoString(), "Copyright © 2026 Wave Works <tank>");
  // A custom key is its own caption.
  Label.SetShowInfoPrefix(true);
  Label.SetVersionResourceKey("Build");
  EXPECT_EQ(Label.InfoPrefix(), "Build");
  EXPECT_EQ(Label.InfoString(), "Build 42");
  // An empty item.
  EXPECT_EQ(Show(vrComments), "Comments: < No Version Info >");
  EXPECT_EQ(Show(vrInternalName), "Internal Name: < Error retrieving string version info >");
}

TEST_F(VersionLabelTest, FirstTranslationIsTakenAndKept) {
  const QString path = Use(Sample());
  EXPECT_EQ(Show(vrCompanyName), "Company Name: Wave Works");
  EXPECT_EQ(Label.LangCharset(), "040904E4");
  Label.SetLangCharset("040704B0");
  EXPECT_EQ(Label.InfoString(), "Company Name: Wellenwerk");
  Label.SetLangCharset("041104B0");
  EXPECT_EQ(Label.InfoString(), "Company Name: < Error retrieving string version info >");

  // Resolving "-1" shows nothing new by itself: the text waits for the next refresh.
  TzekVersionLabel fresh;
  fresh.SetFilename(path);
  const QString shown = fresh.InfoString();
  EXPECT_EQ(shown, "File Version: 3.7.0.12");
  EXPECT_EQ(fresh.LangCharset(), "040904E4");
  EXPECT_EQ(fresh.InfoString(), shown);
}

TEST_F(VersionLabelTest, TranslationErrors) {
  TVersionBlockWriter none;
  none.Fixed(Fixed(0)).String("040904E4", "FileVersion", "1.0");
  Use(none);
  EXPECT_EQ(Show(vrFileVersion), "File Version: < Error retrieving translation info >");
  EXPECT_EQ(Label.LangCharset(), "-1");
  TVersionBlockWriter half;
  half.Raw("\\VarFileInfo\\Translation", "0409").String("040904E4", "FileVersion", "1.0");
  Use(half);
  EXPECT_EQ(Label.InfoString(), "File Version: < Error retrieving translation info >");
  // A table named outright needs no translation list.
  Label.SetLangCharset("040904E4");
  EXPECT_EQ(Label.InfoString(), "File Version: 1.0");
}

TEST_F(VersionLabelTest, BrokenBlockIsAnError) {
  TVersionBlockWriter broken;
  broken.Raw("\\", "FEEF04BD 1");
  Use(broken);
  EXPECT_EQ(Show(vrProductName), "Product Name: < Error retrieving version info >");
  EXPECT_EQ(Show(vrFlags), "Flags: < Error retrieving version info >");
  // An empty block holds no data.
  Use(TVersionBlockWriter());
  EXPECT_EQ(Show(vrProductName), "Product Name: < No Data Available >");
}

TEST_F(VersionLabelTest, Flags) {
  Use(Sample(0x09));
  EXPECT_EQ(Show(vrFlags), "Flags: Debug Build, Private Build");
  Use(Sample(0));
  EXPECT_EQ(Label.InfoString(), "Flags: ");
  Use(Sample(0x3F | 0x100));
  EXPECT_EQ(Label.InfoString(),
            "Flags: Debug Build, Pre-Release Build, Patched Build, Private Build, InfoInferred, Special Build");
  Use(Sample(0x02));
  Label.SetShowInfoPrefix(false);
  EXPECT_EQ(Label.InfoString(), "Pre-Release Build");

  TVersionBlockWriter noFixed;
  noFixed.Translation({{0x0409, 0x04E4}});
  Use(noFixed);
  EXPECT_EQ(Label.InfoString(), "< Error retrieving fixed version info >");
  Use(TVersionBlockWriter().Raw("\\", "01"));
  EXPECT_EQ(Label.InfoString(), "");
  // Too short to hold the flags word: not read past its end.
  Use(TVersionBlockWriter().Raw("\\", "FEEF04BD 00010000"));
  EXPECT_EQ(Label.InfoString(), "< Error retrieving fixed version info >");
}

TEST_F(VersionLabelTest, ShortFileVersion) {
  const std::pair<const char*, const char*> cases[] = {
      {"3.7.0.12", "v 3.07"}, {"7", "v 7.00"},   {"12.345.1", "v 12.345"},
      {"x.5.1", "v 0.05"},    {"2.beta", "v 2.00"}, {"-1.3", "v -1.03"},
  };
  // The program's own table would be kept once read; the sample files use this one.
  Label.SetLangCharset("040904E4");
  Label.SetVersionResource(vrShortFileVersion);
  for (const auto& [version, text] : cases) {
    Use(Sample(0, version));
    EXPECT_EQ(Label.InfoString(), text) << version;
  }
}

TEST_F(VersionLabelTest, FileSizeWithThePatternAndTheLocalesSeparators) {
  const std::string block = InProgram(Sample().Block());
  Use(block + std::string(1060864 - block.size(), '\0'), "big.exe");
  EXPECT_EQ(Show(vrFileSize), "File Size: 1,060,864 Bytes");
  Label.setLocale(QLocale(QLocale::German, QLocale::Germany));
  Label.SetFileSizeFormat("#,##0.00 'B'");
  EXPECT_EQ(Label.InfoString(), "File Size: 1.060.864,00 B");
  Label.SetFileSizeFormat("");
  EXPECT_EQ(Label.FileSizeFormat(), "#,##0.00 'B'");
}

TEST_F(VersionLabelTest, FileDateWithThePattern) {
  const QString path = Use(Sample());
  const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
  }
  Label.SetDateTimeFormat("yyyy-MM-dd hh:mm:ss");
  EXPECT_EQ(Show(vrDateTime), "File Date/Time: 2024-03-05 14:07:09");
  Label.SetDateTimeFormat("");
  EXPECT_EQ(Label.DateTimeFormat(), "yyyy-MM-dd hh:mm:ss");
  Label.SetDateTimeFormat(Label.locale().dateFormat(QLocale::ShortFormat));
  EXPECT_EQ(Label.InfoString(), "File Date/Time: 3/5/24");
}

TEST_F(VersionLabelTest, WhichWritesRecomputeTheText) {
  const QString path = Use(Sample(0, "1.0"));
  EXPECT_EQ(Label.InfoString(), "File Version: 1.0");
  WriteFile(path.toStdString(), InProgram(Sample(0, "2.0").Block()));
  // Writes of unchanged values leave the text as it was.
  Label.SetInfoPrefix("File Version:");
  Label.SetShowInfoPrefix(true);
  Label.SetLangCharset(Label.LangCharset());
  Label.SetVersionResource(vrFileVersion);
  EXPECT_EQ(Label.InfoString(), "File Version: 1.0");
  // The file name is always a reason.
  Label.SetFilename(path);
  EXPECT_EQ(Label.InfoString(), "File Version: 2.0");
  WriteFile(path.toStdString(), InProgram(Sample(0, "3.0").Block()));
  Label.SetInfoPrefix("Version");
  EXPECT_EQ(Label.InfoString(), "Version 3.0");
  EXPECT_EQ(Label.text(), "Version 3.0");
  EXPECT_EQ(Label.size(), Label.sizeHint());
}

TEST_F(VersionLabelTest, ProgramsOwnFileByDefault) {
  TzekVersionLabel label;
  label.SetVersionResource(vrProductVersion);
  EXPECT_EQ(label.InfoString(), QStringLiteral("Product Version: " PLASHBOX_VERSION));
  label.SetShowInfoPrefix(false);
  label.SetVersionResource(vrLegalCopyright);
  EXPECT_TRUE(label.InfoString().startsWith("Copyright"));
  EXPECT_EQ(label.LangCharset(), "0409FDE9");
}

TEST(FormatNumberPatternTest, PlaceholdersSectionsAndText) {
  const QLocale us(QLocale::English, QLocale::UnitedStates);
  const QLocale de(QLocale::German, QLocale::Germany);
  const QString bytes = "#,#0\" Bytes\"";
  EXPECT_EQ(FormatNumberPattern(bytes, 0, us), "0 Bytes");
  EXPECT_EQ(FormatNumberPattern(bytes, 999, us), "999 Bytes");
  EXPECT_EQ(FormatNumberPattern(bytes, 1000, us), "1,000 Bytes");
  EXPECT_EQ(FormatNumberPattern(bytes, 1060864, us), "1,060,864 Bytes");
  EXPECT_EQ(FormatNumberPattern(bytes, 1060864, de), "1.060.864 Bytes");
  EXPECT_EQ(FormatNumberPattern(bytes, 4294967296.0 * 3, us), "12,884,901,888 Bytes");
  EXPECT_EQ(FormatNumberPattern("0.00", 3.14159, us), "3.14");
  EXPECT_EQ(FormatNumberPattern("0.00", 3.14159, de), "3,14");
  EXPECT_EQ(FormatNumberPattern("#.##", 2.5, us), "2.5");
  EXPECT_EQ(FormatNumberPattern("#.##", 0, us), "");
  EXPECT_EQ(FormatNumberPattern("0000", 42, us), "0042");
  EXPECT_EQ(FormatNumberPattern("'#'0", 7, us), "#7");
  EXPECT_EQ(FormatNumberPattern("#,##0", -1234, us), "-1,234");
  EXPECT_EQ(FormatNumberPattern("0;(0);'zero'", 5, us), "5");
  EXPECT_EQ(FormatNumberPattern("0;(0);'zero'", -5, us), "(5)");
  EXPECT_EQ(FormatNumberPattern("0;(0);'zero'", 0, us), "zero");
  EXPECT_EQ(FormatNumberPattern("0 \"a;b\"", 1, us), "1 a;b");
  EXPECT_EQ(FormatNumberPattern("\"only text\"", 12, us), "only text");
}

}  // namespace
}  // namespace plashbox
