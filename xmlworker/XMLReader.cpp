// The XML text reader: a hand-written scanner over a byte stream with random access that fills
// a node's published properties and creates its children through the node registry.
#include <istream>
#include <iterator>
#include <sstream>

#include "xmlworker/XMLWorker.h"

namespace plashbox {

namespace {

bool IsSpace(uint8_t B) { return B == 9 || B == 10 || B == 13 || B == 32; }
// Between elements and inside tag names a zero byte is passed over as well.
bool IsSpaceOrNul(uint8_t B) { return B == 0 || IsSpace(B); }
uint8_t Lower(uint8_t B) { return B >= 'A' && B <= 'Z' ? uint8_t(B - 'A' + 'a') : B; }

[[noreturn]] void Fail(const std::string& Message) { throw TXMLNodeParsingError(Message); }

// The hand-written scanner of the reader over a byte stream with random access.
class TXMLScanner {
 public:
  struct TToken {
    std::string Text;
    bool GotEnd = false;
    bool SelfClosed = false;
    bool ClosingTag = false;  // the token stopped at a "<" that began a closing tag
  };

  explicit TXMLScanner(std::streambuf& Buffer);

  int64_t Position() const { return Pos; }
  int64_t Size() const { return End; }
  // The next byte, or false at the end of the stream.
  bool ReadByte(uint8_t& Byte);
  void StepBack(int64_t Count);
  // Takes the position from the stream again after someone else read from it.
  void Resync();

  TToken ReadToken(bool StopAtWhitespace, bool StopAtLessThan, bool QuoteAware);
  // After "<!", "<?" or "</": passes over a comment or up to the ">" that ends the markup.
  void SkipMarkup();
  bool MatchText(std::string_view Text, bool SkipWhitespace, bool Rewind);
  bool FindText(std::string_view Text);

 private:
  void SeekTo(int64_t Position);

