// make_manual: typesets the manual from its Markdown text into an A4 PDF.
//
//   make_manual --input manual.md --output "Plashbox Manual.pdf" --images <folder>...
//               [--version 1.2.3] [--report included.txt]
//
// Pictures are looked up by name in the --images folders, in order. A figure whose picture is
// missing is left out with its caption, so the manual builds whichever screenshots exist; the
// report lists what went in and what was left out. A paragraph "[[TOC]]" becomes the table of
// contents with page numbers; every level-1 heading after the title starts a new page. The tool
// needs a QGuiApplication for fonts; the build runs it with QT_QPA_PLATFORM=offscreen.
#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "frame/FileWriting.h"

namespace {

// Page geometry in millimetres. The footer lives in the bottom strip of the printable area.
constexpr double MarginLeft = 20, MarginRight = 20, MarginTop = 18, MarginBottom = 12;
constexpr double FooterStrip = 10;
constexpr int Resolution = 300;
// Pictures are laid out in 1/96 inch; 170 mm of text width holds 642 of them.
constexpr double MaxPictureWidth = 600;

const QColor HeadingColour(0x23, 0x39, 0x4f);
const QColor RuleColour(0xb8, 0xc4, 0xcf);
const QString TocMarker = QStringLiteral("[[TOC]]");
const QString PageNumberPlaceholder = QStringLiteral("000");

struct TOptions {
  QString Input, Output, Version, Report;
  QStringList ImageFolders;
};

struct TFigure {
  QString Path;
  std::optional<double> Width;  // from the title "width=N", in 1/96 inch
};

struct TPrepared {
  QString Markdown;
  std::map<QString, TFigure> Figures;  // by the name the text uses
  QStringList Included, LeftOut;
};

[[noreturn]] void Fail(const QString& Message) { throw std::runtime_error(Message.toStdString()); }

TOptions ParseOptions(const QStringList& Args) {
  TOptions options;
  for (int i = 1; i < Args.size(); ++i) {
    const QString& arg = Args[i];
    if (i + 1 >= Args.size()) Fail("missing value after " + arg);
    const QString& value = Args[++i];
    if (arg == "--input") options.Input = value;
    else if (arg == "--output") options.Output = value;
    else if (arg == "--images") options.ImageFolders << value;
    else if (arg == "--version") options.Version = value;
    else if (arg == "--report") options.Report = value;
    else Fail("unknown option " + arg);
  }
  if (options.Input.isEmpty() || options.Output.isEmpty())
    Fail("usage: make_manual --input <manual.md> --output <file.pdf> --images <folder>... "
         "[--version <text>] [--report <file>]");
  return options;
}

QString ReadText(const QString& Path) {
  QFile file(Path);
  if (!file.open(QIODevice::ReadOnly)) Fail("cannot read " + Path);
  return QString::fromUtf8(file.readAll());
}

QString FindPicture(const QStringList& Folders, const QString& Name) {
  for (const QString& folder : Folders) {
    const QFileInfo info(folder + '/' + Name);
    if (info.isFile()) return info.absoluteFilePath();
  }
  return {};
}

bool IsCaption(const QString& Line) {
  const QString text = Line.trimmed();
  return text.size() > 2 && text.startsWith('*') && text.endsWith('*');
}

// Keeps the figures whose pictures exist; a missing one goes with the caption line that follows
// it (after at most one blank line). Titles of the form "width=N" are taken off and remembered.
TPrepared Prepare(const QString& Text, const TOptions& Options) {
  static const QRegularExpression figure(
      QStringLiteral(R"re(^\s*!\[([^\]]*)\]\(([^)\s]+)(?:\s+"([^"]*)")?\)\s*$)re"));
  static const QRegularExpression widthTitle(QStringLiteral(R"re(^width=(\d+(?:\.\d+)?)$)re"));

  TPrepared prepared;
  QStringList lines = QString(Text).replace("@PROJECT_VERSION@", Options.Version).split('\n');
  QStringList kept;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QRegularExpressionMatch match = figure.match(lines[i]);
    if (!match.hasMatch()) {
      kept << lines[i];
      continue;
    }
    const QString name = match.captured(2);
    const QString path = FindPicture(Options.ImageFolders, name);
    if (path.isEmpty()) {
      if (!prepared.LeftOut.contains(name)) prepared.LeftOut << name;
      qsizetype next = i + 1;
      if (next < lines.size() && lines[next].trimmed().isEmpty()) ++next;
      if (next < lines.size() && IsCaption(lines[next])) i = next;
      continue;
    }
    TFigure entry{path, std::nullopt};
    const QRegularExpressionMatch width = widthTitle.match(match.captured(3));
    if (width.hasMatch()) entry.Width = width.captured(1).toDouble();
    prepared.Figures[name] = entry;
    if (!prepared.Included.contains(name)) prepared.Included << name;
    kept << QStringLiteral("![%1](%2)").arg(match.captured(1), name);
  }
  prepared.Markdown = kept.join('\n');
  return prepared;
}

// Pictures become document resources at their natural size, or narrower when the text asks for
// it or the page is too narrow; they are never enlarged.
void AddPictures(QTextDocument& Doc, const TPrepared& Prepared) {
  std::map<QString, QSizeF> sizes;
  for (const auto& [name, figure] : Prepared.Figures) {
    QImage image(figure.Path);
    if (image.isNull()) Fail("cannot read the picture " + figure.Path);
    Doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
    double width = std::min<double>(image.width(), MaxPictureWidth);
    if (figure.Width) width = std::min(width, *figure.Width);
    sizes[name] = QSizeF(width, width * image.height() / image.width());
  }
  for (QTextBlock block = Doc.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      QTextImageFormat format = fragment.charFormat().toImageFormat();
      if (!format.isValid()) continue;
      const auto size = sizes.find(format.name());
      if (size == sizes.end()) continue;
      format.setWidth(size->second.width());
      format.setHeight(size->second.height());
      QTextCursor cursor(&Doc);
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(format);
    }
  }
}

