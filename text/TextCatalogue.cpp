#include "text/TextCatalogue.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <span>
#include <unordered_map>
#include <utility>

#include "text/EnglishText.h"

namespace plashbox {

namespace {

// One language's texts by key, indexed once.
class TLanguageTexts {
 public:
  TLanguageTexts(std::string_view Code, std::span<const TCatalogueEntry> Entries) : Code(Code), Entries(Entries) {
    for (const TCatalogueEntry& entry : Entries) ByKey.emplace(entry.Key, entry.Text);
  }
  const std::string_view Code;
  const std::span<const TCatalogueEntry> Entries;
  const std::string_view* Find(std::string_view Key) const {
    const auto found = ByKey.find(Key);
    return found == ByKey.end() ? nullptr : &found->second;
  }

 private:
  std::unordered_map<std::string_view, std::string_view> ByKey;
};

const TLanguageTexts& English() {
  static const TLanguageTexts texts("en", EnglishText());
  return texts;
}

// The languages the program ships, English first; a new one is a table of its own here.
const TLanguageTexts* FindLanguage(std::string_view Code) {
  for (const TLanguageTexts* language : {&English()})
    if (language->Code == Code) return language;
  return nullptr;
}

std::atomic<const TLanguageTexts*> Current{nullptr};

const TLanguageTexts& CurrentLanguage() {
  const TLanguageTexts* language = Current.load(std::memory_order_acquire);
  return language ? *language : English();
}

// The faults are kept apart from the texts: the simulation's threads never look texts up, but
// the window's and the page's front ends may from more than one.
std::mutex FaultLock;
std::vector<std::string> Faults;

void Remember(std::string Fault) {
  const std::lock_guard<std::mutex> lock(FaultLock);
  if (std::find(Faults.begin(), Faults.end(), Fault) == Faults.end()) Faults.push_back(std::move(Fault));
}

std::string_view Lookup(std::string_view Key) {
  if (const std::string_view* text = CurrentLanguage().Find(Key)) return *text;
  if (const std::string_view* text = English().Find(Key)) return *text;
  Remember("unknown text key: " + std::string(Key));
  return Key;
}

}  // namespace

std::string TextOf(std::string_view Key) { return std::string(Lookup(Key)); }

std::string FormattedText(std::string_view Key, std::initializer_list<TTextValue> Values) {
  const std::string_view pattern = Lookup(Key);
  std::string text;
  text.reserve(pattern.size());
  size_t at = 0;
  while (at < pattern.size()) {
    const size_t open = pattern.find('{', at);
    const size_t close = open == std::string_view::npos ? open : pattern.find('}', open);
    if (close == std::string_view::npos) break;
    text.append(pattern, at, open - at);
    const std::string_view name = pattern.substr(open + 1, close - open - 1);
    const auto value = std::find_if(Values.begin(), Values.end(), [&](const TTextValue& V) { return V.Name == name; });
    if (value != Values.end()) {
      text += value->Value;
    } else {
      Remember("unfilled {" + std::string(name) + "} in text " + std::string(Key));
      text.append(pattern, open, close - open + 1);
    }
    at = close + 1;
  }
  text.append(pattern, at);
  return text;
}

bool HasText(std::string_view Key) { return English().Find(Key) != nullptr; }

std::vector<std::string_view> TextKeys() {
  std::vector<std::string_view> keys;
  for (const TCatalogueEntry& entry : English().Entries) keys.push_back(entry.Key);
  return keys;
}

bool SetTextLanguage(std::string_view Code) {
  const TLanguageTexts* language = FindLanguage(Code);
  if (!language) return false;
  Current.store(language, std::memory_order_release);
  return true;
}

std::string_view TextLanguage() { return CurrentLanguage().Code; }

std::vector<std::string> TakeTextFaults() {
  const std::lock_guard<std::mutex> lock(FaultLock);
  return std::exchange(Faults, {});
}

}  // namespace plashbox
