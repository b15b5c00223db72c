#include "control/run_diagnostics.hpp"

#include <string>

#include "output/number_format.hpp"

namespace torvane {

namespace {

std::string Lines_of(const Stretch_not_converged& e) {
  std::string values = " n,r,riter,sumdx,dx1 = ";
  Put_integer(values, e.n, 5);
  Put_exponent(values, e.r, 12, 4);
  Put_exponent(values, e.r, 12, 4);
  Put_exponent(values, e.sumdx, 12, 4);
  Put_exponent(values, e.dx1, 12, 4);
  return "\r\nWARNING (Stretch): no convergence.\r\n" + values + "\r\n\r\n";
}

std::string Lines_of(const Inversion_not_converged&) { return "\r\nWARNING (Bezier_x): not converged\r\n\r\n"; }

std::string Lines_of(const Inversion_outside_interval&) {
  return "\r\nERROR (Bezier_x): x-coordinate outside the specified curve interval\r\n";
}

std::string Lines_of(const Contour_approximated&) { return " Blade contour: one-shot Bezier spline approx. done\r\n"; }

}  // namespace

std::string Console_lines(const Diagnostic& event) {
  return std::visit([](const auto& e) { return Lines_of(e); }, event);
}

void Console_diagnostics::Report(const Diagnostic& event) {
  console_.write(Console_lines(event));
  if (listener_) listener_(part_, event);
}

}  // namespace torvane
