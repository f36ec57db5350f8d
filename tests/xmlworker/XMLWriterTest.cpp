#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <sstream>
#include <string>

#include "XMLSampleNodes.h"
#include "xmlworker/XMLWorker.h"

using namespace plashbox;
using namespace plashbox::samples;

namespace {

// Shaped like the scene's water: a float, an ID and two texts.
struct TTank : TXMLNode {
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TTank>(
        "TTank", &TXMLNode::StaticClass(), +[](TPropertyBuilder<TTank>& p) {
          p.Single("Exposure", &TTank::Exposure)
              .Integer("UniqueID", &TTank::UniqueID)
              .String("Name", &TTank::Name)
              .String("Description", &TTank::Description);
        });
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
  float Exposure = 0;
  int32_t UniqueID = 0;
  std::string Name, Description;
};

struct TVersioned : TXMLNode {
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TVersioned>(
        "TVersioned", &TXMLNode::StaticClass(), +[](TPropertyBuilder<TVersioned>& p) {
          p.Integer("Before", &TVersioned::Before).String(" XmlVersion", &TVersioned::Version);
        });
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
  int32_t Before = 0;
  std::string Version;
};

// Array element types that only the writer needs to show: unsigned 32-bit values above the
// signed range, and a 16-byte record written as raw bytes.
struct TWideArrays : TXMLNode {
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TWideArrays>(
        "TWideArrays", &TXMLNode::StaticClass(), +[](TPropertyBuilder<TWideArrays>& p) {
          p.Array("Cardinals", {TArrayElementType::UInt32}, &TWideArrays::Cardinals, &TWideArrays::Cardinals);
        });
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
  TArrayValue Cardinals;
};

std::string Sep(std::string Text) {
  for (char& c : Text)
    if (c == '.') c = DecimalSeparator();
  return Text;
}

std::string Saved(iXMLNode& Node, bool Format = true, int32_t Indent = 0) {
  std::ostringstream out;
  Node.SaveToStream(out, Format, Indent);
  return out.str();
}

// The attribute text a sample node writes for its scalars (Colour has no declared default, so
// it is always there).
std::string SampleLine(const std::string& Attributes) { return "<TSampleNode Colour=\"Red\"" + Attributes + " />\r\n"; }

TEST(Writer, TankWithDefaultsIsOneLine) {
  const TRef<TTank> tank = NewNode<TTank>();
  tank->Name = "Tank";
  EXPECT_EQ(Saved(*tank), "<TTank Name=\"Tank\" />\r\n");
  EXPECT_EQ(Saved(*tank, false), "<TTank Name=\"Tank\" />");
  tank->Exposure = 2.55f;
  tank->UniqueID = -3;
  EXPECT_EQ(Saved(*tank, true, 4), Sep("    <TTank Exposure=\"2.55\" UniqueID=\"-3\" Name=\"Tank\" />\r\n"));
}

TEST(Writer, ChildrenNestWithTwoBlanksOrNone) {
  const TRef<TTank> root = NewNode<TTank>();
  const TRef<TTank> child = NewNode<TTank>();
  const TRef<TSampleLeaf> leaf = NewNode<TSampleLeaf>();
  root->add(child.get());
  child->add(leaf.get());
  leaf->Value = 7;
  EXPECT_EQ(Saved(*root, false), "<TTank><TTank><TSampleLeaf Value=\"7\" /></TTank></TTank>");
  EXPECT_EQ(Saved(*root),
            "<TTank>\r\n"
            "  <TTank>\r\n"
            "    <TSampleLeaf Value=\"7\" />\r\n"
            "  </TTank>\r\n"
            "</TTank>\r\n");
}

TEST(Writer, QuoteRuleChoosesTheForm) {
  const TRef<TTank> tank = NewNode<TTank>();
  tank->Name = "say \"hi\"";
  tank->Description = "it's";
  EXPECT_EQ(Saved(*tank, false), "<TTank Name='say \"hi\"' Description=\"it's\" />");
  tank->Name = "both \" and '";
  tank->Description = "a<b & c>d";
  EXPECT_EQ(Saved(*tank, false), "<TTank Description=\"a<b & c>d\"><Name>both \" and '</Name></TTank>")
      << "attribute values are not escaped";
  EXPECT_EQ(Saved(*tank), "<TTank Description=\"a<b & c>d\">\r\n  <Name>both \" and '</Name>\r\n</TTank>\r\n");
  tank->Name = "'<&>\"";
  EXPECT_EQ(Saved(*tank, false), "<TTank Description=\"a<b & c>d\"><Name>'&lt&amp>\"</Name></TTank>")
      << "element values are escaped without semicolons";
}

TEST(Writer, AllElementsStyleWritesEveryPropertyAsElement) {
  const TRef<TElementNode> n = NewNode<TElementNode>();
  EXPECT_EQ(Saved(*n), "<TElementNode />\r\n");
  n->Text = "x & y";
  n->Level = -1;
  n->Gain = 0.25f;
  EXPECT_EQ(Saved(*n, true, 2), Sep("  <TElementNode>\r\n"
                                    "    <Text>x &amp y</Text>\r\n"
                                    "    <Level>-1</Level>\r\n"
                                    "    <Gain>0.25</Gain>\r\n"
                                    "  </TElementNode>\r\n"));
}

TEST(Writer, LeaveOutRulesPerKind) {
  const TRef<TSampleNode> n = NewNode<TSampleNode>();
  EXPECT_EQ(Saved(*n), SampleLine("")) << "every value at its default or zero";

  n->Count = 0;  // declared default 1
  n->Plain = 5;  // no default: left out at 0
  n->Flag = true;  // no default: written only when true
  n->Lit = false;  // declared default true
  n->Shade = TColour::Red;  // declared default Blue
  EXPECT_EQ(Saved(*n),
            "<TSampleNode Count=\"0\" Plain=\"5\" Flag=\"True\" Lit=\"False\" Colour=\"Red\" Shade=\"Red\" />\r\n");

  n->Count = 1;
  n->Plain = 0;
  n->Flag = false;
  n->Lit = true;
  n->Shade = TColour::Blue;
  n->Colour = TColour::Greenish;
  n->Big = -1;
  n->Precise = -0.0;
  n->Ratio = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(Saved(*n), "<TSampleNode Colour=\"Greenish\" Big=\"-1\" />\r\n")
      << "negative zero and not-a-number floats are left out, empty texts too";
}

TEST(Writer, FloatsInGeneralFormat) {
  const TRef<TSampleNode> n = NewNode<TSampleNode>();
  const auto ratio = [&](float v) {
    n->Ratio = v;
    return Saved(*n, false);
  };
  const auto line = [](const std::string& v) { return Sep("<TSampleNode Colour=\"Red\" Ratio=\"" + v + "\" />"); };
  EXPECT_EQ(ratio(0.5f), line("0.5"));
  EXPECT_EQ(ratio(0.0001f), line("0.0001"));
  EXPECT_EQ(ratio(0.00001f), line("1E-05"));
  EXPECT_EQ(ratio(12345678.0f), line("1.234568E07"));
  EXPECT_EQ(ratio(1234567.0f), line("1234567"));
  EXPECT_EQ(ratio(-0.1f), line("-0.1"));
  n->Ratio = 0;
  n->Precise = 0.1;
  EXPECT_EQ(Saved(*n, false), Sep("<TSampleNode Colour=\"Red\" Precise=\"0.1\" />"));
  n->Precise = double(0.1f);
  EXPECT_EQ(Saved(*n, false), Sep("<TSampleNode Colour=\"Red\" Precise=\"0.100000001490116\" />"));
}

TEST(Writer, PropertyNamesBeginningWithXmlAreRefused) {
  const TRef<TTank> root = NewNode<TTank>();
  const TRef<TVersioned> v = NewNode<TVersioned>();
  root->add(v.get());
  v->Before = 4;
  EXPECT_EQ(Saved(*root, false), "<TTank><TVersioned Before=\"4\" /></TTank>") << "an empty value is left out";
  v->Version = "1.0";
  std::ostringstream out;
  try {
    root->SaveToStream(out, false, 0);
    ADD_FAILURE() << "no error";
  } catch (const TXMLNodeError& e) {
    EXPECT_STREQ(e.what(), "Published param:  XmlVersion begins with \"XML\" which is not allowed.");
  }
  EXPECT_EQ(out.str(), "<TTank>") << "what was written before stays";
}

TEST(Writer, ArrayBlocksInOneDimension) {
  const TRef<TSampleNode> n = NewNode<TSampleNode>();
  n->Ints.Items = {int64_t(1), int64_t(-2)};
  EXPECT_EQ(Saved(*n),
            "<TSampleNode Colour=\"Red\">\r\n"
            "  <Ints>\r\n"
            "    <D>1,-2</D>\r\n"
            "  </Ints>\r\n"
            "</TSampleNode>\r\n");
  EXPECT_EQ(Saved(*n, false), "<TSampleNode Colour=\"Red\"><Ints><D>1,-2</D>\r\n</Ints></TSampleNode>")
      << "an array block is followed by a line break even without formatting";
  n->Ints.Items.clear();
  EXPECT_EQ(Saved(*n), SampleLine("")) << "an empty array is left out";
}

TEST(Writer, ArrayElementTextByType) {
  const TRef<TSampleNode> n = NewNode<TSampleNode>();
  n->Singles.Items = {0.5, 0.00001, 12345678.0};
  n->Doubles.Items = {1.0 / 3.0};
  n->Int8s.Items = {int64_t(-128), int64_t(200)};  // 200 keeps its low byte: -56
  n->UInt8s.Items = {int64_t(-1)};
  n->Int16s.Items = {int64_t(-32768)};
  n->UInt16s.Items = {int64_t(65535)};
  n->Flags.Items = {true, false};
  n->Strings.Items = {std::string("a,b"), std::string("say \"<&>\""), std::string()};
  n->Longs.Items = {int64_t(-9000000000)};
  n->Colours.Items = {int64_t(3), int64_t(0)};
  n->Raw.Items = {std::vector<uint8_t>{0x0a, 0xbc, 0x00}};
  const std::string text = Saved(*n, false);
  for (const std::string& block :
       {Sep("<Singles><D>0.5,1E-05,1.234568E07</D>"), Sep("<Doubles><D>0.333333333333333</D>"),
        std::string("<Int8s><D>-128,-56</D>"), std::string("<UInt8s><D>255</D>"), std::string("<Int16s><D>-32768</D>"),
        std::string("<UInt16s><D>65535</D>"), std::string("<Flags><D>true,false</D>"),
        std::string("<Strings><D>\"a,b\",\"say &dq&lt&amp>&dq\",\"\"</D>"), std::string("<Longs><D>-9000000000</D>"),
        std::string("<Colours><D>Greenish,Red</D>"), std::string("<Raw><D>0ABC00</D>")})
    EXPECT_NE(text.find(block), std::string::npos) << block << "\nin " << text;

  const TRef<TWideArrays> w = NewNode<TWideArrays>();
  w->Cardinals.Items = {int64_t(4294967295), int64_t(2147483648)};
  EXPECT_EQ(Saved(*w, false), "<TWideArrays><Cardinals><D>4294967295,2147483648</D>\r\n</Cardinals></TWideArrays>");
}

TEST(Writer, ArrayBlocksInMoreDimensions) {
  const TRef<TSampleNode> n = NewNode<TSampleNode>();
  n->Grid.Rows = {TArrayValue{{int64_t(1), int64_t(2)}, {}}, TArrayValue{}, TArrayValue{{int64_t(3)}, {}}};
  EXPECT_EQ(Saved(*n),
            "<TSampleNode Colour=\"Red\">\r\n"
            "  <Grid>\r\n"
            "    <D>\r\n"
            "      <D>1,2</D>\r\n"
            "      <D></D>\r\n"
            "      <D>3</D>\r\n"
            "    </D>\r\n"
            "  </Grid>\r\n"
            "</TSampleNode>\r\n");
  EXPECT_EQ(Saved(*n, false), "<TSampleNode Colour=\"Red\"><Grid><D><D>1,2</D><D></D><D>3</D></D>\r\n</Grid></TSampleNode>");

  n->Grid.Rows.clear();
  n->Words.Rows = {TArrayValue{{}, {TArrayValue{{std::string("x")}, {}}}}, TArrayValue{}};
  EXPECT_EQ(Saved(*n, false), "<TSampleNode Colour=\"Red\"><Words><D><D><D>\"x\"</D></D><D></D></D>\r\n</Words></TSampleNode>");
  EXPECT_EQ(Saved(*n),
            "<TSampleNode Colour=\"Red\">\r\n"
            "  <Words>\r\n"
            "    <D>\r\n"
            "      <D>\r\n"
            "        <D>\"x\"</D>\r\n"
            "      </D>\r\n"
            "      <D>\r\n"
            "\r\n"
            "      </D>\r\n"
            "    </D>\r\n"
            "  </Words>\r\n"
            "</TSampleNode>\r\n");
}

}  // namespace
