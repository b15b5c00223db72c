// The Python module torvane: torvane's grid build, torvane-deck's checked deck
// and torvane-inspect's quality report on text and arrays in memory, for
// design loops that would otherwise run the programs and read their files.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "base/version.hpp"
#include "control/grid_storage.hpp"
#include "control/run.hpp"
#include "deck/deck_build.hpp"
#include "deck/rotor_deck.hpp"
#include "inspect/quality/cell_survey.hpp"
#include "inspect/quality/quality_bands.hpp"
#include "inspect/quality/report.hpp"
#include "inspect/run_files/run_files.hpp"
#include "inspect/run_files/text_input.hpp"
#include "output/grid_files.hpp"

namespace py = pybind11;

namespace {

// Things a Generator keeps from build to build, up to a number: the
// storages of grids no longer referenced (a fresh storage costs its first
// touch of some megabytes, about a third of a typical grid's build) and the
// helper threads of builds that are done. Shared by the threads that build.
template <typename Kept>
class Kept_pool {
 public:
  explicit Kept_pool(std::size_t most) : most_(most) {}
  // The latest one given back, or none.
  std::unique_ptr<Kept> Take() {
    std::lock_guard<std::mutex> held(lock_);
    if (free_.empty()) return nullptr;
    std::unique_ptr<Kept> kept = std::move(free_.back());
    free_.pop_back();
    return kept;
  }
  void Give_back(std::unique_ptr<Kept> kept) {
    std::lock_guard<std::mutex> held(lock_);
    if (kept && free_.size() < most_) free_.push_back(std::move(kept));
  }

 private:
  std::size_t most_;
  std::mutex lock_;
  std::vector<std::unique_ptr<Kept>> free_;
};

using Storage_pool = Kept_pool<torvane::Grid_storage>;

// A grid built in memory: the run's storage of just its size, whose
// coordinate arrays the numpy arrays view, and what its files need besides.
// Never changed once built, so arrays and threads can share it. A grid of a
// Generator gives its storage back to the generator's pool when it goes.
struct Grid_data {
  std::unique_ptr<torvane::Grid_storage> storage;
  std::shared_ptr<Storage_pool> pool;
  torvane::Block_sizes block{};
  double dphi = 0;
  torvane::Passage passage;  // span stations and boundary patches, as the topology file writes them
  std::string title, stem, console;
  std::optional<double> rpm;  // the rotor's speed the deck's block gives, for the machine file

