// The records of a control deck that torvane-deck lets the user set: their
// numbers, names, kinds, fixed defaults (a 30-blade compressor rotor, most of
// whose lengths and angles geometry_defaults then derives from the row) and
// the note written after each value.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/record_table.hpp"
#include "control/control_input.hpp"

namespace torvane::deck {

// The deck's records, as the base table knows them.
using Value_kind = Record_kind;
using Deck_record = Deck_record_entry;

// Records 1 to 33 in order; those torvane reads and ignores (29, 31, 33) have
// no name and are written as 0.0.
std::span<const Deck_record> Deck_records();

// The fixed default of the record; empty for title and fname, which come from the section files.
std::string_view Default_text(const Deck_record& record);

// What the deck writes after the record's value: "name: meaning", or "not used".
std::string Note(const Deck_record& record);

// What gave each value, by record number (empty: the option or the fixed
// default); written after the record's note.
using Value_sources = std::array<std::string, kLastFixedRecord + 1>;

// The values of the defaults (title and fname empty).
Control_values Default_values();

// The record of that name, or nullptr.
const Deck_record* Find_record(std::string_view name);

// Stores text as the value of the record; returns why it cannot, or nothing.
// Numbers must be in the forms torvane reads; a title holds at most 50
// characters; a file stem at most 50, without blanks.
std::optional<std::string> Set_value(Control_values& values, const Deck_record& record, std::string_view text);

// The value of the record as the deck writes it: integers as they are, reals
// in the shortest form that reads back to the same double.
std::string Value_text(const Control_values& values, const Deck_record& record);

// Shortest decimal form of a real that reads back exactly, with a point or an
// upper-case exponent (12.0, 0.0003, 1.5E-05).
std::string Real_text(double value);

}  // namespace torvane::deck
