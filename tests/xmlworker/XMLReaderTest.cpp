#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "XMLFuzzHarness.h"
#include "XMLSampleNodes.h"
#include "xmlworker/XMLWorker.h"

using namespace plashbox;
using namespace plashbox::samples;

namespace {

std::string ReadFile(const std::filesystem::path& Path) {
  std::ifstream in(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Sep(std::string Text) {
  for (char& c : Text)
    if (c == '.') c = DecimalSeparator();
  return Text;
}

std::string Saved(iXMLNode& Node, bool Format = true) {
  std::ostringstream out;
  Node.SaveToStream(out, Format, 0);
  return out.str();
}

void Load(iXMLNode& Node, const std::string& Text, bool SkipUnknown = false) {
  RegisterSampleNodes();
  std::istringstream in(Text);
  if (SkipUnknown)
    Node.LoadFromStreamSkipUnknows(in);
  else
    Node.LoadFromStream(in);
}

// The message of the parsing error that reading Text into Node raises.
std::string ParseError(iXMLNode& Node, const std::string& Text, bool SkipUnknown = false) {
  try {
    Load(Node, Text, SkipUnknown);
  } catch (const TXMLNodeParsingError& e) {
    return e.what();
  }
  return "<no parsing error>";
}
std::string ParseError(const std::string& Text, bool SkipUnknown = false) {
  return ParseError(*NewNode<TSampleNode>(), Text, SkipUnknown);
}

TRef<TSampleNode> SampleFrom(const std::string& Text) {
  const TRef<TSampleNode> n = NewNode<TSampleNode>();
  Load(*n, Text);
  return n;
}

std::vector<int64_t> Ordinals(const TArrayValue& Value) {
  std::vector<int64_t> out;
  for (const TArrayItem& item : Value.Items) out.push_back(std::get<int64_t>(item));
  return out;
}

// ---------------------------------------------------------------------------
// Round trips

TEST(Reader, EveryPropertyKindRoundTrips) {
  const TRef<TSampleNode> n = NewNode<TSampleNode>();
  n->Count = -5;
  n->Plain = 2147483647;
  n->Flag = true;
  n->Lit = false;
  n->Colour = TColour::Greenish;
  n->Shade = TColour::Red;
  n->Ratio = 0.1f;
  n->Precise = -1.0 / 3.0;
  n->Name = "both \" and ' with <&> and &lt";
  n->Description = "  line\r\nbreak ";
  n->Big = std::numeric_limits<int64_t>::min();
  n->Singles.Items = {double(std::numeric_limits<float>::max()), 1.17549435e-38, -0.1f + 0.0};
  n->Doubles.Items = {1e-300, -123456789.123456};
  n->Int8s.Items = {int64_t(-128)};
  n->UInt8s.Items = {int64_t(255)};
  n->Int16s.Items = {int64_t(32767)};
  n->UInt16s.Items = {int64_t(65535)};
  n->Ints.Items = {int64_t(-2147483647 - 1), int64_t(0)};
  n->Flags.Items = {false, true};
  n->Strings.Items = {std::string("a, b"), std::string(""), std::string("q\"'<&dq"), std::string("")};
  n->Longs.Items = {int64_t(9000000000)};
  n->Colours.Items = {int64_t(1), int64_t(3)};
  n->Raw.Items = {std::vector<uint8_t>{0, 0xFF, 0x10}};
  n->Grid.Rows = {TArrayValue{{int64_t(1)}, {}}, TArrayValue{}};
  for (const bool format : {true, false}) {
    const XMLNodeRef container = NewNode<TXMLNode>();
    Load(*container, Saved(*n, format));
    ASSERT_EQ(container->GetChildCount(), 1);
    auto* copy = NodeAs<TSampleNode>(container->GetChildren(0));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Count, -5);
    EXPECT_EQ(copy->Plain, 2147483647);
    EXPECT_TRUE(copy->Flag);
    EXPECT_FALSE(copy->Lit);
    EXPECT_EQ(copy->Colour, TColour::Greenish);
    EXPECT_EQ(copy->Shade, TColour::Red);
    EXPECT_EQ(copy->Ratio, 0.1f);
    EXPECT_EQ(copy->Precise, -0.333333333333333) << "15 digits";
    EXPECT_EQ(copy->Name, n->Name);
    EXPECT_EQ(copy->Description, n->Description);
    EXPECT_EQ(copy->Big, n->Big);
    EXPECT_EQ(copy->Singles.Items.size(), 3u);
    EXPECT_EQ(std::get<double>(copy->Singles.Items[0]), 3.402823e38f) << "7 digits";
    EXPECT_EQ(Ordinals(copy->Ints), (std::vector<int64_t>{-2147483647 - 1, 0}));
    EXPECT_EQ(std::get<std::string>(copy->Strings.Items[2]), "q\"'<&dq");
    EXPECT_EQ(copy->Strings.Items.size(), 4u) << "quoted empty texts count, also the last";
    EXPECT_EQ(std::get<std::vector<uint8_t>>(copy->Raw.Items[0]), (std::vector<uint8_t>{0, 0xFF, 0x10}));
    ASSERT_EQ(copy->Grid.Rows.size(), 2u);
    EXPECT_TRUE(copy->Grid.Rows[1].Items.empty());
    EXPECT_EQ(Saved(*copy), Saved(*n)) << (format ? "formatted" : "one line");
  }
}

TEST(Reader, LeftOutPropertiesKeepTheirInitialisedDefaults) {
  const TRef<TSampleNode> n = NewNode<TSampleNode>();
  n->Name = "Tank";
  const std::string text = Saved(*n);
  EXPECT_EQ(text, "<TSampleNode Colour=\"Red\" Name=\"Tank\" />\r\n");
  const XMLNodeRef container = NewNode<TXMLNode>();
  Load(*container, text);
  auto* copy = NodeAs<TSampleNode>(container->GetChildren(0));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Name, "Tank");
  EXPECT_EQ(copy->Count, 1);
  EXPECT_TRUE(copy->Lit);
  EXPECT_EQ(copy->Shade, TColour::Blue);
  EXPECT_EQ(copy->GetParentNode(), container);
}

TEST(Reader, TreeComesBackInChildOrderAndFromFiles) {
  const XMLNodeRef container = NewNode<TXMLNode>();
  Load(*container, WrittenSeeds().front().second);
  ASSERT_EQ(container->GetChildCount(), 1);
  const XMLNodeRef root = container->GetChildren(0);
  ASSERT_EQ(root->GetChildCount(), 3);
  EXPECT_EQ(root->GetChildren(0)->AsObject()->ClassName(), "TSampleNode");
  EXPECT_EQ(root->GetChildren(1)->AsObject()->ClassName(), "TElementNode");
  EXPECT_EQ(root->GetChildren(2)->AsObject()->ClassName(), "TSampleLeaf");
  EXPECT_EQ(root->GetChildren(0)->GetChildCount(), 1);
  EXPECT_EQ(Saved(*root), WrittenSeeds().front().second);

  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("plashbox-xmlio-" + std::to_string(::getpid()) + ".xml");
  SaveNodeToFile(*root, file.string());
  const XMLNodeRef parent = NewNode<TXMLNode>();
  LoadNodesFromFile(*parent, file.string());
  EXPECT_EQ(Saved(*parent->GetChildren(0)), Saved(*root));
  std::filesystem::remove(file);
  EXPECT_THROW(LoadNodesFromFile(*parent, file.string()), TXMLNodeError);
}

// ---------------------------------------------------------------------------
// Tags, markup and unknown names

TEST(Reader, MarkupIsSkippedBetweenElements) {
  using namespace std::string_literals;
  const TRef<TSampleNode> n = SampleFrom(
      "<?xml version=\"1.0\"?>\r\n<!DOCTYPE x SYSTEM 'a>b'>"
      "<!-- a > inside -- and -> too --><!--->--><Plain>4</Plain>\t\r\n\0 <!---->"
      "<TSampleLeaf Value='2'/><?pi '>'?>\0<Count>9</Count>"s);
  EXPECT_EQ(n->Plain, 4);
  EXPECT_EQ(n->Count, 9);
  ASSERT_EQ(n->GetChildCount(), 1);
  EXPECT_EQ(NodeAs<TSampleLeaf>(n->GetChildren(0))->Value, 2);
}

TEST(Reader, PropertyElementsAreUnescapedAndKeepWhitespace) {
  const TRef<TSampleNode> n = SampleFrom("<Name> a &amp b &lt c &amplt </Name><Description>x</description>");
  EXPECT_EQ(n->Name, " a & b < c &lt ");
  EXPECT_EQ(n->Description, "x");
}

TEST(Reader, AttributesTakeQuotedValuesOnly) {
  const TRef<TSampleNode> n = NewNode<TSampleNode>();
  ApplyAttributes(*n, " Name = 'it\"s'  Plain=\"3\"", false);
  EXPECT_EQ(n->Name, "it\"s");
  EXPECT_EQ(n->Plain, 3);
  ApplyAttributes(*n, "Name=abc Plain=\"7\" Count=\"2", false);
  EXPECT_EQ(n->Name, "7") << "an unquoted value is skipped and the next quoted text taken";
  EXPECT_EQ(n->Plain, 3);
  EXPECT_EQ(n->Count, 1) << "an unclosed value sets nothing";
  ApplyAttributes(*n, "Name=\"a&ampb\"", false);
  EXPECT_EQ(n->Name, "a&ampb") << "attribute values are not unescaped";
  EXPECT_THROW(ApplyAttributes(*n, "Nope=\"1\"", false), TXMLNodeParsingError);
  ApplyAttributes(*n, "Nope=\"1\" Plain=\"8\"", true);
  EXPECT_EQ(n->Plain, 8);
  EXPECT_THROW(ApplyAttributes(*n, "Plain=\"x\"", true), EConvertError);
}

TEST(Reader, TagErrorsNameByteAndPosition) {
  EXPECT_EQ(ParseError("<9Tank />"), "Illegal first character in tag. (\"9\" ord=57) at position=2");
  EXPECT_EQ(ParseError("<Plain>1</Plain> x<Plain>2</Plain>"),
            "Tag start not found. Illegal character (\"x\" ord=120) at position=18");
  EXPECT_EQ(ParseError(" <"), "End of stream reached before end of tag: <");
  EXPECT_EQ(ParseError("<TSampleLeaf Value=\"1\""), "End of stream reached before end of tag: TSampleLeaf");
  EXPECT_EQ(ParseError("<TSampleNode> "), "End of stream reached before tag is closed: TSampleNode");
  EXPECT_EQ(ParseError("<TSampleNode>"), "End of stream reached before tag is closed: TSampleNode")
      << "a text cut right behind an opening tag is not read as complete";
  EXPECT_EQ(ParseError("<TSampleLeaf/>"), "<no parsing error>");
}

TEST(Reader, UnknownTagsAreErrorsOrPassedOver) {
  const std::string text = "<TSampleLeaf Value=\"1\"/><TNope a=\"1\"/><TNope><Plain>5</Plain><X/></TNope><Plain>6</Plain>";
  EXPECT_EQ(ParseError(text), "Unrecognised Tag: TNope at 38");
  const TRef<TSampleNode> n = NewNode<TSampleNode>();
  Load(*n, text, true);
  EXPECT_EQ(n->Plain, 6) << "the content of an unknown tag is passed over";
  EXPECT_EQ(n->GetChildCount(), 1);
  EXPECT_EQ(ParseError("<TNope><Plain>5</Plain>", true), "Unrecognised and badly formed Tag: TNope at 23");

  // Unknown attribute names: errors, or passed over, in children read by the same operation.
  EXPECT_EQ(ParseError("<TSampleNode><TSampleLeaf Nope=\"1\" /></TSampleNode>"),
            "No property info available for this object.property: TSampleLeaf.Nope");
  const TRef<TSampleNode> m = NewNode<TSampleNode>();
  Load(*m, "<TSampleNode><TSampleLeaf Nope=\"1\" Value=\"4\" /><TNope/></TSampleNode>", true);
  EXPECT_EQ(NodeAs<TSampleLeaf>(m->GetChildren(0)->GetChildren(0))->Value, 4);
  EXPECT_THROW(Load(*m, "<Plain>x</Plain>", true), EConvertError) << "bad values are not passed over";
}

TEST(Reader, ChildrenOfANodeWithoutChildListAreReadAndDropped) {
  const TRef<TSampleNode> n = SampleFrom("<TSampleLeaf><TSampleLeaf Value=\"9\"/><Value>3</Value></TSampleLeaf><Plain>1</Plain>");
  ASSERT_EQ(n->GetChildCount(), 1);
  EXPECT_EQ(NodeAs<TSampleLeaf>(n->GetChildren(0))->Value, 3);
  EXPECT_EQ(n->Plain, 1);
}

TEST(Reader, StopsBehindTheClosingTagOfItsNode) {
  RegisterSampleNodes();
  std::istringstream in("<TSampleLeaf Value=\"1\" /></TAnyName>rest");
  const TRef<TSampleNode> n = NewNode<TSampleNode>();
  n->LoadFromStream(in);
  EXPECT_EQ(n->GetChildCount(), 1);
  std::string rest;
  in >> rest;
  EXPECT_EQ(rest, "rest");
}

// A stream that cannot step back, like a pipe.
class TForwardOnlyBuffer : public std::streambuf {
 public:
  explicit TForwardOnlyBuffer(std::string Text) : Text(std::move(Text)) {
    setg(this->Text.data(), this->Text.data(), this->Text.data() + this->Text.size());
  }

