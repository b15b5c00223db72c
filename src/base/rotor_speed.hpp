// The rotor's speed a grid is made for, in revolutions per minute: the deck's
// block entry `rpm`, torvane-deck's --rpm and an info file's RPM give it; a run
// whose deck gives it leaves it in the machine file STEM.rmach beside the grid,
// where torvane-inspect's solver cases find it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace torvane {

// The machine file's name after the stem.
inline constexpr std::string_view kMachineFileSuffix = ".rmach";

// A speed is a finite number of at least 0 (0: a stationary row).
struct Rotor_speed_parse {
  std::optional<double> rpm;
  std::string problem;  // why `text` gives none
};
// The speed `value` a reader took from `text` (nothing: the text is no number), checked.
Rotor_speed_parse Rotor_speed_of(std::string_view text, std::optional<double> value);
// The speed of `text` in the form the machine file writes (a C number, as std::from_chars reads it).
Rotor_speed_parse Parse_rotor_speed(std::string_view text);

// The speed as the block and the machine file write it: the shortest text that reads back the same.
std::string Rotor_speed_text(double rpm);

// The text of the machine file, each line ending with CR LF as the run's other files.
std::string Machine_file_text(double rpm);

}  // namespace torvane
