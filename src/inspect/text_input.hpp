// Reading the run's text files: a file loaded whole in large blocks, walked
// record by record and field by field, with every refusal naming the file,
// the record and the column where the reader stopped.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace torvane::inspect {

// A file that cannot be read, or whose text is not what the reader expects.
class Input_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Message "path, record r, column c: what", thrown as Input_error.
[[noreturn]] void Refuse(const std::string& path, long record, long column, std::string_view what);

// One record: its text without the line end, its number counted from 1, and
// whether a line end closed it (a file cut short leaves its last record open).
struct Record {
  std::string_view text;
  long number = 0;
  bool ended = false;
};

// A whole text file in memory, handed out one record at a time.
class Text_file {
 public:
  // Reads the file in large blocks; throws Input_error when it cannot.
  explicit Text_file(std::string path);

  const std::string& path() const { return path_; }
  std::size_t size() const { return text_.size(); }

  // The next record; false at the end of the file.
  bool Next(Record& record);
  // The next record, refusing with "what" when the file has ended.
  Record Expect(std::string_view what);
  // Refuses when anything but empty records follows.
  void Expect_end();

 private:
  std::string path_;
  std::string text_;
  std::size_t at_ = 0;
  long number_ = 0;
};

// The blank-separated fields of one record, each with its column.
class Fields {
 public:
  Fields(const Text_file& file, const Record& record) : file_(file), record_(record) {}

  // The next field, false when only blanks are left.
  bool Next(std::string_view& field);
  // Column (from 1) where the field last returned starts.
  long column() const { return column_; }
  // Column just after the last character looked at.
  long end_column() const { return static_cast<long>(at_) + 1; }

  // The next field as an integer or a finite real; refuses otherwise.
  int Integer(std::string_view what);
  double Real(std::string_view what);
  // Refuses when the record holds more than was read.
  void Expect_end(std::string_view what);

  [[noreturn]] void Refuse_here(std::string_view what) const;
  [[noreturn]] void Refuse_at(long column, std::string_view what) const;

 private:
  const Text_file& file_;
  Record record_;
  std::size_t at_ = 0;
  long column_ = 1;
};

// Parses the whole field as a finite real (a leading plus is allowed).
bool Parse_real(std::string_view field, double& value);
// Parses the whole field as a 32-bit integer.
bool Parse_integer(std::string_view field, int& value);

}  // namespace torvane::inspect
