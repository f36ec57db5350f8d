// The XML text writer: a node's element from its published properties and its children.
#include <cmath>
#include <ostream>
#include <type_traits>

#include "xmlworker/XMLWorker.h"

namespace plashbox {

namespace {

constexpr std::string_view CRLF = "\r\n";

std::string Blanks(int32_t Count) { return std::string(static_cast<size_t>(Count > 0 ? Count : 0), ' '); }

std::string LineRule(const std::string& Text, bool Format, int32_t Indent) {
  if (!Format) return Text;
  return Blanks(Indent) + Text + std::string(CRLF);
}

void Write(std::ostream& Stream, const std::string& Text) {
  Stream.write(Text.data(), static_cast<std::streamsize>(Text.size()));
}

bool IsBooleanType(const TEnumType& Type) {
  return Type.IsBoolean() ||
         (Type.Identifiers.size() == 2 && SameText(Type.Identifiers[0], "false") && SameText(Type.Identifiers[1], "true"));
}

// The identifier of an ordinal; an ordinal that names no value (only code can set one) is
// written as its number rather than read past the end of the list.
std::string EnumText(const TEnumType* Type, int64_t Ordinal) {
  if (Type && Ordinal >= 0 && Ordinal < static_cast<int64_t>(Type->Identifiers.size()))
    return Type->Identifiers[static_cast<size_t>(Ordinal)];
  return std::to_string(Ordinal);
}

// Array elements hold whatever the getter put in the variant; each kind is read leniently.
int64_t ItemOrdinal(const TArrayItem& Item) {
  return std::visit(
      [](const auto& v) -> int64_t {
        using V = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<V, int64_t>) return v;
        if constexpr (std::is_same_v<V, bool>) return v ? 1 : 0;
        if constexpr (std::is_same_v<V, double>) {
          // Only the range of int64_t converts without fault.
          if (!(v > -9.2e18 && v < 9.2e18)) return 0;
          return static_cast<int64_t>(v);
        }
        return 0;
      },
      Item);
}

double ItemFloat(const TArrayItem& Item) {
  if (const double* d = std::get_if<double>(&Item)) return *d;
  if (std::holds_alternative<int64_t>(Item) || std::holds_alternative<bool>(Item))
    return static_cast<double>(ItemOrdinal(Item));
  return 0;
}

std::string ItemText(const TArrayItem& Item, const TArrayType& Type) {
  switch (Type.Element) {
    case TArrayElementType::Single: return FormatGeneral(static_cast<float>(ItemFloat(Item)), 7);
    case TArrayElementType::Double: return FormatGeneral(ItemFloat(Item), 15);
    case TArrayElementType::Int8: return std::to_string(static_cast<int8_t>(ItemOrdinal(Item)));
    case TArrayElementType::UInt8: return std::to_string(static_cast<uint8_t>(ItemOrdinal(Item)));
    case TArrayElementType::Int16: return std::to_string(static_cast<int16_t>(ItemOrdinal(Item)));
    case TArrayElementType::UInt16: return std::to_string(static_cast<uint16_t>(ItemOrdinal(Item)));
    case TArrayElementType::Int32: return std::to_string(static_cast<int32_t>(ItemOrdinal(Item)));
    case TArrayElementType::UInt32: return std::to_string(static_cast<uint32_t>(ItemOrdinal(Item)));
    case TArrayElementType::Int64: return std::to_string(ItemOrdinal(Item));
    case TArrayElementType::Boolean: return ItemOrdinal(Item) != 0 ? "true" : "false";
    case TArrayElementType::String: {
      const std::string* s = std::get_if<std::string>(&Item);
      return "\"" + EscapeArrayString(s ? *s : std::string()) + "\"";
    }
    case TArrayElementType::Enumeration: return EnumText(Type.Enum, ItemOrdinal(Item));
    case TArrayElementType::Bytes: {
      static constexpr char Hex[] = "0123456789ABCDEF";
      std::string out;
      if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&Item))
        for (const uint8_t b : *bytes) {
          out += Hex[b >> 4];
          out += Hex[b & 15];
        }
      return out;
    }
  }
  return {};
}

std::string ArrayBlock(const TArrayValue& Value, const TArrayType& Type, int32_t Dimensions, bool Format,
                       int32_t Indent) {
  std::string text = Format ? Blanks(Indent) + "<D>" : "<D>";
  if (Dimensions > 1) {
    if (Format) text += CRLF;
    for (size_t i = 0; i < Value.Rows.size(); ++i) {
      if (i > 0 && Format) text += CRLF;
      text += ArrayBlock(Value.Rows[i], Type, Dimensions - 1, Format, Indent + XMLIndentStep);
    }
    if (Format) {
      text += CRLF;
      text += Blanks(Indent);
    }
  } else {
    for (size_t i = 0; i < Value.Items.size(); ++i) {
      if (i > 0) text += ',';
      text += ItemText(Value.Items[i], Type);
    }
  }
  return text + "</D>";
}