bool HoldsOnlyPicture(const QTextBlock& Block) {
  bool picture = false;
  for (auto it = Block.begin(); !it.atEnd(); ++it) {
    const QTextFragment fragment = it.fragment();
    if (fragment.charFormat().isImageFormat()) picture = true;
    else if (!fragment.text().trimmed().isEmpty()) return false;
  }
  return picture;
}

bool IsItalicLine(const QTextBlock& Block) {
  if (Block.text().trimmed().isEmpty()) return false;
  for (auto it = Block.begin(); !it.atEnd(); ++it)
    if (!it.fragment().charFormat().fontItalic()) return false;
  return true;
}

// Headings below chapter level stay with the paragraph after them, pictures with their caption.
bool KeepsWithNext(const QTextBlock& Block, const QTextBlock& Next) {
  if (Block.blockFormat().headingLevel() > 1) return true;
  return HoldsOnlyPicture(Block) && IsItalicLine(Next);
}

void Style(QTextDocument& Doc) {
  int chapters = 0;
  bool afterPicture = false;
  for (QTextBlock block = Doc.begin(); block.isValid(); block = block.next()) {
    QTextCursor cursor(block);
    QTextBlockFormat format = block.blockFormat();
    const int level = format.headingLevel();
    if (level == 1 && chapters++ > 0) format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    // Everything before the first chapter is the title page.
    if (chapters <= 1 && !block.textList()) format.setAlignment(Qt::AlignHCenter);
    if (level > 0) {
      format.setTopMargin(level == 1 ? 0 : 14);
      format.setBottomMargin(6);
      QTextCharFormat heading;
      heading.setForeground(HeadingColour);
      cursor.select(QTextCursor::BlockUnderCursor);
      cursor.mergeCharFormat(heading);
      cursor = QTextCursor(block);
    }
    const bool picture = HoldsOnlyPicture(block);
    if (picture || (afterPicture && IsItalicLine(block))) {
      format.setAlignment(Qt::AlignHCenter);
      format.setTopMargin(picture ? 8 : 2);
      format.setBottomMargin(picture ? 2 : 10);
    }
    if (format.hasProperty(QTextFormat::BlockCodeFence)) {
      format.setBackground(QColor(0xf2, 0xf4, 0xf6));
      format.setLeftMargin(12);
    }
    afterPicture = picture;
    cursor.setBlockFormat(format);
  }

  for (QTextFrame::iterator it = Doc.rootFrame()->begin(); !it.atEnd(); ++it) {
    auto* table = qobject_cast<QTextTable*>(it.currentFrame());
    if (!table) continue;
    QTextTableFormat format = table->format();
    format.setBorder(1);
    format.setBorderBrush(RuleColour);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellPadding(3);
    format.setCellSpacing(0);
    format.setHeaderRowCount(1);
    format.setTopMargin(4);
    format.setBottomMargin(8);
    table->setFormat(format);
    for (int column = 0; column < table->columns(); ++column) {
      QTextTableCellFormat cell = table->cellAt(0, column).format().toTableCellFormat();
      cell.setBackground(QColor(0xee, 0xf2, 0xf6));
      table->cellAt(0, column).setFormat(cell);
    }
  }
}