 private:
  std::string Text;
};

TEST(Reader, ForwardOnlyStreamsAreReadThroughACopy) {
  TForwardOnlyBuffer buffer("<TSampleLeaf Value=\"5\" /><Plain>2</Plain>");
  std::istream in(&buffer);
  const TRef<TSampleNode> n = NewNode<TSampleNode>();
  RegisterSampleNodes();
  n->LoadFromStream(in);
  EXPECT_EQ(n->Plain, 2);
  EXPECT_EQ(NodeAs<TSampleLeaf>(n->GetChildren(0))->Value, 5);
}

TEST(Reader, NestingIsBounded) {
  const auto nested = [](int Depth) {
    std::string text;
    for (int i = 0; i < Depth; ++i) text += "<TSampleNode>";
    for (int i = 0; i < Depth; ++i) text += "</TSampleNode>";
    return text;
  };
  EXPECT_EQ(ParseError(nested(XMLMaxNesting - 1)), "<no parsing error>");
  EXPECT_EQ(ParseError(nested(100000)),
            "Tags are nested more than 256 levels deep at position=" + std::to_string(13 * XMLMaxNesting));
}

// ---------------------------------------------------------------------------
// Array properties

TEST(ReaderArrays, WhitespaceCommasAndEmptyItems) {
  EXPECT_EQ(Ordinals(SampleFrom("<Ints><D> 1, 2 ,3\r\n</D></Ints>")->Ints), (std::vector<int64_t>{1, 2, 3}));
  EXPECT_EQ(Ordinals(SampleFrom("<Ints><D>1,2,</D></Ints>")->Ints), (std::vector<int64_t>{1, 2}));
  EXPECT_EQ(ParseError("<Ints><D>1,,2</D></Ints>"),
            "Error in tag: Ints\r\nArray element has incorrect integer data item in an array \"\"");
  EXPECT_EQ(ParseError("<ints>\r\n  <d>1,x</d>\r\n</ints>"),
            "Error in tag: ints\r\nArray element has incorrect integer data item in an array \"x\"");
  const TRef<TSampleNode> n = SampleFrom("<Ints><D>1</D></Ints><Ints></Ints><Ints><D>2</D></Ints>");
  EXPECT_EQ(Ordinals(n->Ints), (std::vector<int64_t>{1, 2})) << "elements are appended; an empty element changes nothing";
}

TEST(ReaderArrays, IntegersKeepTheirElementWidth) {
  const TRef<TSampleNode> n =
      SampleFrom("<Int8s><D>300,-129</D></Int8s><UInt8s><D>-1</D></UInt8s><Int16s><D>40000</D></Int16s>"
                 "<UInt16s><D>-2</D></UInt16s><Longs><D>-9223372036854775808</D></Longs>");
  EXPECT_EQ(Ordinals(n->Int8s), (std::vector<int64_t>{44, 127}));
  EXPECT_EQ(Ordinals(n->UInt8s), (std::vector<int64_t>{255}));
  EXPECT_EQ(Ordinals(n->Int16s), (std::vector<int64_t>{-25536}));
  EXPECT_EQ(Ordinals(n->UInt16s), (std::vector<int64_t>{65534}));
  EXPECT_EQ(Ordinals(n->Longs), (std::vector<int64_t>{std::numeric_limits<int64_t>::min()}));
  EXPECT_EQ(ParseError("<Int8s><D>2147483648</D></Int8s>"),
            "Error in tag: Int8s\r\nArray element has incorrect integer data item in an array \"2147483648\"");
  EXPECT_EQ(ParseError("<Longs><D>9223372036854775808</D></Longs>"),
            "Error in tag: Longs\r\nArray element has incorrect long integer (int64) data item in an array "
            "\"9223372036854775808\"");
}

// An unsigned 32-bit value above the signed range is written as it is but does not read back.
struct TCardinals : TXMLNode {
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TCardinals>(
        "TCardinals", &TXMLNode::StaticClass(), +[](TPropertyBuilder<TCardinals>& p) {
          p.Array("Cardinals", {TArrayElementType::UInt32}, &TCardinals::Cardinals, &TCardinals::Cardinals);
        });
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
  TArrayValue Cardinals;
};

TEST(ReaderArrays, LargeUnsignedValuesDoNotReadBack) {
  const TRef<TCardinals> c = NewNode<TCardinals>();
  c->Cardinals.Items = {int64_t(2147483647), int64_t(2147483648)};
  const TRef<TCardinals> copy = NewNode<TCardinals>();
  std::string text = Saved(*c, false);
  text = text.substr(text.find("<Cardinals>"));
  text = text.substr(0, text.find("</TCardinals>"));
  EXPECT_EQ(ParseError(*copy, text),
            "Error in tag: Cardinals\r\nArray element has incorrect integer data item in an array \"2147483648\"");
  EXPECT_TRUE(copy->Cardinals.Items.empty()) << "an array that fails is not stored";
  Load(*copy, "<Cardinals><D>-1</D></Cardinals>");
  EXPECT_EQ(Ordinals(copy->Cardinals), (std::vector<int64_t>{4294967295}));
}

TEST(ReaderArrays, FloatsBooleansEnumerationsAndBytes) {
  const TRef<TSampleNode> n = SampleFrom(Sep(
      "<Singles><D>0.1,1E-05,-3.5</D></Singles><Doubles><D>0.1</D></Doubles><Flags><D>TRUE,false</D></Flags>"
      "<Colours><D>greenish,GREEN,Red</D></Colours><Raw><D>abc,0102030405,</D></Raw>"));
  EXPECT_EQ(std::get<double>(n->Singles.Items[0]), double(0.1f)) << "rounded to the element's single";
  EXPECT_EQ(std::get<double>(n->Singles.Items[1]), double(1e-5f));
  EXPECT_EQ(std::get<double>(n->Doubles.Items[0]), 0.1);
  EXPECT_EQ(std::get<bool>(n->Flags.Items[0]), true);
  EXPECT_EQ(std::get<bool>(n->Flags.Items[1]), false);
  EXPECT_EQ(Ordinals(n->Colours), (std::vector<int64_t>{3, 1, 0}));
  ASSERT_EQ(n->Raw.Items.size(), 2u);
  EXPECT_EQ(std::get<std::vector<uint8_t>>(n->Raw.Items[0]), (std::vector<uint8_t>{0x00, 0x0A, 0xBC}))
      << "padded with zeros on the left";
  EXPECT_EQ(std::get<std::vector<uint8_t>>(n->Raw.Items[1]), (std::vector<uint8_t>{1, 2, 3}))
      << "the first two digits per byte";

  EXPECT_EQ(ParseError("<Singles><D>1x</D></Singles>"),
            "Error in tag: Singles\r\nArray element has incorrect floating point data item in an array \"1x\"");
  EXPECT_EQ(ParseError("<Singles><D>1E39</D></Singles>"),
            "Error in tag: Singles\r\nArray element has incorrect floating point data item in an array \"1E39\"")
      << "beyond the single range";
  EXPECT_EQ(ParseError("<Flags><D>yes</D></Flags>"),
            "Error in tag: Flags\r\nArray element has incorrect boolean item in an array \"yes\"");
  EXPECT_EQ(ParseError("<Colours><D>Purple</D></Colours>"),
            "Error in tag: Colours\r\nArray element has incorrect enumerated value item \"Purple\"\r\n"
            "Should be one of: Red,Green,Blue,Greenish");
  EXPECT_EQ(ParseError("<Colours><D>reen</D></Colours>"),
            "Error in tag: Colours\r\nArray element has incorrect enumerated value item \"reen\"\r\n"
            "Should be one of: Red,Green,Blue,Greenish")
      << "part of an identifier names no value";
  EXPECT_EQ(ParseError("<Raw><D>0G</D></Raw>"),
            "Error in tag: Raw\r\nIllegal Character in hexadecimal data item: (Code:71\"G\")");
}

TEST(ReaderArrays, QuotedTexts) {
  const TRef<TSampleNode> n = SampleFrom("<Strings><D>\"a,b\", 'it\"s' ,c d,\"&dq&lt&amp\",\"\"</D></Strings>");
  ASSERT_EQ(n->Strings.Items.size(), 5u);
  EXPECT_EQ(std::get<std::string>(n->Strings.Items[0]), "a,b");
  EXPECT_EQ(std::get<std::string>(n->Strings.Items[1]), "it\"s");
  EXPECT_EQ(std::get<std::string>(n->Strings.Items[2]), "cd") << "whitespace outside quotes is dropped";
  EXPECT_EQ(std::get<std::string>(n->Strings.Items[3]), "\"<&");
  EXPECT_EQ(std::get<std::string>(n->Strings.Items[4]), "");
  EXPECT_EQ(ParseError("<Strings><D>\"a,b</D></Strings>"),
            "Array tag did not close before end of file: Strings\r\nPossibly due to a incorrect quote mark (\")\r\n"
            "Use &dq for \" and bound in double quotes if commas are in text");
  EXPECT_EQ(ParseError("<Ints><D>1,2"), "Array tag did not close before end of file: Ints");
}

TEST(ReaderArrays, DimensionsMustMatch) {
  const TRef<TSampleNode> n = SampleFrom("<Grid><D>\r\n <D>1,2</D>\r\n <D></D><D>3</D></D></Grid>");
  ASSERT_EQ(n->Grid.Rows.size(), 3u);
  EXPECT_EQ(Ordinals(n->Grid.Rows[0]), (std::vector<int64_t>{1, 2}));
  EXPECT_TRUE(n->Grid.Rows[1].Items.empty());
  EXPECT_EQ(Ordinals(n->Grid.Rows[2]), (std::vector<int64_t>{3}));

  EXPECT_EQ(ParseError("<Ints><D><D>1</D></D></Ints>"), "Data has too many dimensions for array. Array element Ints");
  EXPECT_EQ(ParseError("<Grid><D>1</D></Grid>"),
            "Array does not contain enough dimensions or has unrecognised characters: Grid");
  EXPECT_EQ(ParseError("<Grid><D><D>1</D>,<D>2</D></D></Grid>"),
            "Array does not contain enough dimensions or has unrecognised characters: Grid");
  EXPECT_EQ(ParseError("<Ints><D>1<x</D></Ints>"), "Array element Intscontains illegal element <<...");
  EXPECT_EQ(ParseError("<Ints>1<X></Ints>"), "Array element Ints has incorrect <D> data tag at position10");
  EXPECT_EQ(ParseError("<Ints>1</Ints>"), "<no parsing error>") << "content before a closing tag is no block";
  EXPECT_EQ(ParseError("<Ints><D"), "Array element Ints has incorrect <D> data tag at position8")
      << "a stream that ends inside the match ends it";
}

// ---------------------------------------------------------------------------
// The fuzz corpus

TEST(ReaderCorpus, WrittenSeedsMatchTheWriter) {
  const std::filesystem::path dir = PLASHBOX_XML_CORPUS_DIR;
  // PLASHBOX_WRITE_CORPUS=1 writes the seeds anew after a deliberate change of the text form.
  const bool rewrite = std::getenv("PLASHBOX_WRITE_CORPUS") != nullptr;
  for (const auto& [name, text] : WrittenSeeds()) {
    if (rewrite) std::ofstream(dir / name, std::ios::binary) << text;
    EXPECT_EQ(ReadFile(dir / name), text) << name;
  }
}

TEST(ReaderCorpus, EveryInputReadsSafelyAndRoundTrips) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PLASHBOX_XML_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    EXPECT_EQ(CheckReaderOnce(ReadFile(entry.path())), "") << entry.path().filename();
  }
  EXPECT_GE(files, 5);
}

}  // namespace
