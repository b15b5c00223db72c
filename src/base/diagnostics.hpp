// What the numerical routines have to tell, as typed events instead of
// printed lines: torvane turns them into its console lines, torvane-deck's
// dry run into advice on the options to change.
#pragma once

#include <variant>
#include <vector>

namespace torvane {

// Stretch gave up after its update limit and returns its last ratio r; the
// line had n intervals from a first one of dx1 that should add up to sumdx.
struct Stretch_not_converged {
  int n;
  double r;
  double sumdx;
  double dx1;
};

// Bezier_x's search for a parameter hit its limit of new parameters; the
// point at the last one is used.
struct Inversion_not_converged {};

// Bezier_x was asked for an x that the curve interval it searches does not
// reach; the run stops after this event.
struct Inversion_outside_interval {
  double x;   // the x asked for
  double xa;  // x at the start of the interval
  double xb;  // x at its end
};

// A section contour was approximated by the one-shot Bezier spline.
struct Contour_approximated {};

using Diagnostic =
    std::variant<Stretch_not_converged, Inversion_not_converged, Inversion_outside_interval, Contour_approximated>;

// Where the numerical routines report their events.
class Diagnostics {
 public:
  virtual void Report(const Diagnostic& event) = 0;

 protected:
  ~Diagnostics() = default;
};

// Keeps every event in order (tests, and checks that only need to know).
class Diagnostic_log final : public Diagnostics {
 public:
  void Report(const Diagnostic& event) override { events_.push_back(event); }
  const std::vector<Diagnostic>& events() const { return events_; }

 private:
  std::vector<Diagnostic> events_;
};

}  // namespace torvane
