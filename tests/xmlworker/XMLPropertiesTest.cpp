#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "xmlworker/XMLFormat.h"
#include "xmlworker/XMLProperties.h"
#include "tests/xmlworker/ErrorText.h"

using namespace plashbox;

namespace {

constexpr auto ParsingMessage = &plashbox::tests::MessageOf<TXMLNodeParsingError>;

enum class TColour : uint8_t { Red, Green, Blue };
const TEnumType ColourType{"TColour", {"Red", "Green", "Blue"}};

class TSample : public TXMLNode {
 public:
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TSample>("TSample", &TXMLNode::StaticClass(), &Declare);
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }

  int32_t Count = 0;
  bool Flag = false;
  TColour Colour = TColour::Red;
  float Ratio = 0;
  double Precise = 0;
  std::string Text;
  int64_t Big = 0;
  int32_t SetterCalls = 0;

  float GetHalf() const { return Ratio / 2; }
  void SetHalf(float v) {
    ++SetterCalls;
    Ratio = v * 2;
  }

 private:
  static void Declare(TPropertyBuilder<TSample>& p) {
    p.Integer("Count", &TSample::Count, &TSample::Count, 1)
        .Boolean("Flag", &TSample::Flag)
        .Enumeration("Colour", ColourType, &TSample::Colour, &TSample::Colour)
        .Single("Ratio", &TSample::Ratio)
        .Single("Half", &TSample::GetHalf, &TSample::SetHalf)
        .Double("Precise", &TSample::Precise)
        .String("Text", &TSample::Text)
        .Int64("Big", &TSample::Big)
        .Integer("ReadOnly", [](const TSample& s) { return s.Count * 10; }, nullptr)
        .Array("Numbers", TArrayType{}, [](const TSample&) { return TArrayValue{}; }, nullptr);
  }
};

class TDerivedSample : public TSample {
 public:
  static const TNodeClass& StaticClass() {
    static const TNodeClass cls = TNodeClass::Make<TDerivedSample>(
        "TDerivedSample", &TSample::StaticClass(),
        +[](TPropertyBuilder<TDerivedSample>& p) { p.Integer("Extra", &TDerivedSample::Extra); });
    return cls;
  }
  const TNodeClass& ClassType() const override { return StaticClass(); }
  int32_t Extra = 0;
};

std::string Sep(std::string text) {
  for (char& c : text)
    if (c == '.') c = DecimalSeparator();
  return text;
}

TEST(GeneralFormat, SinglePrecisionCases) {
  EXPECT_EQ(FormatSingle(0.5f), Sep("0.5"));
  EXPECT_EQ(FormatSingle(0.0001f), Sep("0.0001"));
  EXPECT_EQ(FormatSingle(0.00001f), "1E-05");
  EXPECT_EQ(FormatSingle(12345678.0f), Sep("1.234568E07"));
  EXPECT_EQ(FormatSingle(1234567.0f), "1234567");
  EXPECT_EQ(FormatSingle(2.55f), Sep("2.55"));
  EXPECT_EQ(FormatSingle(0.1f), Sep("0.1")) << "7 digits hide the binary tail";
  EXPECT_EQ(FormatSingle(-1.5f), Sep("-1.5"));
  EXPECT_EQ(FormatSingle(100.0f), "100");
  EXPECT_EQ(FormatSingle(0.0f), "0");
  EXPECT_EQ(FormatSingle(1e-6f), "1E-06");
  EXPECT_EQ(FormatSingle(-2.5e12f), Sep("-2.5E12"));
}

