#include "panels/verslab.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "frame/VersionInfo.h"

namespace plashbox {

namespace {

const QString NoDataText = QStringLiteral("< No Data Available >");
const QString VersionInfoErrorText = QStringLiteral("< Error retrieving version info >");
const QString FixedInfoErrorText = QStringLiteral("< Error retrieving fixed version info >");
const QString TranslationErrorText = QStringLiteral("< Error retrieving translation info >");
const QString StringInfoErrorText = QStringLiteral("< Error retrieving string version info >");
const QString NoVersionInfoText = QStringLiteral("< No Version Info >");
const QString FileHandleErrorText = QStringLiteral("<Error getting file handle>");

struct TFileFlagName {
  uint32_t Bit;
  const char* Text;
};
constexpr TFileFlagName FileFlagNames[] = {
    {0x01, ", Debug Build"},   {0x02, ", Pre-Release Build"}, {0x04, ", Patched Build"},
    {0x08, ", Private Build"}, {0x10, ", InfoInferred"},      {0x20, ", Special Build"},
};

uint32_t LittleEndianWord(std::string_view Bytes, size_t Offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= uint32_t{static_cast<uint8_t>(Bytes[Offset + i])} << (8 * i);
  return value;
}

// A decimal number, or 0 when the text is not one.
int ShortVersionNumber(const QString& Text) {
  const std::string digits = Text.toStdString();
  int value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return error == std::errc() && end == digits.data() + digits.size() ? value : 0;
}

QString ShortFileVersion(const QString& Version) {
  const qsizetype dot = Version.indexOf(u'.');
  const int major = ShortVersionNumber(dot < 0 ? Version : Version.left(dot));
  const QString rest = dot < 0 ? QString() : Version.mid(dot + 1);
  const qsizetype next = rest.indexOf(u'.');
  const int minor = ShortVersionNumber(next < 0 ? rest : rest.left(next));
  return QString::asprintf("%d.%.2d", major, minor);
}

std::filesystem::path LocalPath(const QString& File) {
  return std::filesystem::path(QFile::encodeName(File).toStdString());
}

}  // namespace

TzekVersionLabel::TzekVersionLabel(QWidget* Parent) : QLabel(Parent) {
  VersionResourceKey_ = QString::fromLatin1(VersionResourceTable[vrFileVersion].Key);
  InfoPrefix_ = QString::fromLatin1(VersionResourceTable[vrFileVersion].Prefix);
  DateTimeFormat_ = locale().dateFormat(QLocale::ShortFormat);
  setWordWrap(false);
  // Version strings are shown as they are, never read as markup.
  setTextFormat(Qt::PlainText);
}

void TzekVersionLabel::SetVersionResource(TVersionResources Value) {
  VersionResource_ = Value;
  SetVersionResourceKey(QString::fromLatin1(VersionResourceTable[Value].Key));
  SetInfoPrefix(QString::fromUtf8(VersionResourceTable[Value].Prefix));
}

void TzekVersionLabel::SetInfoPrefix(const QString& Value) {
  if (Value == InfoPrefix_) return;
  InfoPrefix_ = Value;
  RefreshInfo();
}

void TzekVersionLabel::SetShowInfoPrefix(bool Value) {
  if (Value == ShowInfoPrefix_) return;
  ShowInfoPrefix_ = Value;
  RefreshInfo();
}

void TzekVersionLabel::SetVersionResourceKey(const QString& Value) {
  if (Value == VersionResourceKey_) return;
  VersionResourceKey_ = Value;
  SetInfoPrefix(Value);
}

void TzekVersionLabel::SetLangCharset(const QString& Value) {
  if (Value == LangCharset_) return;
  LangCharset_ = Value;
  RefreshInfo();
}

void TzekVersionLabel::SetFilename(const QString& Value) {
  Filename_ = Value;
  RefreshInfo();
}

void TzekVersionLabel::SetDateTimeFormat(const QString& Value) {
  if (Value.isEmpty()) return;
  DateTimeFormat_ = Value;
  RefreshInfo();
}

void TzekVersionLabel::SetFileSizeFormat(const QString& Value) {
  if (Value.isEmpty()) return;
  FileSizeFormat_ = Value;
  RefreshInfo();
}

void TzekVersionLabel::SetAutoSize(bool Value) {
  AutoSize_ = Value;
  if (AutoSize_) adjustSize();
}

void TzekVersionLabel::RefreshInfo() {
  InfoString_ = ComputeInfo();
  setText(InfoString_);
  if (AutoSize_) adjustSize();
}

QString TzekVersionLabel::FileToDescribe() const {
  if (!Filename_.isEmpty()) return Filename_;
  if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
  return QFile::decodeName(QByteArray::fromStdString(OwnExecutablePath().string()));
}

QString TzekVersionLabel::ComputeInfo() {
  const QString item = ComputeItem();
  return ShowInfoPrefix_ ? InfoPrefix_ + u' ' + item : item;
}

QString TzekVersionLabel::ComputeItem() {
  const QString file = FileToDescribe();
  TVersionInfo info;
  const TVersionInfoStatus status = TVersionInfo::ReadFile(LocalPath(file), info);
  if (status == TVersionInfoStatus::NoData || (status == TVersionInfoStatus::Ok && info.Size() == 0))
    return NoDataText;
  if (status == TVersionInfoStatus::ReadError) return VersionInfoErrorText;

  std::string_view value;
  uint32_t length = 0;
  switch (VersionResource_) {
    case vrFlags: {
      if (!info.QueryValue("\\", value, length)) return FixedInfoErrorText;
      if (length < 2) return QString();
      // A fixed block too short to hold the flags word is broken, not flagless.
      if (length < FixedFileFlagsOffset + 4) return FixedInfoErrorText;
      const uint32_t flags = LittleEndianWord(value, FixedFileFlagsOffset);
      QString text;
      for (const TFileFlagName& name : FileFlagNames)
        if (flags & name.Bit) text += QString::fromLatin1(name.Text);
      if (text.startsWith(u',')) text.remove(0, 2);
      return text;
    }
    case vrDateTime:
    case vrFileSize: {
      QFile handle(file);
      if (!handle.open(QIODevice::ReadOnly)) return FileHandleErrorText;
      if (VersionResource_ == vrDateTime)
        return locale().toString(handle.fileTime(QFileDevice::FileModificationTime), DateTimeFormat_);
      return FormatNumberPattern(FileSizeFormat_, static_cast<double>(handle.size()), locale());
    }
    default:
      break;
  }

  if (LangCharset_ == QLatin1String("-1")) {
    if (!info.QueryValue("\\VarFileInfo\\Translation", value, length) || length < 4) return TranslationErrorText;
    const auto word = [&](size_t i) {
      return static_cast<unsigned>(static_cast<uint8_t>(value[i]) | static_cast<uint8_t>(value[i + 1]) << 8);
    };
    // Kept for later texts without showing anything new now.
    LangCharset_ = QString::asprintf("%04X%04X", word(0), word(2));
  }
  const std::string path =
      ("\\StringFileInfo\\" + LangCharset_ + u'\\' + VersionResourceKey_).toUtf8().toStdString();
  if (!info.QueryValue(path, value, length)) return StringInfoErrorText;
  if (length < 2) return NoVersionInfoText;
  const std::string_view shown = value.substr(0, length);
  QString text = QString::fromUtf8(shown.data(), static_cast<qsizetype>(strnlen(shown.data(), shown.size())));
  if (VersionResource_ == vrShortFileVersion) text = ShortFileVersion(text);
  return text;
}

QString FormatNumberPattern(const QString& Pattern, double Value, const QLocale& Locale) {
  // Sections: positive (and all values when alone); negative; zero.
  QStringList sections{QString()};
  for (qsizetype i = 0; i < Pattern.size(); ++i) {
    const QChar c = Pattern[i];
    if (c == u'"' || c == u'\'') {
      const qsizetype close = Pattern.indexOf(c, i + 1);
      const qsizetype end = close < 0 ? Pattern.size() : close + 1;
      sections.back() += Pattern.mid(i, end - i);
      i = end - 1;
    } else if (c == u';' && sections.size() < 3) {
      sections.append(QString());
    } else {
      sections.back() += c;
    }
  }
  QString section = sections[0];
  bool minus = Value < 0;
  if (Value < 0 && sections.size() > 1 && !sections[1].isEmpty()) {
    section = sections[1];
    minus = false;
  } else if (Value == 0 && sections.size() > 2 && !sections[2].isEmpty()) {
    section = sections[2];
  }

  QString prefix, suffix;
  bool seenNumber = false, seenPoint = false, grouping = false;
  int wholePlaceholders = 0, firstWholeZero = -1, decimals = 0, forcedDecimals = 0;
  for (qsizetype i = 0; i < section.size(); ++i) {
    const QChar c = section[i];
    QString literal;
    if (c == u'"' || c == u'\'') {
      const qsizetype close = section.indexOf(c, i + 1);
      const qsizetype end = close < 0 ? section.size() : close;
      literal = section.mid(i + 1, end - i - 1);
      i = end;
    } else if (c == u'0' || c == u'#') {
      seenNumber = true;
      if (seenPoint) {
        // More decimals than a double holds would only print noise.
        if (decimals < 30) ++decimals;
        if (c == u'0') forcedDecimals = decimals;
      } else {
        if (c == u'0' && firstWholeZero < 0) firstWholeZero = wholePlaceholders;
        ++wholePlaceholders;
      }
      continue;
    } else if (c == u'.' && !seenPoint) {
      seenNumber = seenPoint = true;
      continue;
    } else if (c == u',') {
      if (!seenPoint) grouping = true;
      continue;
    } else {
      literal = c;
    }
    (seenNumber ? suffix : prefix) += literal;
  }
  if (!seenNumber) return prefix;

  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, std::fabs(Value));
  std::string digits = buffer;
  const size_t point = digits.find('.');
  std::string whole = digits.substr(0, point);
  std::string fraction = point == std::string::npos ? std::string() : digits.substr(point + 1);
  while (fraction.size() > static_cast<size_t>(forcedDecimals) && fraction.back() == '0') fraction.pop_back();
  const size_t minWhole = firstWholeZero < 0 ? 0 : static_cast<size_t>(wholePlaceholders - firstWholeZero);
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
  if (whole.size() < minWhole) whole.insert(0, minWhole - whole.size(), '0');
  if (minus && whole.find_first_not_of('0') == std::string::npos && fraction.find_first_not_of('0') == std::string::npos)
    minus = false;

  QString number;
  for (size_t i = 0; i < whole.size(); ++i) {
    if (grouping && i > 0 && (whole.size() - i) % 3 == 0) number += Locale.groupSeparator();
    number += QChar::fromLatin1(whole[i]);
  }
  if (!fraction.empty()) number += Locale.decimalPoint() + QString::fromLatin1(fraction);
  return (minus ? Locale.negativeSign() : QString()) + prefix + number + suffix;
}

}  // namespace plashbox