struct TTocEntry {
  QString Title;
  int Level;
  QTextBlock Heading;
  QTextBlock Line;
};

// Replaces the "[[TOC]]" paragraph with one line per heading of level 1 and 2 that follows it,
// each ending in its page number behind a right-aligned tab; a placeholder as wide as any page
// number stands in while the numbers are not known yet.
std::vector<TTocEntry> InsertContents(QTextDocument& Doc, double TextWidth,
                                      const std::vector<int>& Pages) {
  std::vector<TTocEntry> entries;
  QTextBlock marker;
  for (QTextBlock block = Doc.begin(); block.isValid(); block = block.next())
    if (block.text().trimmed() == TocMarker) marker = block;
  if (!marker.isValid()) return entries;

  for (QTextBlock block = marker.next(); block.isValid(); block = block.next()) {
    const int level = block.blockFormat().headingLevel();
    if (level == 1 || level == 2) entries.push_back({block.text().trimmed(), level, block, {}});
  }

  QTextCursor cursor(marker);
  cursor.select(QTextCursor::BlockUnderCursor);
  cursor.movePosition(QTextCursor::StartOfBlock);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  for (size_t i = 0; i < entries.size(); ++i) {
    TTocEntry& entry = entries[i];
    QTextBlockFormat format;
    const double indent = entry.Level == 1 ? 0 : 60;
    const double tab = TextWidth - 2 * Doc.documentMargin() - indent - 4;
    format.setTabPositions({QTextOption::Tab(tab, QTextOption::RightTab)});
    format.setLeftMargin(indent);
    format.setTopMargin(entry.Level == 1 ? 5 : 0);
    QTextCharFormat text;
    text.setFontWeight(entry.Level == 1 ? QFont::Bold : QFont::Normal);
    if (i == 0) {
      cursor.setBlockFormat(format);
      cursor.setBlockCharFormat(text);
    } else {
      cursor.insertBlock(format, text);
    }
    const QString page = i < Pages.size() ? QString::number(Pages[i]) : PageNumberPlaceholder;
    cursor.insertText(entry.Title + '\t' + page, text);
    entry.Line = cursor.block();
  }
  return entries;
}

int PageOf(QTextDocument& Doc, const QTextBlock& Block) {
  const QRectF box = Doc.documentLayout()->blockBoundingRect(Block);
  return static_cast<int>(std::floor(box.top() / Doc.pageSize().height())) + 1;
}

// The page on which a line of a laid-out block ends; a negative index counts from the last line.
int PageOfLine(QTextDocument& Doc, const QTextBlock& Block, int Index) {
  const QTextLayout* layout = Block.layout();
  if (!layout || layout->lineCount() == 0) return PageOf(Doc, Block);
  const int line = Index < 0 ? layout->lineCount() + Index : Index;
  const double top = Doc.documentLayout()->blockBoundingRect(Block).top();
  const double bottom = top + layout->lineAt(line).rect().bottom() - 1;
  return static_cast<int>(std::floor(bottom / Doc.pageSize().height())) + 1;
}

