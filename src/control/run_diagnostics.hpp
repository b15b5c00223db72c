// The run's side of the numerical routines' events: each one becomes the
// console lines torvane has always printed for it, in the same place, and is
// passed on, with the part of the grid being built, to a listener if the
// caller gave one.
#pragma once

#include <functional>

#include "base/diagnostics.hpp"
#include "output/console.hpp"

namespace torvane {

// The part of the grid a run is building.
enum class Build_part { hub_surface, casing_surface, volume };

// Hears every event of a run with the part it came from.
using Event_listener = std::function<void(Build_part, const Diagnostic&)>;

class Console_diagnostics final : public Diagnostics {
 public:
  Console_diagnostics(Console& console, const Event_listener& listener) : console_(console), listener_(listener) {}

  // Events from now on come from this part of the grid.
  void Begin(Build_part part) { part_ = part; }
  void Report(const Diagnostic& event) override;

 private:
  Console& console_;
  const Event_listener& listener_;
  Build_part part_ = Build_part::hub_surface;
};

// The console lines of one event, each ended by CR LF.
std::string Console_lines(const Diagnostic& event);

}  // namespace torvane
