#include "deck/deck_records.hpp"

#include <array>
#include <charconv>
#include <cmath>

#include "base/terminal_text.hpp"

namespace torvane::deck {

namespace {

// The fixed defaults (a 30-blade compressor rotor); title and fname have
// none, they come from the section files.
struct Default {
  const Deck_record* record;
  std::string_view text;
};
using V = Control_values;
constexpr Default kDefaults[] = {
    {&Record_of(&V::nblade), "60"},     {&Record_of(&V::nin), "20"},        {&Record_of(&V::nout), "30"},
    {&Record_of(&V::npitch), "32"},     {&Record_of(&V::nspan), "16"},      {&Record_of(&V::nbrow), "30"},
    {&Record_of(&V::betain), "-45.0"},  {&Record_of(&V::betaout), "-25.0"}, {&Record_of(&V::staghub), "30.0"},
    {&Record_of(&V::stagcas), "40.0"},  {&Record_of(&V::sweep), "0.0"},     {&Record_of(&V::lean), "0.0"},
    {&Record_of(&V::chordhub), "0.06"}, {&Record_of(&V::chordcas), "0.06"}, {&Record_of(&V::rhub), "0.25"},
    {&Record_of(&V::rcas), "0.5"},      {&Record_of(&V::lin), "0.05"},      {&Record_of(&V::lx), "0.16"},
    {&Record_of(&V::nwall), "5"},       {&Record_of(&V::nwallhc), "3"},     {&Record_of(&V::ratio), "1.2"},
    {&Record_of(&V::dsle), "0.0003"},   {&Record_of(&V::dywle), "0.0004"},  {&Record_of(&V::dzwall), "0.006"},
    {&Record_of(&V::dste), "0.0003"},   {&Record_of(&V::dywte), "0.0004"},  {&Record_of(&V::unused29), "0.0"},
    {&Record_of(&V::dyout), "0.001"},   {&Record_of(&V::unused31), "0.0"},  {&Record_of(&V::ibez), "1"},
    {&Record_of(&V::unused33), "0.0"},
};

}  // namespace

std::span<const Deck_record> Deck_records() { return kDeckRecords; }

std::string_view Default_text(const Deck_record& record) {
  for (const Default& given : kDefaults) {
    if (given.record->number == record.number) return given.text;
  }
  return {};
}

std::string Note(const Deck_record& record) {
  return record.name.empty() ? std::string(record.meaning)
                             : std::string(record.name) + ": " + std::string(record.meaning);
}

Control_values Default_values() {
  Control_values values;
  for (const Deck_record& record : kDeckRecords) {
    if (!Default_text(record).empty()) Set_value(values, record, Default_text(record));
  }
  return values;
}

const Deck_record* Find_record(std::string_view name) {
  if (name.empty()) return nullptr;
  for (const Deck_record& record : kDeckRecords) {
    if (record.name == name) return &record;
  }
  return nullptr;
}

std::optional<std::string> Set_value(Control_values& values, const Deck_record& record, std::string_view text) {
  switch (record.kind) {
    case Value_kind::text: {
      if (text.size() > static_cast<size_t>(kTextLength)) {
        return std::to_string(text.size()) + " bytes long; the record holds " + std::to_string(kTextLength);
      }
      for (char c : text) {
        if (Is_control_byte(c)) return "a control character; the record is one line";
      }
      const auto member = std::get<std::string Control_values::*>(record.value);
      if (member == &Control_values::fname) {
        if (text.empty()) return std::string("the stem of the output files cannot be empty");
        if (text.find(' ') != std::string_view::npos) {
          return Quoted(text) + " holds a blank; torvane takes the stem only up to the first blank";
        }
      }
      values.*member = std::string(text);
      return std::nullopt;
    }
    case Value_kind::integer: {
      int value = 0;
      if (!Parse_integer(text, value)) {
        double real = 0;
        if (Parse_real(text, real)) return Quoted(text) + " is not an integer";
        return Quoted(text) + " is not a number";
      }
      values.*std::get<int Control_values::*>(record.value) = value;
      return std::nullopt;
    }
    case Value_kind::real: {
      double value = 0;
      if (!Parse_real(text, value)) return Quoted(text) + " is not a number";
      values.*std::get<double Control_values::*>(record.value) = value;
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::string Real_text(double value) {
  // Fixed form for the sizes a deck holds, exponent form for the rest; both
  // the shortest that reads back to the same double.
  const double size = std::fabs(value);
  const bool fixed = size == 0 || (size >= 1e-4 && size < 1e15);
  char text[400];
  const auto end =
      std::to_chars(text, text + sizeof text, value, fixed ? std::chars_format::fixed : std::chars_format::scientific)
          .ptr;
  std::string shortest(text, end);
  const size_t e = shortest.find('e');
  if (e != std::string::npos) {
    shortest[e] = 'E';
  } else if (shortest.find('.') == std::string::npos) {
    shortest += ".0";
  }
  return shortest;
}

std::string Value_text(const Control_values& values, const Deck_record& record) {
  switch (record.kind) {
    case Value_kind::text:
      return values.*std::get<std::string Control_values::*>(record.value);
    case Value_kind::integer:
      return std::to_string(values.*std::get<int Control_values::*>(record.value));
    case Value_kind::real:
      return Real_text(values.*std::get<double Control_values::*>(record.value));
  }
  return {};
}

}  // namespace torvane::deck