void WriteReport(const TOptions& Options, const TPrepared& Prepared, int Pages) {
  std::printf("make_manual: %d pages, %lld pictures", Pages,
              static_cast<long long>(Prepared.Included.size()));
  if (!Prepared.LeftOut.isEmpty())
    std::printf("; left out for want of the file: %s", qPrintable(Prepared.LeftOut.join(", ")));
  std::printf("\n");
  if (Options.Report.isEmpty()) return;
  QFile report(Options.Report);
  if (!report.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
    Fail("cannot write " + Options.Report);
  QString text = QStringLiteral("pages %1\n").arg(Pages);
  for (const QString& name : Prepared.Included) text += "included " + name + '\n';
  for (const QString& name : Prepared.LeftOut) text += "left-out " + name + '\n';
  report.write(text.toUtf8());
}

int Run(const TOptions& Options) {
  const TPrepared prepared = Prepare(ReadText(Options.Input), Options);

  // Typeset in memory and written whole at the end: a failed run leaves no PDF behind.
  QBuffer pdf;
  pdf.open(QIODevice::WriteOnly);
  QPdfWriter writer(&pdf);
  writer.setResolution(Resolution);
  writer.setTitle(QStringLiteral("Plashbox Manual"));
  writer.setCreator(QStringLiteral("Plashbox make_manual"));
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                   QMarginsF(MarginLeft, MarginTop, MarginRight, MarginBottom),
                                   QPageLayout::Millimeter));
  const QRect printable = writer.pageLayout().paintRectPixels(Resolution);
  const double perMillimetre = Resolution / 25.4;
  const QSizeF page(printable.width(), printable.height() - FooterStrip * perMillimetre);

  QFont body;
  body.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Arial"), QStringLiteral("Sans Serif")});
  body.setPointSizeF(10);
  // The document is laid out with placeholders for the page numbers of the contents, and then
  // built afresh with the numbers found, until nothing moves; the contents keep their length, so
  // the numbers hold. A heading or a picture that the layout leaves at the foot of a page, apart
  // from what it belongs to, starts a new page in the next round. Each document is complete
  // before it is laid out: edits after a layout may leave blocks without lines.
  std::vector<int> numbers;
  std::set<int> breaks;
  std::unique_ptr<QTextDocument> doc;
  for (int pass = 0; pass < 8; ++pass) {
    doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(body);
    doc->documentLayout()->setPaintDevice(&writer);
    doc->setMarkdown(prepared.Markdown, QTextDocument::MarkdownDialectGitHub);
    AddPictures(*doc, prepared);
    Style(*doc);
    // Lengths inside the document (margins, tabs, picture sizes) are in 1/96 inch; the layout
    // scales them to the writer's resolution.
    const std::vector<TTocEntry> contents =
        InsertContents(*doc, page.width() * 96 / Resolution, numbers);
    for (const int number : breaks) {
      const QTextBlock block = doc->findBlockByNumber(number);
      QTextBlockFormat format = block.blockFormat();
      format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
      QTextCursor(block).setBlockFormat(format);
    }
    doc->setPageSize(page);
    doc->pageCount();

    std::vector<int> found;
    for (const TTocEntry& entry : contents) found.push_back(PageOf(*doc, entry.Heading));
    bool moved = false;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
      const QTextBlock next = block.next();
      if (!next.isValid() || !KeepsWithNext(block, next)) continue;
      // A caption must stay whole with its picture; a heading needs the first line after it.
      const int nextLine = IsItalicLine(next) ? -1 : 0;
      if (PageOfLine(*doc, next, nextLine) == PageOfLine(*doc, block, -1)) continue;
      // The page breaks before the first block of the run that belongs together (a heading, its
      // picture, the caption), and only there.
      QTextBlock head = block;
      while (head.previous().isValid() && KeepsWithNext(head.previous(), head)) head = head.previous();
      for (QTextBlock member = head.next(); member != next; member = member.next())
        breaks.erase(member.blockNumber());
      moved |= breaks.insert(head.blockNumber()).second;
    }
    if (found == numbers && !moved) break;
    numbers = found;
  }
  const int pages = doc->pageCount();
  QPainter painter;
  if (!painter.begin(&writer)) Fail("cannot write " + Options.Output);
  QFont footer = body;
  footer.setPointSizeF(8);
  for (int i = 0; i < pages; ++i) {
    if (i > 0) writer.newPage();
    painter.save();
    const QRectF clip(0, i * page.height(), page.width(), page.height());
    painter.translate(0, -clip.top());
    painter.setClipRect(clip);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    doc->documentLayout()->draw(&painter, context);
    painter.restore();
    if (i == 0) continue;  // the title page carries no footer
    const double top = page.height() + 3 * perMillimetre;
    painter.setPen(QPen(RuleColour, 0.3 * perMillimetre));
    painter.drawLine(QPointF(0, top), QPointF(page.width(), top));
    painter.setPen(Qt::darkGray);
    painter.setFont(footer);
    const QRectF line(0, top + 1 * perMillimetre, page.width(), 5 * perMillimetre);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Plashbox Manual %1").arg(Options.Version));
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages));
  }
  if (!painter.end()) Fail("cannot finish " + Options.Output);
  plashbox::WriteFileAtomically(Options.Output.toStdString(),
                                std::string_view(pdf.data().constData(), size_t(pdf.data().size())));
  WriteReport(Options, prepared, pages);
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication app(argc, argv);
  try {
    return Run(ParseOptions(QGuiApplication::arguments()));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_manual: %s\n", error.what());
    return 1;
  }
}