TEST(GeneralFormat, DoublePrecisionCases) {
  EXPECT_EQ(FormatDouble(0.1), Sep("0.1"));
  EXPECT_EQ(FormatDouble(double(0.1f)), Sep("0.100000001490116"));
  EXPECT_EQ(FormatDouble(123456789012345.0), "123456789012345");
  EXPECT_EQ(FormatDouble(1234567890123456.0), Sep("1.23456789012346E15"));
  EXPECT_EQ(FormatDouble(1e100), "1E100");
  EXPECT_EQ(FormatDouble(std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(NumberParsing, AcceptsDecimalTextOnly) {
  EXPECT_EQ(ParseFloatText(Sep(" 2.5 ")), 2.5);
  EXPECT_EQ(ParseFloatText(Sep("-.5")), -0.5);
  EXPECT_EQ(ParseFloatText(Sep("5.")), 5.0);
  EXPECT_EQ(ParseFloatText("1E-5"), 1e-5);
  EXPECT_EQ(ParseFloatText("+7"), 7.0);
  for (const char* bad : {"", "abc", "1e", "1.2.3", "--1", "1 2", "e5"})
    EXPECT_THROW(ParseFloatText(Sep(bad)), EConvertError) << bad;
  try {
    ParseFloatText("x1");
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'x1' is not a valid floating point value");
  }

  EXPECT_EQ(ParseInt32Text("-2147483648"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(ParseInt32Text("$1F"), 31);
  EXPECT_EQ(ParseInt32Text(" 42"), 42);
  EXPECT_EQ(ParseInt64Text("9223372036854775807"), std::numeric_limits<int64_t>::max());
  for (const char* bad : {"2147483648", "1.5", "", "-", "12a", "$"})
    EXPECT_THROW(ParseInt32Text(bad), EConvertError) << bad;
}

TEST(NumberParsing, SingleIsRoundedOnceAndRangeIsChecked) {
  // Just above the midpoint between 1 and the next single: read as a double first, it would
  // land on the midpoint and then round to even, down to 1.
  EXPECT_EQ(ParseSingleText(Sep("1.00000005960464477539062500000000001")), 1.00000012f);
  EXPECT_EQ(ParseSingleText(Sep("0.1")), 0.1f);
  EXPECT_EQ(ParseSingleText("16777217"), 16777216.0f) << "halfway: to the even neighbour";
  EXPECT_EQ(ParseSingleText("2e-45"), 1.40129846e-45f) << "the smallest subnormal";

  // Too small for the type: a zero of the text's sign.
  EXPECT_EQ(ParseSingleText("1e-50"), 0.0f);
  EXPECT_TRUE(std::signbit(ParseSingleText("-1e-50")));
  EXPECT_EQ(ParseSingleText(Sep("0.0000000000000000000000000000000000000000000000001")), 0.0f);
  EXPECT_EQ(ParseFloatText("1e-400"), 0.0);
  EXPECT_EQ(ParseFloatText(Sep("-123.4e-99999999999999999999")), 0.0);
  // Too large: refused, never infinity.
  for (const char* big : {"1e39", "3.40282357e38", "-1e39", "1e99999999999999999999"})
    EXPECT_THROW(ParseSingleText(Sep(big)), EConvertError) << big;
  EXPECT_EQ(ParseSingleText(Sep("3.4028235e38")), std::numeric_limits<float>::max());
  EXPECT_EQ(ParseFloatText("1e39"), 1e39);
  EXPECT_THROW(ParseFloatText("1e309"), EConvertError);
  EXPECT_THROW(ParseFloatText(Sep("12345.6e400")), EConvertError);
  EXPECT_EQ(ParseFloatText(Sep("0.000012345e310")), 0.12345e306);
}

TEST(Escapes, NoSemicolonsAndLeftToRightOrder) {
  EXPECT_EQ(EscapeText("a<b&c"), "a&ltb&ampc");
  EXPECT_EQ(UnescapeText("a&ltb&ampc"), "a<b&c");
  EXPECT_EQ(EscapeArrayString("say \"<hi>\""), "say &dq&lthi>&dq");
  EXPECT_EQ(UnescapeArrayString("say &dq&lthi>&dq"), "say \"<hi>\"");
  // Each escape is undone once: the escaped form of a text "&lt" or "&dq" reads back as that text.
  EXPECT_EQ(UnescapeText("&amplt"), "&lt");
  EXPECT_EQ(UnescapeText(EscapeText("&lt&amp<")), "&lt&amp<");
  EXPECT_EQ(UnescapeArrayString(EscapeArrayString("&dq\"&lt")), "&dq\"&lt");
}

TEST(PublishedProperties, DeclarationOrderWithBaseFirst) {
  const TPropertyList& props = TDerivedSample::StaticClass().Properties();
  ASSERT_EQ(props.size(), 11u);
  EXPECT_EQ(props.front().Name, "Count");
  EXPECT_EQ(props.back().Name, "Extra");
  EXPECT_EQ(props[1].Enum, &BooleanType());
  EXPECT_EQ(props[0].Default, 1);
  EXPECT_FALSE(props[1].Default.has_value());
  EXPECT_TRUE(TDerivedSample::StaticClass().InheritsFrom(TXMLNode::StaticClass()));
  EXPECT_FALSE(TSample::StaticClass().InheritsFrom(TDerivedSample::StaticClass()));
  EXPECT_TRUE(TSample::StaticClass().Implements(iXMLNode::IID));
  const XMLNodeRef made = TDerivedSample::StaticClass().Create();
  ASSERT_TRUE(made);
  EXPECT_EQ(made->AsObject()->ClassName(), "TDerivedSample");
}

TEST(PublishedProperties, GetByNameIgnoresCase) {
  const TRef<TDerivedSample> s = NewNode<TDerivedSample>();
  s->Count = -7;
  s->Flag = true;
  s->Colour = TColour::Blue;
  s->Ratio = 0.25f;
  s->Precise = 1.0 / 3.0;
  s->Text = "a \"b\"";
  s->Big = -9000000000;
  EXPECT_EQ(GetPublishedValue(*s, "count"), "-7");
  EXPECT_EQ(GetPublishedValue(*s, "FLAG"), "True");
  EXPECT_EQ(GetPublishedValue(*s, "Colour"), "Blue");
  EXPECT_EQ(GetPublishedValue(*s, "Ratio"), Sep("0.25"));
  EXPECT_EQ(GetPublishedValue(*s, "Half"), Sep("0.125"));
  EXPECT_EQ(GetPublishedValue(*s, "Precise"), Sep("0.333333333333333"));
  EXPECT_EQ(GetPublishedValue(*s, "text"), "a \"b\"");
  EXPECT_EQ(GetPublishedValue(*s, "Big"), "-9000000000");
  EXPECT_EQ(GetPublishedValue(*s, "ReadOnly"), "-70");
  EXPECT_EQ(GetPublishedValue(*s, "Extra"), "0");
  EXPECT_EQ(ParsingMessage([&] { GetPublishedValue(*s, "Nope"); }),
            "No property info available for this object.property: TDerivedSample.Nope");
  EXPECT_EQ(ParsingMessage([&] { GetPublishedValue(*s, "Numbers"); }), "Unusable property type: Numbers");
}

TEST(PublishedProperties, SetByNameConvertsByKind) {
  const TRef<TSample> s = NewNode<TSample>();
  SetPublishedValue(*s, "COUNT", "12");
  SetPublishedValue(*s, "flag", "tRuE");
  SetPublishedValue(*s, "colour", "green");
  SetPublishedValue(*s, "Half", Sep("1.5"));
  SetPublishedValue(*s, "Precise", "1E-3");
  SetPublishedValue(*s, "Text", " kept as is ");
  SetPublishedValue(*s, "Big", "-9000000000");
  EXPECT_EQ(s->Count, 12);
  EXPECT_TRUE(s->Flag);
  EXPECT_EQ(s->Colour, TColour::Green);
  EXPECT_EQ(s->Ratio, 3.0f);
  EXPECT_EQ(s->SetterCalls, 1) << "a property with a setter is written through it";
  EXPECT_EQ(s->Precise, 1e-3);
  EXPECT_EQ(s->Text, " kept as is ");
  EXPECT_EQ(s->Big, -9000000000);

  SetPublishedValue(*s, "Ratio", Sep("1.00000005960464477539062500000000001"));
  EXPECT_EQ(s->Ratio, 1.00000012f) << "rounded to a single once";
  SetPublishedValue(*s, "Precise", Sep("1.00000005960464477539062500000000001"));
  EXPECT_EQ(s->Precise, 1.0000000596046448);
  EXPECT_THROW(SetPublishedValue(*s, "Ratio", "1e39"), EConvertError);
  EXPECT_EQ(s->Ratio, 1.00000012f) << "a value beyond the single range is refused";

  SetPublishedValue(*s, "Nope", "1", true);  // skipped without a word
  EXPECT_EQ(ParsingMessage([&] { SetPublishedValue(*s, "Nope", "1"); }),
            "No property info available for this object.property: TSample.Nope");
  EXPECT_EQ(ParsingMessage([&] { SetPublishedValue(*s, "Numbers", "1"); }), "Unusable property type: Numbers");
  EXPECT_THROW(SetPublishedValue(*s, "Count", "twelve"), EConvertError);
  EXPECT_THROW(SetPublishedValue(*s, "Ratio", "1;5"), EConvertError);
  EXPECT_EQ(s->Count, 12) << "a refused text leaves the value alone";
}

TEST(PublishedProperties, UnknownEnumerationIdentifierIsRefused) {
  const TRef<TSample> s = NewNode<TSample>();
  s->Colour = TColour::Blue;
  EXPECT_EQ(ParsingMessage([&] { SetPublishedValue(*s, "Colour", "Purple"); }),
            "\"Purple\" is not a value of TColour for property TSample.Colour");
  EXPECT_THROW(SetPublishedValue(*s, "Flag", "yes"), TXMLNodeParsingError);
  EXPECT_EQ(s->Colour, TColour::Blue);
  EXPECT_THROW(SetPublishedValue(*s, "ReadOnly", "1"), TXMLNodeParsingError);
}

}  // namespace
