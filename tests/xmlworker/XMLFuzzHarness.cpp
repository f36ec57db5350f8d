#include "XMLFuzzHarness.h"

#include <exception>
#include <sstream>

#include "XMLSampleNodes.h"

namespace plashbox::samples {

namespace {

std::string SaveChildren(iXMLNode& Parent, bool Format) {
  std::ostringstream out;
  for (int32_t i = 0; i < Parent.GetChildCount(); ++i) Parent.GetChildren(i)->SaveToStream(out, Format, 0);
  return out.str();
}

// Loads Text into a new container; an empty Error when nothing was thrown.
XMLNodeRef Load(const std::string& Text, bool SkipUnknown, std::string& Error) {
  const XMLNodeRef container = NewNode<TSampleNode>();
  std::istringstream in(Text);
  Error.clear();
  try {
    if (SkipUnknown)
      container->LoadFromStreamSkipUnknows(in);
    else
      container->LoadFromStream(in);
  } catch (const TXMLNodeError& e) {
    Error = std::string("TXMLNodeError: ") + e.what();
  } catch (const EConvertError& e) {
    Error = std::string("EConvertError: ") + e.what();
  }
  return container;
}

std::string CheckOneReader(std::string_view Data, bool SkipUnknown) {
  std::string error;
  const XMLNodeRef first = Load(std::string(Data), SkipUnknown, error);
  const std::string formatted = SaveChildren(*first, true);
  const std::string flat = SaveChildren(*first, false);
  for (const std::string* text : {&formatted, &flat}) {
    const XMLNodeRef again = Load(*text, SkipUnknown, error);
    if (!error.empty()) return "the written text does not read back: " + error + "\n--- text:\n" + *text;
    const std::string rewritten = SaveChildren(*again, true);
    if (rewritten != formatted)
      return "the text read back writes differently\n--- first:\n" + formatted + "\n--- second:\n" + rewritten;
  }
  return {};
}

}  // namespace

std::string CheckReaderOnce(std::string_view Data) {
  RegisterSampleNodes();
  try {
    for (const bool skip : {false, true})
      if (std::string problem = CheckOneReader(Data, skip); !problem.empty())
        return std::string(skip ? "LoadFromStreamSkipUnknows: " : "LoadFromStream: ") + problem;
  } catch (const std::exception& e) {
    return std::string("unexpected exception: ") + e.what();
  }
  return {};
}

std::vector<std::pair<std::string, std::string>> WrittenSeeds() {
  const TRef<TSampleNode> root = NewNode<TSampleNode>();
  root->Name = "Tank";
  root->Description = "both \"quotes\" and 'apostrophes' & <angles>";
  root->Plain = -42;
  root->Flag = true;
  root->Colour = TColour::Green;
  root->Ratio = 0.00001f;
  root->Precise = 1.0 / 3.0;
  root->Big = -9000000000;

  const TRef<TSampleNode> arrays = NewNode<TSampleNode>();
  arrays->Name = "say \"hi\"";
  arrays->Count = 0;
  arrays->Lit = false;
  arrays->Singles.Items = {0.5, 12345678.0, -1e-5};
  arrays->Doubles.Items = {0.1, 1e100};
  arrays->Int8s.Items = {int64_t(-128), int64_t(127)};
  arrays->UInt8s.Items = {int64_t(255), int64_t(0)};
  arrays->Int16s.Items = {int64_t(-32768)};
  arrays->UInt16s.Items = {int64_t(65535)};
  arrays->Ints.Items = {int64_t(1), int64_t(-2), int64_t(2147483647)};
  arrays->Flags.Items = {true, false};
  arrays->Strings.Items = {std::string("a,b"), std::string("q\"<&"), std::string("")};
  arrays->Longs.Items = {int64_t(-9000000000)};
  arrays->Colours.Items = {int64_t(2), int64_t(3)};
  arrays->Raw.Items = {std::vector<uint8_t>{0x0A, 0xBC, 0xFF}};
  arrays->Grid.Rows = {TArrayValue{{int64_t(1), int64_t(2)}, {}}, TArrayValue{}, TArrayValue{{int64_t(3)}, {}}};
  arrays->Words.Rows = {TArrayValue{{}, {TArrayValue{{std::string("x")}, {}}, TArrayValue{}}}};

  const TRef<TElementNode> element = NewNode<TElementNode>();
  element->Text = "a<b & c";
  element->Level = 3;
  element->Gain = 2.5f;
  const TRef<TSampleLeaf> leaf = NewNode<TSampleLeaf>();
  leaf->Value = 7;

  root->add(arrays.get());
  root->add(element.get());
  root->add(leaf.get());
  arrays->add(NewNode<TSampleNode>().get());

  std::ostringstream formatted, flat, lone;
  root->SaveToStream(formatted, true, 0);
  root->SaveToStream(flat, false, 0);
  arrays->SaveToStream(lone, true, 0);
  return {{"scene-formatted.xml", formatted.str()}, {"scene-flat.xml", flat.str()}, {"arrays.xml", lone.str()}};
}

}  // namespace plashbox::samples