  std::streambuf& Buf;
  int64_t Pos = 0;
  int64_t End = 0;
};

}  // namespace

// ---------------------------------------------------------------------------
// TXMLScanner

TXMLScanner::TXMLScanner(std::streambuf& Buffer) : Buf(Buffer) {
  const std::streampos cur = Buf.pubseekoff(0, std::ios::cur, std::ios::in);
  Pos = cur == std::streampos(-1) ? 0 : int64_t(cur);
  const std::streampos end = Buf.pubseekoff(0, std::ios::end, std::ios::in);
  End = end == std::streampos(-1) ? Pos : int64_t(end);
  SeekTo(Pos);
}

bool TXMLScanner::ReadByte(uint8_t& Byte) {
  const int c = Buf.sbumpc();
  if (c == std::streambuf::traits_type::eof()) return false;
  Byte = static_cast<uint8_t>(c);
  ++Pos;
  return true;
}

void TXMLScanner::SeekTo(int64_t Position) {
  Pos = Position < 0 ? 0 : Position;
  Buf.pubseekpos(Pos, std::ios::in);
}

void TXMLScanner::StepBack(int64_t Count) { SeekTo(Pos - Count); }

void TXMLScanner::Resync() {
  const std::streampos cur = Buf.pubseekoff(0, std::ios::cur, std::ios::in);
  if (cur != std::streampos(-1)) Pos = int64_t(cur);
}

TXMLScanner::TToken TXMLScanner::ReadToken(bool StopAtWhitespace, bool StopAtLessThan, bool QuoteAware) {
  TToken token;
  uint8_t quote = 0, stop = 0, b = 0;
  while (ReadByte(b)) {
    if (StopAtLessThan && b == '<') {
      stop = b;
      break;
    }
    if (quote) {
      if (b == quote) quote = 0;
      token.Text += char(b);
      continue;
    }
    if (!StopAtLessThan && (b == '/' || b == '>')) {
      stop = b;
      break;
    }
    if (StopAtWhitespace && IsSpaceOrNul(b)) {
      stop = ' ';
      break;
    }
    if (QuoteAware && (b == '"' || b == '\'')) quote = b;
    token.Text += char(b);
  }
  uint8_t next = 0;
  if (stop == '<') {
    token.GotEnd = true;
    if (!ReadByte(next)) {
      StepBack(1);  // only the "<" was read; it is read again
    } else if (next == '/') {
      token.ClosingTag = true;
      token.SelfClosed = ReadToken(false, false, true).GotEnd;
    } else {
      StepBack(2);
    }
  } else if (stop == '/') {
    if (ReadByte(next) && next == '>') token.GotEnd = token.SelfClosed = true;
  } else if (stop == '>') {
    token.GotEnd = true;
  }
  return token;
}

void TXMLScanner::SkipMarkup() {
  uint8_t b = 0;
  if (ReadByte(b)) {
    if (b == '-') {
      if (ReadByte(b)) {
        if (b == '-') {
          // A comment ends at a ">" right behind at least two dashes of its own.
          int32_t dashes = 0;
          while (ReadByte(b)) {
            if (b == '-')
              ++dashes;
            else if (b == '>' && dashes >= 2)
              return;
            else
              dashes = 0;
          }
          return;
        }
        StepBack(2);
      } else {
        StepBack(1);
      }
    } else {
      StepBack(1);
    }
  }
  uint8_t quote = 0;
  while (ReadByte(b)) {
    if (quote) {
      if (b == quote) quote = 0;
    } else if (b == '"' || b == '\'') {
      quote = b;
    } else if (b == '>') {
      return;
    }
  }
}

bool TXMLScanner::MatchText(std::string_view Text, bool SkipWhitespace, bool Rewind) {
  const int64_t start = Pos;
  bool matched = true;
  for (const char c : Text) {
    uint8_t b = 0;
    bool got = ReadByte(b);
    while (got && SkipWhitespace && IsSpace(b)) got = ReadByte(b);
    if (!got) {
      matched = false;
      break;
    }
    if (Lower(b) != Lower(uint8_t(c))) matched = false;
  }
  if (Rewind) SeekTo(start);
  return matched;
}

bool TXMLScanner::FindText(std::string_view Text) {
  std::string pattern;
  for (const char c : Text)
    if (!IsSpace(uint8_t(c))) pattern += char(Lower(uint8_t(c)));
  if (pattern.empty()) return true;
  size_t matched = 0;
  uint8_t b = 0;
  while (ReadByte(b)) {
    if (IsSpace(b)) continue;
    if (Lower(b) == uint8_t(pattern[matched])) {
      if (++matched == pattern.size()) return true;
    } else {
      matched = 0;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// Attributes

void ApplyAttributes(TBasicXMLNode& Object, std::string_view Text, bool SkipUnknown) {
  int state = 0;
  std::string name, value;
  char mark = 0;
  for (const char c : Text) {
    switch (state) {
      case 0:
        if (!IsSpace(uint8_t(c))) {
          name.assign(1, c);
          state = 1;
        }
        break;
      case 1:
        if (IsSpace(uint8_t(c)) || c == '=')
          state = 2;
        else
          name += c;
        break;
      case 2:
        if (c == '"' || c == '\'') {
          mark = c;
          value.clear();
          state = 3;
        }
        break;
      default:
        if (c == mark) {
          SetPublishedValue(Object, name, value, SkipUnknown);
          state = 0;
        } else {
          value += c;
        }
    }
  }
}

// ---------------------------------------------------------------------------
// Array properties

namespace {

[[noreturn]] void BadItem(const std::string& What, const std::string& Item) {
  Fail("Array element has incorrect " + What + " in an array \"" + Item + "\"");
}

TArrayItem ConvertItem(const std::string& Item, const TArrayType& Type) {
  switch (Type.Element) {
    case TArrayElementType::Single:
    case TArrayElementType::Double:
      try {
        return Type.Element == TArrayElementType::Single ? double(ParseSingleText(Item)) : ParseFloatText(Item);
      } catch (const EConvertError&) {
        BadItem("floating point data item", Item);
      }
    case TArrayElementType::Int8:
    case TArrayElementType::UInt8:
    case TArrayElementType::Int16:
    case TArrayElementType::UInt16:
    case TArrayElementType::Int32:
    case TArrayElementType::UInt32: {
      int32_t v = 0;
      try {
        v = ParseInt32Text(Item);
      } catch (const EConvertError&) {
        BadItem("integer data item", Item);
      }
      // Stored in the element's width; the higher bits are dropped.
      switch (Type.Element) {
        case TArrayElementType::Int8: return int64_t(int8_t(v));
        case TArrayElementType::UInt8: return int64_t(uint8_t(v));
        case TArrayElementType::Int16: return int64_t(int16_t(v));
        case TArrayElementType::UInt16: return int64_t(uint16_t(v));
        case TArrayElementType::UInt32: return int64_t(uint32_t(v));
        default: return int64_t(v);
      }
    }
    case TArrayElementType::Int64:
      try {
        return ParseInt64Text(Item);
      } catch (const EConvertError&) {
        BadItem("long integer (int64) data item", Item);
      }
    case TArrayElementType::Boolean:
      if (SameText(Item, "true")) return true;
      if (SameText(Item, "false")) return false;
      Fail("Array element has incorrect boolean item in an array \"" + Item + "\"");
    case TArrayElementType::String: return UnescapeArrayString(Item);
    case TArrayElementType::Enumeration: {
      std::string list;
      if (Type.Enum)
        for (size_t i = 0; i < Type.Enum->Identifiers.size(); ++i) list += (i ? "," : "") + Type.Enum->Identifiers[i];
      // Only a whole identifier is a value; a text found inside a longer one names none.
      if (Type.Enum)
        for (size_t i = 0; i < Type.Enum->Identifiers.size(); ++i)
          if (SameText(Type.Enum->Identifiers[i], Item)) return int64_t(i);
      Fail("Array element has incorrect enumerated value item \"" + Item + "\"\r\nShould be one of: " + list);
    }
    case TArrayElementType::Bytes: {
      for (const char c : Item) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex)
          Fail("Illegal Character in hexadecimal data item: (Code:" + std::to_string(uint8_t(c)) + "\"" +
               std::string(1, c) + "\")");
      }
      const size_t size = Type.ByteSize > 0 ? size_t(Type.ByteSize) : 0;
      std::string digits = Item;
      if (digits.size() < 2 * size) digits.insert(0, 2 * size - digits.size(), '0');
      std::vector<uint8_t> bytes(size);
      const auto nibble = [](char c) { return uint8_t(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10); };
      for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(nibble(digits[2 * i]) << 4 | nibble(digits[2 * i + 1]));
      return bytes;
    }
  }
  return int64_t(0);
}

class TArrayReader {
 public:
  TArrayReader(TXMLScanner& Scanner, const TArrayType& Type, const std::string& PropName)
      : Sc(Scanner), Type(Type), P(PropName) {}

  // One level, from behind its "<D>" up to and including its "</D>"; Dimensions counts this
  // level and those below it.
  void ReadLevel(TArrayValue& Level, int32_t Dimensions) {
    if (Dimensions <= 0) Fail("Data has too many dimensions for array. Array element " + P);
    const int32_t below = Dimensions - 1;
    const bool quoteMode = Type.Element == TArrayElementType::String && below == 0;
    std::string item;
    bool quoted = false;  // the item had a quoted stretch, so it counts even when empty
    uint8_t quote = 0, b = 0;
    while (true) {
      if (!Sc.ReadByte(b)) {
        std::string message = "Array tag did not close before end of file: " + P;
        if (quote)
          message += "\r\nPossibly due to a incorrect quote mark (" + std::string(1, char(quote)) +
                     ")\r\nUse &dq for \" and bound in double quotes if commas are in text";
        Fail(message);
      }
      if (quote) {
        if (b == quote)
          quote = 0;
        else
          item += char(b);
        continue;
      }
      if (IsSpace(b)) continue;
      if (b == '<') {
        Sc.StepBack(1);
        if (Sc.MatchText("</D>", true, true)) {
          Sc.MatchText("</D>", true, false);
          if (!item.empty() || quoted) Append(Level, item);
          return;
        }
        if (Sc.MatchText("<D>", true, true)) {
          Sc.MatchText("<D>", true, false);
          Level.Rows.emplace_back();
          ReadLevel(Level.Rows.back(), below);
          continue;
        }
        Sc.ReadByte(b);
        Fail("Array element " + P + "contains illegal element <" + std::string(1, char(b)) + "...");
      }
      // Items belong to the innermost level only; anything else in an outer level means the
      // text has fewer levels than the property.
      if (below > 0) Fail("Array does not contain enough dimensions or has unrecognised characters: " + P);
      if (b == ',') {
        Append(Level, item);
        item.clear();
        quoted = false;
      } else if (quoteMode && (b == '"' || b == '\'')) {
        quote = b;
        quoted = true;
      } else {
        item += char(b);
      }
    }
  }

 private:
  void Append(TArrayValue& Level, const std::string& Item) {
    try {
      Level.Items.push_back(ConvertItem(Item, Type));
    } catch (const TXMLNodeError& e) {
      Fail("Error in tag: " + P + "\r\n" + e.what());
    }
  }

  TXMLScanner& Sc;
  const TArrayType& Type;
  const std::string& P;
};

void ReadArrayProperty(TXMLScanner& Sc, TBasicXMLNode& Object, const TPropInfo& Prop, const std::string& P) {
  if (Sc.ReadToken(false, true, false).ClosingTag) return;  // an empty element leaves the property alone
  if (!Sc.MatchText("<D>", true, false))
    Fail("Array element " + P + " has incorrect <D> data tag at position" + std::to_string(Sc.Position()));
  const int32_t dims = Prop.Array.Dimensions;
  TArrayValue read;
  TArrayReader(Sc, Prop.Array, P).ReadLevel(read, dims);
  if (!Prop.Writable()) Fail("Property is read only: " + Object.ClassName() + "." + P);
  TArrayValue value = Prop.Readable() ? Prop.GetArray(Object) : TArrayValue{};
  for (TArrayItem& item : read.Items) value.Items.push_back(std::move(item));
  for (TArrayValue& row : read.Rows) value.Rows.push_back(std::move(row));
  Prop.SetArray(Object, value);
  if (Sc.MatchText("</", true, false)) Sc.ReadToken(false, false, false);
}

// Counts the node reads under way on this thread: each nested node element is one call deeper.
thread_local int32_t Nesting = 0;

struct TNestingGuard {
  explicit TNestingGuard(int64_t Position) {
    if (Nesting >= XMLMaxNesting)
      Fail("Tags are nested more than " + std::to_string(XMLMaxNesting) + " levels deep at position=" +
           std::to_string(Position));
    ++Nesting;
  }
  ~TNestingGuard() { --Nesting; }
  TNestingGuard(const TNestingGuard&) = delete;
  TNestingGuard& operator=(const TNestingGuard&) = delete;
};

std::string ByteText(uint8_t B) { return std::string(1, char(B)) + "\" ord=" + std::to_string(B); }

}  // namespace

// ---------------------------------------------------------------------------
// Reading a node

void LoadNodeFromStream(iXMLNode& Node, std::istream& Stream, bool SkipUnknown) {
  std::streambuf* buf = Stream.rdbuf();
  if (!buf) Fail("There is no stream to read from");
  if (buf->pubseekoff(0, std::ios::cur, std::ios::in) == std::streampos(-1)) {
    // A pipe cannot step back: read it whole and scan the copy.
    std::istringstream copy{std::string(std::istreambuf_iterator<char>(buf), std::istreambuf_iterator<char>())};
    LoadNodeFromStream(Node, copy, SkipUnknown);
    return;
  }
  TXMLScanner sc(*buf);
  const TNestingGuard nesting(sc.Position());
  TBasicXMLNode& object = *Node.AsObject();
  uint8_t b = 0;
  while (true) {
    if (sc.Position() >= sc.Size() - 1) return;
    do {
      if (!sc.ReadByte(b)) return;
    } while (IsSpaceOrNul(b));
    if (b != '<')
      Fail("Tag start not found. Illegal character (\"" + ByteText(b) + ") at position=" +
           std::to_string(sc.Position()));
    if (!sc.ReadByte(b)) Fail("End of stream reached before end of tag: <");
    if (b == '!' || b == '?') {
      sc.SkipMarkup();
      continue;
    }
    if (b == '/') {
      sc.SkipMarkup();
      return;
    }
    if (!((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_'))
      Fail("Illegal first character in tag. (\"" + ByteText(b) + ") at position=" + std::to_string(sc.Position()));

    TXMLScanner::TToken tag = sc.ReadToken(true, false, false);
    const std::string name = char(b) + tag.Text;
    std::string attributes;
    if (!tag.GotEnd) {
      tag = sc.ReadToken(false, false, true);
      attributes = std::move(tag.Text);
    }
    // A text that ends inside a tag, or right behind an opening tag, is cut short; it is
    // refused rather than read as complete.
    if (sc.Position() >= sc.Size() - 1) {
      if (!tag.GotEnd) Fail("End of stream reached before end of tag: " + name);
      if (!tag.SelfClosed) Fail("End of stream reached before tag is closed: " + name);
    }

    if (const TPropInfo* prop = object.ClassType().FindProperty(name)) {
      if (prop->Kind == TPropKind::DynArray) {
        ReadArrayProperty(sc, object, *prop, name);
      } else {
        const std::string value = sc.ReadToken(false, true, false).Text;
        SetPublishedValue(object, name, UnescapeText(value), SkipUnknown);
      }
    } else if (NodeRegistry().IsRegistered(name)) {
      const XMLNodeRef child = NodeRegistry().CreateNode(name, attributes, SkipUnknown);
      Node.add(child.get());
      if (!tag.SelfClosed) {
        if (SkipUnknown)
          child->LoadFromStreamSkipUnknows(Stream);
        else
          child->LoadFromStream(Stream);
        sc.Resync();
      }
    } else if (!SkipUnknown) {
      Fail("Unrecognised Tag: " + name + " at " + std::to_string(sc.Position()));
    } else if (!tag.SelfClosed && !sc.FindText("</" + name + ">")) {
      Fail("Unrecognised and badly formed Tag: " + name + " at " + std::to_string(sc.Position()));
    }
  }
}

}  // namespace plashbox
