#include "base/record_table.hpp"

namespace torvane {

std::string Record_text(const Deck_record_entry& entry) {
  return "record " + std::to_string(entry.number) + " (" + std::string(Record_label(entry)) + ")";
}

std::string Records_text(std::initializer_list<const Deck_record_entry*> entries) {
  std::string text = "records ";
  std::size_t n = 0;
  for (const Deck_record_entry* entry : entries) {
    if (n > 0) text += n + 1 == entries.size() ? " and " : ", ";
    text += std::to_string(entry->number) + " (" + std::string(Record_label(*entry)) + ")";
    ++n;
  }
  return text;
}

}  // namespace torvane