bool BeginsWithXML(const std::string& Name) {
  size_t first = 0;
  while (first < Name.size() && Name[first] == ' ') ++first;
  return Name.size() - first >= 3 && SameText(std::string_view(Name).substr(first, 3), "xml");
}

// The text of a scalar property, or false when the leave-out rules drop it.
bool ScalarText(const TPropInfo& P, const TBasicXMLNode& Object, std::string& Text) {
  switch (P.Kind) {
    case TPropKind::Integer: {
      const int64_t v = P.GetOrdinal(Object);
      if (v == P.Default.value_or(0)) return false;
      Text = std::to_string(static_cast<int32_t>(v));
      return true;
    }
    case TPropKind::Enumeration: {
      const int64_t v = P.GetOrdinal(Object);
      if (P.Enum && IsBooleanType(*P.Enum)) {
        if (v == (P.Default.value_or(0) & 0xFF)) return false;
      } else if (P.Default && v == *P.Default) {
        return false;
      }
      Text = EnumText(P.Enum, v);
      return true;
    }
    case TPropKind::Float: {
      const double v = P.GetFloat(Object);
      if (v == 0 || std::isnan(v)) return false;
      Text = FormatGeneral(v, P.FloatType == TFloatType::Single ? 7 : 15);
      return true;
    }
    case TPropKind::String:
      Text = P.GetString(Object);
      return !Text.empty();
    case TPropKind::Int64: {
      const int64_t v = P.GetOrdinal(Object);
      Text = std::to_string(v);
      return v != 0;
    }
    case TPropKind::DynArray: break;
  }
  return false;
}

void CheckName(const TPropInfo& P) {
  if (BeginsWithXML(P.Name))
    throw TXMLNodeError("Published param: " + P.Name + " begins with \"XML\" which is not allowed.");
}

// Attribute text A and element text L of a node's properties; Indent is that of the elements.
void CollectProperties(TBasicXMLNode& Object, TParamWriteStyle Style, bool Format, int32_t Indent, std::string& A,
                       std::string& L) {
  for (const TPropInfo& p : Object.ClassType().Properties()) {
    if (!p.Readable()) continue;
    if (p.Kind == TPropKind::DynArray) {
      const TArrayValue value = p.GetArray(Object);
      const int32_t dims = p.Array.Dimensions > 1 ? p.Array.Dimensions : 1;
      if (dims > 1 ? value.Rows.empty() : value.Items.empty()) continue;
      CheckName(p);
      L += LineRule("<" + p.Name + ">", Format, Indent);
      L += ArrayBlock(value, p.Array, dims, Format, Indent + XMLIndentStep);
      L += CRLF;
      L += Format ? Blanks(Indent) + "</" + p.Name + ">" + std::string(CRLF) : "</" + p.Name + ">";
      continue;
    }
    std::string text;
    if (!ScalarText(p, Object, text)) continue;
    CheckName(p);
    const bool hasQuote = text.find('"') != std::string::npos;
    const bool hasApostrophe = text.find('\'') != std::string::npos;
    if (Style == pwsAllAttribs && !(hasQuote && hasApostrophe)) {
      const char mark = hasQuote ? '\'' : '"';
      A += ' ' + p.Name + '=' + mark + text + mark;
    } else {
      L += LineRule("<" + p.Name + ">" + EscapeText(text) + "</" + p.Name + ">", Format, Indent);
    }
  }
}

}  // namespace

void SaveNodeToStream(iXMLNode& Node, std::ostream& Stream, bool Format, int32_t Indent) {
  TBasicXMLNode& object = *Node.AsObject();
  const std::string& name = object.ClassName();
  std::string attributes, elements;
  CollectProperties(object, Node.GetParamWriteStyle(), Format, Indent + XMLIndentStep, attributes, elements);
  const std::string line = "<" + name + attributes;
  const int32_t count = Node.GetChildCount();
  if (count > 0 || !elements.empty()) {
    Write(Stream, LineRule(line + ">", Format, Indent) + elements);
    for (int32_t i = 0; i < count; ++i) Node.GetChildren(i)->SaveToStream(Stream, Format, Indent + XMLIndentStep);
    Write(Stream, LineRule("</" + name + ">", Format, Indent));
  } else {
    Write(Stream, LineRule(line + " />", Format, Indent));
  }
}

}  // namespace plashbox
