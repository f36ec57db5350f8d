// text/: the lowest layer; every user-visible English text of the core, looked up by key.
// The catalogue: a text is asked for by a stable key ("undo.move") in the current language,
// with English standing in for a text that language lacks. Placeholders in braces ("move
// {object}") are filled by name. A key the catalogue lacks, or a placeholder left unfilled, is
// shown as it is and remembered as a fault, so that the tests catch it wherever it happens.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace plashbox {

// One key and its text in one language.
struct TCatalogueEntry {
  std::string_view Key;
  std::string_view Text;
};

// One placeholder's value: Name without its braces.
struct TTextValue {
  std::string_view Name;
  std::string Value;
};

// The text of Key in the current language, or in English; a key known to neither is returned
// as the text itself and remembered as a fault.
std::string TextOf(std::string_view Key);
// The text of Key with each {Name} replaced by its value; a placeholder without a value is
// left in the text and remembered as a fault. Values the text does not name are ignored.
std::string FormattedText(std::string_view Key, std::initializer_list<TTextValue> Values);
// True when English, the catalogue every other language falls back to, has Key.
bool HasText(std::string_view Key);
// Every key of the English catalogue, in its order.
std::vector<std::string_view> TextKeys();

// The language of TextOf, by its code ("en"); false, and no change, for a language the
// catalogue does not have.
bool SetTextLanguage(std::string_view Code);
std::string_view TextLanguage();

// The faults met since the last call ("unknown text key: undo.mvoe"), each once, and forgets them.
std::vector<std::string> TakeTextFaults();

}  // namespace plashbox