  Grid_data() = default;
  Grid_data(const Grid_data&) = delete;
  Grid_data& operator=(const Grid_data&) = delete;
  ~Grid_data() {
    if (pool && storage) pool->Give_back(std::move(storage));
  }
  // The coordinate arrays as the file writers take them.
  torvane::Grid Views() const { return storage->grid(); }
};

using Grid_ptr = std::shared_ptr<Grid_data>;

// The exception classes: created once when the module is imported, read only
// afterwards, and held by the module's attributes for as long as it lives.
struct Module_errors {
  py::handle deck_error, grid_error, grid_warning;
};

Module_errors& Errors() {
  static Module_errors errors;
  return errors;
}

// Raises an exception of the class with the message and the run's console text.
[[noreturn]] void Raise(py::handle type, const std::string& message, int status, const std::string& console) {
  py::object error = type(message);
  error.attr("status") = status;
  error.attr("console") = console;
  PyErr_SetObject(type.ptr(), error.ptr());
  throw py::error_already_set();
}

// The lines of the console text, CR LF or LF ended.
std::vector<std::string> Console_lines(const std::string& console) {
  std::vector<std::string> lines;
  std::istringstream in(console);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The deck's bytes: a str or bytes that holds a line end is the deck itself, anything else names its file.
std::string Deck_bytes(const py::object& deck) {
  if (py::isinstance<py::bytes>(deck)) return deck.cast<std::string>();
  if (py::isinstance<py::str>(deck)) {
    std::string text = deck.cast<std::string>();
    if (text.find('\n') != std::string::npos) return text;
  }
  py::object path = py::module_::import("pathlib").attr("Path")(deck);
  return path.attr("read_bytes")().cast<std::string>();
}

// Builds grids one after another, each in the storage of a grid built before
// and no longer referenced when there is one of the same size, with the check
// on a helper thread kept from build to build (one per build at a time).
struct Generator {
  static constexpr std::size_t kKeptStorages = 4;
  static constexpr std::size_t kKeptHelpers = 4;
  std::shared_ptr<Storage_pool> pool = std::make_shared<Storage_pool>(kKeptStorages);
  Kept_pool<torvane::Helper_thread> helpers{kKeptHelpers};

  // A kept helper thread, else a new one, else none (the build then starts its own or checks on one thread).
  std::unique_ptr<torvane::Helper_thread> Take_helper() {
    if (std::unique_ptr<torvane::Helper_thread> kept = helpers.Take()) return kept;
    try {
      return std::make_unique<torvane::Helper_thread>();
    } catch (const std::system_error&) {
      return nullptr;
    }
  }
};

// Builds the deck's grid in a storage of just its size: one of the
// generator's kept storages when it fits, else a fresh one.
// A length keyword's text: a str as it is, a number as str() writes it.
std::string Length_text(const py::object& given) {
  return py::isinstance<py::str>(given) ? given.cast<std::string>() : py::str(given).cast<std::string>();
}

// The run's options from generate()'s keywords: tip_gap a length or a text
// such as "0.2%", gap_cells a count, tip_pinch a length or a text alike;
// ValueError for what cannot be a gap.
torvane::Run_options Options_of(const py::object& tip_gap, const py::object& gap_cells, const py::object& tip_pinch) {
  torvane::Run_options options;
  options.tip_gap_source = "tip_gap";
  options.tip_pinch_source = "tip_pinch";
  std::optional<torvane::Tip_gap_request> pinch;
  if (!tip_pinch.is_none()) {
    pinch.emplace();
    const std::string problem = torvane::Parse_tip_pinch(Length_text(tip_pinch), *pinch);
    if (!problem.empty()) throw py::value_error("tip_pinch " + problem);
  }
  if (tip_gap.is_none()) {
    if (!gap_cells.is_none()) throw py::value_error("gap_cells needs tip_gap: the cells are those across the tip gap");
    options.tip_pinch = pinch;  // the pinch of the deck's own gap, as torvane --tip-pinch alone
    return options;
  }
  const std::string text = Length_text(tip_gap);
  const torvane::Tip_gap_parse parse = torvane::Parse_tip_gap(text);
  if (!parse.request) throw py::value_error("tip_gap " + parse.problem);
  options.tip_gap = parse.request;
  if (!gap_cells.is_none()) {
    const int cells = gap_cells.cast<int>();
    if (cells < 1) throw py::value_error("gap_cells " + std::to_string(cells) + ": the gap needs at least 1 cell");
    options.tip_gap->cells = cells;
  }
  if (pinch) options.tip_gap->Take_pinch(*pinch);
  return options;
}

Grid_ptr Generate(const py::object& deck, Generator* generator, const torvane::Run_options& options) {
  const std::string text = Deck_bytes(deck);
  auto data = std::make_shared<Grid_data>();
  torvane::Grid_build build;
  {
    py::gil_scoped_release unlocked;
    std::unique_ptr<torvane::Helper_thread> helper;
    if (generator != nullptr) {
      data->pool = generator->pool;
      data->storage = generator->pool->Take();
      helper = generator->Take_helper();
    }
    std::istringstream in(text);
    build = torvane::Build_grid(in, data->storage, options, helper.get());
    if (generator != nullptr) generator->helpers.Give_back(std::move(helper));
  }
  // The warnings come first, as the run printed them before it stopped, if it did.
  for (const std::string& line : Console_lines(build.console)) {
    if (!line.starts_with("WARNING")) continue;
    if (PyErr_WarnEx(Errors().grid_warning.ptr(), line.c_str(), 1) != 0) throw py::error_already_set();
  }
  if (build.status == torvane::kExitRefused) {
    Raise(Errors().deck_error, build.diagnostic, build.status, build.console);
  }
  if (build.status != torvane::kExitComplete) {
    Raise(Errors().grid_error, build.diagnostic, build.status, build.console);
  }
  data->block = build.block;
  data->dphi = build.dphi;
  data->passage = std::move(build.passage);
  data->title = build.title;
  data->stem = build.stem;
  data->console = build.console;
  data->rpm = build.rpm;
  return data;
}

// The run's options from generate()'s keywords.
torvane::Run_options Options(bool large, bool smooth, const py::object& tip_gap, const py::object& gap_cells,
                             const py::object& tip_pinch) {
  torvane::Run_options options = Options_of(tip_gap, gap_cells, tip_pinch);
  options.large = large;
  options.smooth = smooth;
  return options;
}

// One coordinate as a read-only (ie, je, ke) array over the grid's storage.
py::array Coordinate(const Grid_ptr& grid, const torvane::Block& values) {
  const py::ssize_t d = sizeof(double);
  const py::ssize_t line = values.ld(), plane = line * values.nd2();
  py::capsule owner(new Grid_ptr(grid), [](void* held) { delete static_cast<Grid_ptr*>(held); });
  py::array_t<double> array({static_cast<py::ssize_t>(grid->block.ie), static_cast<py::ssize_t>(grid->block.je),
                             static_cast<py::ssize_t>(grid->block.ke)},
                            {d, d * line, d * plane}, &values(1, 1, 1), owner);
  array.attr("setflags")(py::arg("write") = false);
  return array;
}

// The grid's points in arrays of their own, as torvane-inspect reads them from the files.
torvane::inspect::Grid Points(const Grid_data& g) {
  torvane::inspect::Grid points;
  points.ie = g.block.ie;
  points.je = g.block.je;
  points.ke = g.block.ke;
  const torvane::Grid views = g.Views();
  const torvane::Block* from[3] = {&views.xg, &views.yg, &views.zg};
  std::vector<double>* to[3] = {&points.x, &points.y, &points.z};
  for (int c = 0; c < 3; ++c) {
    to[c]->reserve(points.points());
    for (int k = 1; k <= points.ke; ++k) {
      for (int j = 1; j <= points.je; ++j) {
        const double* row = &(*from[c])(1, j, k);
        to[c]->insert(to[c]->end(), row, row + points.ie);
      }
    }
  }
  return points;
}

// The stem as the file system takes it: a str or bytes path (os.fspath),
// its bytes as os.fsencode gives them. A stem with a NUL character, or with
// no name after its last slash (the files would be hidden, ".rgra"), is
// refused with ValueError.
std::string Stem_bytes(const Grid_ptr& grid, const py::object& stem_given) {
  const py::module_ os = py::module_::import("os");
  const std::string stem = stem_given.is_none()
                               ? grid->stem
                               : py::bytes(os.attr("fsencode")(os.attr("fspath")(stem_given))).cast<std::string>();
  auto refuse = [](const std::string& why) {
    PyErr_SetString(PyExc_ValueError, why.c_str());
    throw py::error_already_set();
  };
  if (stem.find('\0') != std::string::npos) refuse("the stem holds a NUL character, which no file name can hold");
  if (stem.empty() || stem.back() == '/') {
    refuse(std::string(stem_given.is_none() ? "the deck's stem (record 2)" : "the stem") +
           (stem.empty() ? " is empty" : " ends with a slash") +
           ": the files would be the hidden .rgra, .rtp and _grid_volume.plt; give write() a stem with a name");
  }
  return stem;
}

void Write(const Grid_ptr& grid, const py::object& stem_given) {
  const std::string stem = Stem_bytes(grid, stem_given);
  std::string failure;
  {
    py::gil_scoped_release unlocked;
    torvane::Console console;  // the " Storing ..." lines are not wanted here
    try {
      // As torvane does: the three temporaries under the stem's lock, renamed
      // into place together, so writers on one stem (threads, processes,
      // torvane itself) each leave a whole set.
      const torvane::Grid views = grid->Views();
      torvane::Run_output files = torvane::Create_run_output(stem, "the stem's folder", nullptr, grid->rpm.has_value());
      torvane::Write_grid_into(*files.grid, grid->block, views, console);
      torvane::Write_topology_into(*files.topology, grid->passage);
      torvane::Write_plot_into(*files.plot, grid->title, grid->block, views, console);
      if (grid->rpm) torvane::Write_machine_into(*files.machine, *grid->rpm);
      torvane::Put_in_place(files);
    } catch (const torvane::Run_stop& stop) {
      failure = stop.diagnostic;
    }
  }
  if (!failure.empty()) {
    PyErr_SetString(PyExc_OSError, failure.c_str());
    throw py::error_already_set();
  }
}

std::string Topology_text(const Grid_ptr& grid) { return torvane::Topology_text(grid->passage); }

// A range as the topology file writes it.
py::tuple Range_tuple(const torvane::Boundary_patch& patch, int n) {
  const torvane::Cell_range r = torvane::Written_range(patch, n);
  return py::make_tuple(r.lo, r.hi);
}

// The topology file's rows, from the passage it writes.
py::list Topology_rows(const Grid_ptr& grid) {
  py::list rows;
  for (const torvane::Boundary_patch& patch : grid->passage.patches) {
    py::dict row;
    row["code"] = torvane::Topology_code(patch.role);
    row["face"] = patch.face;
    row["first"] = Range_tuple(patch, 0);
    row["second"] = Range_tuple(patch, 1);
    row["partner_face"] = patch.partner_face;
    row["partner_first"] = patch.periodic() ? Range_tuple(patch, 0) : py::make_tuple(0, 0);
    row["partner_second"] = patch.periodic() ? Range_tuple(patch, 1) : py::make_tuple(0, 0);
    row["angle"] = patch.periodic() ? py::object(py::float_(patch.angle)) : py::object(py::none());
    rows.append(row);
  }
  return rows;
}

// A figure of the report: None where `torvane-inspect report --json` writes null.
py::object Figure(double v) { return std::isfinite(v) ? py::object(py::float_(v)) : py::object(py::none()); }

py::dict Measure(const torvane::inspect::Measure_summary& s, py::dict limits) {
  py::dict d;
  d["min"] = Figure(s.min);
  d["max"] = Figure(s.max);
  d["bad"] = s.bands[2];
  d["fair"] = s.bands[1];
  d["good"] = s.bands[0];
  d["limits"] = std::move(limits);
  return d;
}

py::dict Spread(const torvane::inspect::Spread& s) {
  py::dict d;
  d["points"] = s.count;
  d["min"] = Figure(s.min);
  d["median"] = Figure(s.median);
  d["max"] = Figure(s.max);
  return d;
}

// The figures of `torvane-inspect report --json`, key for key, from the report itself.
py::dict Report_dict(const torvane::inspect::Report& r) {
  namespace in = torvane::inspect;
  const in::Quality_summary& q = r.quality;
  py::dict d;
  d["stem"] = r.stem;
  d["points"] = py::dict(py::arg("ie") = r.ie, py::arg("je") = r.je, py::arg("ke") = r.ke,
                         py::arg("count") = static_cast<long>(r.ie) * r.je * r.ke);
  d["cells"] = q.cells;
  d["leading_edge_i"] = r.ile;
  d["trailing_edge_i"] = r.ite;
  d["pitch_angle_rad"] = Figure(r.pitch_angle);
  d["scaled_jacobian"] = Measure(q.jacobian, py::dict(py::arg("bad_below") = Figure(in::kJacobianBad),
                                                      py::arg("fair_below") = Figure(in::kJacobianFair)));
  d["folded_cells"] = q.folded;
  py::list folded;
  for (const in::Cell_at& c : r.folded) {
    folded.append(py::dict(py::arg("i") = c.i, py::arg("j") = c.j, py::arg("k") = c.k,
                           py::arg("scaled_jacobian") = Figure(c.scaled_jacobian)));
  }
  d["folded_listed"] = folded;
  d["face_angle_deg"] = Measure(
      q.angle,
      py::dict(py::arg("bad_below") = Figure(in::kAngleBadLow), py::arg("bad_above") = Figure(in::kAngleBadHigh),
               py::arg("fair_below") = Figure(in::kAngleFairLow), py::arg("fair_above") = Figure(in::kAngleFairHigh)));
  d["aspect_ratio"] = Measure(q.aspect, py::dict(py::arg("fair_above") = Figure(in::kAspectFair),
                                                 py::arg("bad_above") = Figure(in::kAspectBad)));
  d["volume_ratio"] = Measure(q.volume_ratio, py::dict(py::arg("fair_above") = Figure(in::kVolumeRatioFair),
                                                       py::arg("bad_above") = Figure(in::kVolumeRatioBad)));
  d["first_cell_height"] = py::dict(
      py::arg("blade_wall_j1") = Spread(r.heights.blade_j1), py::arg("blade_wall_je") = Spread(r.heights.blade_je),
      py::arg("hub") = Spread(r.heights.hub), py::arg("casing") = Spread(r.heights.casing));
  const in::Periodic_match& p = r.periodic;
  d["periodic"] =
      py::dict(py::arg("points") = p.points, py::arg("max_mismatch") = Figure(p.max_mismatch),
               py::arg("max_mismatch_over_pitch") = Figure(p.max_relative),
               py::arg("at") = py::dict(py::arg("i") = p.at_i, py::arg("j") = p.at_j, py::arg("k") = p.at_k),
               py::arg("ok") = r.Periodic_ok());
  const torvane::Blade_sense& b = r.sense;
  d["blade_wall_sense"] =
      py::dict(py::arg("stations") = b.stations, py::arg("covering") = b.covering,
               py::arg("min_thickness") = Figure(b.min_thickness), py::arg("max_thickness") = Figure(b.max_thickness),
               py::arg("thinnest_at") = py::dict(py::arg("i") = b.at_i, py::arg("k") = b.at_k));
  if (r.tip_gap.tip_k > 0) {
    const in::Tip_gap_survey& t = r.tip_gap;
    py::list stations;
    for (std::size_t n = 0; n < t.gap.size(); ++n) {
      stations.append(py::dict(py::arg("i") = r.ile + static_cast<int>(n),
                               py::arg("tip_radius") = Figure(t.tip_radius[n]), py::arg("gap") = Figure(t.gap[n])));
    }
    d["tip_gap"] = py::dict(py::arg("tip_k") = t.tip_k, py::arg("wall_k") = py::list(py::make_tuple(1, t.tip_k)),
                            py::arg("min_tip_radius") = Figure(t.min_tip_radius),
                            py::arg("max_tip_radius") = Figure(t.max_tip_radius),
                            py::arg("min_gap") = Figure(t.min_gap), py::arg("max_gap") = Figure(t.max_gap),
                            py::arg("mean_gap") = Figure(t.mean_gap), py::arg("stations") = stations);
  }
  if (r.plot_checked) {
    d["plot_file"] = py::dict(py::arg("points") = r.plot.points, py::arg("differing") = r.plot.differing);
  }
  py::list bad;
  for (int m = 0; m < torvane::inspect::kMeasures; ++m) {
    const torvane::inspect::Bad_cells& c = r.bad[m];
    if (c.count == 0) continue;
    bad.append(py::dict(py::arg("measure") = torvane::inspect::kMeasureKeys[m], py::arg("count") = c.count,
                        py::arg("worst") = py::dict(py::arg("i") = c.i, py::arg("j") = c.j, py::arg("k") = c.k),
                        py::arg("k_first") = c.k_first, py::arg("k_last") = c.k_last,
                        py::arg("place") = torvane::inspect::Bad_place(r, c)));
  }
  d["bad_cells"] = bad;
  d["result"] = torvane::inspect::Verdict(r);
  d["exit_status"] = r.Exit_status();
  return d;
}

// The figures of `torvane-inspect report --json` for the grid, from its arrays and its passage.
py::object Report(const Grid_ptr& grid) {
  std::optional<torvane::inspect::Report> report;
  std::string failure;
  {
    py::gil_scoped_release unlocked;
    try {
      const torvane::inspect::Run_files run = torvane::inspect::Lay_out_run(grid->stem, Points(*grid), grid->passage);
      const auto survey = torvane::inspect::Survey_cells(run.grid, run.faces);
      report = torvane::inspect::Make_report(run.stem, run.grid, run.faces, survey);
    } catch (const torvane::inspect::Input_error& e) {
      failure = e.what();
    }
  }
  if (!report) Raise(Errors().grid_error, failure, 1, grid->console);
  return Report_dict(*report);
}

// A section argument of deck(): the text of a section when it holds a line end, else its file.
torvane::deck::Section_source Section(const py::object& given, const char* surface) {
  if (py::isinstance<py::str>(given)) {
    std::string text = given.cast<std::string>();
    if (text.find('\n') != std::string::npos) return {std::string(surface) + " text", std::move(text)};
  }
  return {py::str(py::module_::import("os").attr("fspath")(given)).cast<std::string>(), std::nullopt};
}

// A keyword value as torvane-deck takes it on its command line.
std::string Value_text(const std::string& name, const py::handle& value) {
  if (py::isinstance<py::bool_>(value)) throw py::type_error("deck(" + name + "=...): a number or text, not a bool");
  if (py::isinstance<py::int_>(value)) return py::str(value).cast<std::string>();
  if (py::isinstance<py::float_>(value)) return py::repr(value).cast<std::string>();
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  throw py::type_error("deck(" + name + "=...): a number or text, not " +
                       py::str(py::type::of(value).attr("__name__")).cast<std::string>());
}

// A refused deck as DeckError: its lines joined, with the status and the lines as attributes.
[[noreturn]] void Raise_deck_error(const torvane::deck::Deck_build& build) {
  std::string message;
  for (const std::string& line : build.messages) message += (message.empty() ? "" : "\n") + line;
  py::object error = Errors().deck_error(message);
  error.attr("status") = build.status;
  error.attr("messages") = build.messages;
  PyErr_SetObject(Errors().deck_error.ptr(), error.ptr());
  throw py::error_already_set();
}

std::string Deck(const py::object& hub, const py::object& casing, const py::object& points, const py::kwargs& values) {
  torvane::deck::Deck_request request;
  request.hub = Section(hub, "hub");
  request.casing = Section(casing, "casing");
  if (!points.is_none()) {
    request.points = Value_text("points", points);
    request.points_origin = "deck(points=...)";
  }
  for (const auto& [key, value] : values) {
    const std::string name = py::str(key).cast<std::string>();
    if ((name == "large" || name == "smooth") && py::isinstance<py::bool_>(value)) {
      request.settings.push_back({name, value.cast<bool>() ? "yes" : "no", "deck(" + name + "=...)"});
      continue;
    }
    // The tip gap, its cells and pinch and the speed go into the deck's block, as --tip-gap,
    // --gap-cells, --tip-pinch and --rpm put them.
    if (name == "tip_gap" || name == "gap_cells" || name == "tip_pinch" || name == "rpm") {
      torvane::deck::Setting& setting = name == "tip_gap"     ? request.tip_gap
                                        : name == "gap_cells" ? request.gap_cells
                                        : name == "tip_pinch" ? request.tip_pinch
                                                              : request.rpm;
      setting = {name, Value_text(name, value), "deck(" + name + "=...)"};
      continue;
    }
    request.settings.push_back({name, Value_text(name, value), "deck(" + name + "=...)"});
  }
  torvane::deck::Deck_build build;
  {
    py::gil_scoped_release unlocked;
    build = torvane::deck::Build_deck(request);
  }
  if (build.status != 0) Raise_deck_error(build);
  // The dry run's note of bad cells, as torvane-deck prints it beside the deck.
  for (const std::string& line : build.messages) {
    if (PyErr_WarnEx(Errors().grid_warning.ptr(), line.c_str(), 1) != 0) throw py::error_already_set();
  }
  return build.deck;
}

// A path argument as a string.
std::string Path_text(const py::object& given) {
  return py::str(py::module_::import("os").attr("fspath")(given)).cast<std::string>();
}

std::string Row_deck(const py::object& profile, const py::object& hub_curve, const py::object& casing_curve,
                     const py::object& info, const py::kwargs& values) {
  torvane::deck::Row_request request;
  request.profile = Path_text(profile);
  request.hub_curve = Path_text(hub_curve);
  request.casing_curve = Path_text(casing_curve);
  if (!info.is_none()) request.info = Path_text(info);
  for (const auto& [key, value] : values) {
    const std::string name = py::str(key).cast<std::string>();
    const std::string text = Value_text(name, value);
    if (name == "unit") {
      request.unit = text;
    } else if (name == "inlet_plane") {
      request.inlet_plane = text;
    } else if (name == "outlet_plane") {
      request.outlet_plane = text;
    } else if (name == "rpm") {
      request.rpm = {name, text, "row_deck(rpm=...)"};
    } else if (name == "tip_gap") {
      request.tip_gap = {name, text, "row_deck(tip_gap=...)"};
    } else if (name == "gap_cells") {
      request.gap_cells = {name, text, "row_deck(gap_cells=...)"};
    } else if (name == "tip_pinch") {
      request.tip_pinch = {name, text, "row_deck(tip_pinch=...)"};
    } else {
      request.settings.push_back({name, text, "row_deck(" + name + "=...)"});
    }
  }
  torvane::deck::Deck_build build;
  {
    py::gil_scoped_release unlocked;
    build = torvane::deck::Build_row_deck(request);
  }
  if (build.status != 0) Raise_deck_error(build);
  return build.deck;
}

}  // namespace

PYBIND11_MODULE(torvane, m) {
  // numpy at once: an interpreter without it (another than the one the module was built for)
  // hears which interpreter that is, not a bare "No module named 'numpy'" at the first grid.
  try {
    py::module_::import("numpy");
  } catch (py::error_already_set& e) {
    const std::string running = py::str(py::module_::import("sys").attr("executable"));
    // Raised by the module's initialisation as ImportError with these words.
    throw std::runtime_error(
        "torvane: numpy cannot be imported by " + running + " (" + std::string(py::str(e.value())) +
        "); the module was built for " TORVANE_PYTHON_EXECUTABLE ", which has numpy: run it with that interpreter");
  }
  m.doc() = "torvane: H-grids of a blade passage, their decks and their quality, in memory";
  m.attr("__version__") = torvane::kVersion;

  Module_errors& errors = Errors();
  // New references, never given back: the classes live as long as the process.
  errors.deck_error = PyErr_NewExceptionWithDoc(
      "torvane.DeckError", "A deck or a deck value torvane or torvane-deck refuses.", PyExc_ValueError, nullptr);
  errors.grid_error = PyErr_NewExceptionWithDoc(
      "torvane.GridError", "A grid that cannot be built from a readable deck.", PyExc_RuntimeError, nullptr);
  errors.grid_warning = PyErr_NewExceptionWithDoc(
      "torvane.GridWarning", "A WARNING line torvane prints while building a grid.", PyExc_UserWarning, nullptr);
  if (!errors.deck_error || !errors.grid_error || !errors.grid_warning) throw py::error_already_set();
  m.attr("DeckError") = errors.deck_error;
  m.attr("GridError") = errors.grid_error;
  m.attr("GridWarning") = errors.grid_warning;

  py::class_<Grid_data, Grid_ptr>(m, "Grid", "A grid built by torvane.generate.")
      .def_property_readonly(
          "x", [](const Grid_ptr& g) { return Coordinate(g, g->storage->grid().xg); },
          "axial coordinates, shape (ie, je, ke)")
      .def_property_readonly(
          "y", [](const Grid_ptr& g) { return Coordinate(g, g->storage->grid().yg); },
          "r sin(theta), shape (ie, je, ke)")
      .def_property_readonly(
          "z", [](const Grid_ptr& g) { return Coordinate(g, g->storage->grid().zg); },
          "r cos(theta), shape (ie, je, ke)")
      .def_property_readonly("shape",
                             [](const Grid_ptr& g) { return py::make_tuple(g->block.ie, g->block.je, g->block.ke); })
      .def_property_readonly("ie", [](const Grid_ptr& g) { return g->block.ie; })
      .def_property_readonly("je", [](const Grid_ptr& g) { return g->block.je; })
      .def_property_readonly("ke", [](const Grid_ptr& g) { return g->block.ke; })
      .def_property_readonly(
          "ile", [](const Grid_ptr& g) { return g->block.ile; }, "leading-edge i (from 1)")
      .def_property_readonly(
          "ite", [](const Grid_ptr& g) { return g->block.ite; }, "trailing-edge i (from 1)")
      .def_property_readonly("nin", [](const Grid_ptr& g) { return g->block.nin; })
      .def_property_readonly("npitch", [](const Grid_ptr& g) { return g->block.npitch; })
      .def_property_readonly("nspan", [](const Grid_ptr& g) { return g->block.nspan; })
      .def_property_readonly(
          "tip_k", [](const Grid_ptr& g) { return g->passage.Blade_top(); },
          "k of the blade tip (from 1): ke when the blade reaches the casing, below it with a tip gap")
      .def_property_readonly(
          "gap_cells", [](const Grid_ptr& g) { return g->block.ke - g->passage.Blade_top(); },
          "cells across the tip gap (0: none)")
      .def_property_readonly(
          "pitch_angle", [](const Grid_ptr& g) { return g->dphi; }, "pitch angle [rad]")
      .def_property_readonly(
          "rpm", [](const Grid_ptr& g) { return g->rpm ? py::object(py::float_(*g->rpm)) : py::object(py::none()); },
          "the rotor's speed [rpm] the deck's block gives (its rpm entry), None when it gives none; write() "
          "leaves it in STEM.rmach")
      .def_property_readonly("title", [](const Grid_ptr& g) { return g->title; })
      .def_property_readonly(
          "stem", [](const Grid_ptr& g) { return g->stem; }, "the deck's output stem")
      .def_property_readonly(
          "console", [](const Grid_ptr& g) { return g->console; },
          "what torvane prints for the deck, up to the volume grid")
      .def_property_readonly("topology", &Topology_rows, "the boundary rows of the topology file, as dicts")
      .def_property_readonly("topology_text", &Topology_text, "the topology file's text")
      .def("write", &Write, py::arg("stem") = py::none(),
           "Writes STEM.rgra, STEM.rtp and STEM_grid_volume.plt (and STEM.rmach when the deck gives the rotor's "
           "speed) as torvane does, as one set under STEM.lock (stem: a str or bytes path, the deck's by default).")
      .def("report", &Report, "The figures of `torvane-inspect report --json` as a dict.")
      .def("__repr__", [](const Grid_ptr& g) {
        return "<torvane.Grid " + g->stem + " " + std::to_string(g->block.ie) + " x " + std::to_string(g->block.je) +
               " x " + std::to_string(g->block.ke) + ">";
      });

  m.def(
      "generate",
      [](const py::object& deck, bool large, bool smooth, const py::object& tip_gap, const py::object& gap_cells,
         const py::object& tip_pinch) {
        return Generate(deck, nullptr, Options(large, smooth, tip_gap, gap_cells, tip_pinch));
      },
      py::arg("deck"), py::kw_only(), py::arg("large") = false, py::arg("smooth") = false,
      py::arg("tip_gap") = py::none(), py::arg("gap_cells") = py::none(), py::arg("tip_pinch") = py::none(),
      "Builds the grid of a deck (its text, or the path of its file); raises DeckError or GridError. "
      "large=True: up to 999 intervals each way, as torvane --large; smooth=True smooths the passage as "
      "torvane --smooth. tip_gap (a length, or a text such as "
      "\"0.2%\" of span) ends the blade that far below the casing, gap_cells cells across the gap (default 6), "
      "tip_pinch (alike) the height below the tip over which its walls close onto the camber.");

  py::class_<Generator>(m, "Generator",
                        "Builds grids one after another, each in the storage of an earlier grid no longer referenced.")
      .def(py::init<>())
      .def(
          "generate",
          [](Generator& g, const py::object& deck, bool large, bool smooth, const py::object& tip_gap,
             const py::object& gap_cells, const py::object& tip_pinch) {
            return Generate(deck, &g, Options(large, smooth, tip_gap, gap_cells, tip_pinch));
          },
          py::arg("deck"), py::kw_only(), py::arg("large") = false, py::arg("smooth") = false,
          py::arg("tip_gap") = py::none(), py::arg("gap_cells") = py::none(), py::arg("tip_pinch") = py::none(),
          "As torvane.generate, in the storage of a grid of this generator that is gone when one has the size.");
  m.def("deck", &Deck, py::arg("hub"), py::arg("casing"), py::kw_only(), py::arg("points") = py::none(),
        "The deck torvane-deck writes for two sections (files or their text) and record values by name.");
  m.def("row_deck", &Row_deck, py::arg("profile"), py::arg("hub_curve"), py::arg("casing_curve"),
        py::arg("info") = py::none(),
        "The deck torvane-deck writes for a blade row's curve files (--profile, --hub-curve, --casing-curve, "
        "--info); unit, inlet_plane, outlet_plane and record values by name.");
}
