#include "base/record_table.hpp"

#include <set>
#include <string>

#include <gtest/gtest.h>

namespace torvane {
namespace {

// The table is the deck's order: record n at position n - 1, every control
// value filled by one record of the kind its member holds, names unique.
TEST(RecordTable, NumbersKindsAndValuesAgree) {
  std::set<std::string_view> names;
  int number = 0;
  for (const Deck_record_entry& entry : kDeckRecords) {
    EXPECT_EQ(entry.number, ++number);
    EXPECT_EQ(&Record_number(entry.number), &entry);
    if (!entry.name.empty()) {
      EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
    }
    const bool text = std::holds_alternative<std::string Control_values::*>(entry.value);
    const bool integer = std::holds_alternative<int Control_values::*>(entry.value);
    EXPECT_EQ(entry.kind == Record_kind::text, text) << entry.number;
    EXPECT_EQ(entry.kind == Record_kind::integer, integer) << entry.number;
    EXPECT_EQ(entry.kind == Record_kind::real, !text && !integer) << entry.number;
    // An angle says so in its meaning, as the deck writes it; nothing else does.
    EXPECT_EQ(entry.unit == "deg", entry.meaning.find("[deg]") != std::string_view::npos) << entry.number;
    EXPECT_FALSE(entry.meaning.empty()) << entry.number;
  }
  EXPECT_EQ(number, kLastFixedRecord);
  // Each member once: setting every value through the table sets 33 different members.
  Control_values values;
  int filled = 0;
  for (const Deck_record_entry& entry : kDeckRecords) {
    if (const auto* member = std::get_if<int Control_values::*>(&entry.value)) {
      EXPECT_EQ(values.**member, 0) << entry.number;
      values.** member = ++filled;
    } else if (const auto* real = std::get_if<double Control_values::*>(&entry.value)) {
      EXPECT_EQ(values.**real, 0.0) << entry.number;
      values.** real = ++filled;
    } else {
      const auto text = std::get<std::string Control_values::*>(entry.value);
      EXPECT_TRUE((values.*text).empty()) << entry.number;
      values.*text = std::to_string(++filled);
    }
  }
  EXPECT_EQ(filled, kLastFixedRecord);
}

TEST(RecordTable, MessagesNameRecordsByNumberAndName) {
  static_assert(Record_of(&Control_values::nspan).number == 7);
  static_assert(Record_of(&Control_values::unused31).number == 31);
  static_assert(Record_of(&Control_values::fname).kind == Record_kind::text);
  EXPECT_EQ(Record_text(Record_of(&Control_values::dsle)), "record 24 (dsle)");
  EXPECT_EQ(Record_text(Record_number(29)), "record 29 (not used)");
  struct Case {
    std::initializer_list<const Deck_record_entry*> entries;
    const char* text;
  } cases[] = {
      {{&Record_of(&Control_values::nblade)}, "records 3 (nblade)"},
      {{&Record_of(&Control_values::nout), &Record_of(&Control_values::lx)}, "records 5 (nout) and 20 (lx)"},
      {{&Record_of(&Control_values::nin), &Record_of(&Control_values::betain), &Record_of(&Control_values::lin),
        &Record_of(&Control_values::dsle)},
       "records 4 (nin), 9 (betain), 19 (lin) and 24 (dsle)"},
  };
  for (const Case& c : cases) EXPECT_EQ(Records_text(c.entries), c.text);
}

}  // namespace
}  // namespace torvane
