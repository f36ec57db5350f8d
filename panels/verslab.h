// panels/: the Qt widgets and the tank objects' control panels.
// A label showing one item of a file's version information, or the file's date or size,
// optionally after a caption such as "Product Version:". Look and layout are the QLabel's;
// the label only computes its text, and only when a property write asks for it.
#pragma once

#include <QLabel>
#include <QLocale>
#include <QString>

#include <cstdint>

namespace plashbox {

enum TVersionResources : uint8_t {
  vrCompanyName,
  vrFileDescription,
  vrFileVersion,
  vrInternalName,
  vrLegalCopyright,
  vrOriginalFilename,
  vrProductName,
  vrProductVersion,
  vrComments,
  vrFlags,
  vrShortFileVersion,
  vrDateTime,
  vrFileSize,
};

struct TVersionResourceInfo {
  const char* Key;
  const char* Prefix;
};
// The key looked up and the caption shown for each item, in declaration order.
inline constexpr TVersionResourceInfo VersionResourceTable[] = {
    {"CompanyName", "Company Name:"},
    {"FileDescription", "File Description:"},
    {"FileVersion", "File Version:"},
    {"InternalName", "Internal Name:"},
    {"LegalCopyright", "Legal Copyright:"},
    {"OriginalFilename", "Original Filename:"},
    {"ProductName", "Product Name:"},
    {"ProductVersion", "Product Version:"},
    {"Comments", "Comments:"},
    {"Flags", "Flags:"},
    {"FileVersion", "v"},
    {"DateTime", "File Date/Time:"},
    {"Filesize", "File Size:"},
};

class TzekVersionLabel : public QLabel {
  Q_OBJECT

 public:
  // Shows the program's own file version once a property write asks for a text.
  explicit TzekVersionLabel(QWidget* Parent = nullptr);

  TVersionResources VersionResource() const { return VersionResource_; }
  // Also sets the key and the caption of the item.
  void SetVersionResource(TVersionResources Value);
  QString InfoPrefix() const { return InfoPrefix_; }
  void SetInfoPrefix(const QString& Value);
  bool ShowInfoPrefix() const { return ShowInfoPrefix_; }
  void SetShowInfoPrefix(bool Value);
  // A custom key becomes the caption as well.
  QString VersionResourceKey() const { return VersionResourceKey_; }
  void SetVersionResourceKey(const QString& Value);
  // Eight hexadecimal digits, language then code page, or "-1" for the file's first
  // translation (replaced by that translation once it has been read).
  QString LangCharset() const { return LangCharset_; }
  void SetLangCharset(const QString& Value);
  // Empty: the program's own file. Every write recomputes the text.
  QString Filename() const { return Filename_; }
  void SetFilename(const QString& Value);
  // A QLocale date-time pattern; the locale's short date pattern at first.
  QString DateTimeFormat() const { return DateTimeFormat_; }
  void SetDateTimeFormat(const QString& Value);
  // A number pattern of digit placeholders and quoted text (see FormatNumberPattern).
  QString FileSizeFormat() const { return FileSizeFormat_; }
  void SetFileSizeFormat(const QString& Value);
  // The label follows the size of its text; on at first.
  bool AutoSize() const { return AutoSize_; }
  void SetAutoSize(bool Value);

  // The text last shown.
  QString InfoString() const { return InfoString_; }
  // Recomputes the text now, for example after the file has changed.
  void RefreshInfo();

  // The text as it would be shown, without showing it (LangCharset "-1" is still resolved).
  QString ComputeInfo();

 private:
  QString FileToDescribe() const;
  QString ComputeItem();

  TVersionResources VersionResource_ = vrFileVersion;
  QString InfoPrefix_;
  bool ShowInfoPrefix_ = true;
  QString VersionResourceKey_;
  QString LangCharset_ = QStringLiteral("-1");
  QString InfoString_;
  QString Filename_;
  QString DateTimeFormat_;
  QString FileSizeFormat_ = QStringLiteral("#,#0\" Bytes\"");
  bool AutoSize_ = true;
};

// A number written after a pattern of the usual spreadsheet kind: "0" a digit always shown,
// "#" a digit shown when significant, "," anywhere in the whole part groups thousands, "." the
// decimal point, text in double or single quotes as it stands, other characters as they stand;
// up to three sections separated by ";" for positive, negative and zero values. Text before the
// first placeholder precedes the number and all other text follows it. The separators are the
// locale's.
QString FormatNumberPattern(const QString& Pattern, double Value, const QLocale& Locale);

}  // namespace plashbox
