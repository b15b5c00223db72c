// Reading the run's text files: a file loaded whole in large blocks, walked
// record by record and field by field, with every refusal naming the file,
// the record and the column where the reader stopped.
#pragma once

#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

#include "inspect/run_files/large_arrays.hpp"

namespace torvane::inspect {

// Bytes of a field a message quotes, so a corrupt megabyte does not flood the console.
inline constexpr std::size_t kShownField = 40;

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
  // Text already in memory; path only names it in messages.
  Text_file(std::string path, std::string text) : path_(std::move(path)), text_(std::move(text)) {}

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

// A file read front to back through one reused buffer of large blocks, for
// files too big to hold whole (the grid file of the largest grid is 64 MB).
class Block_stream {
 public:
  // Opens the file; throws Input_error when it cannot.
  explicit Block_stream(std::string path);
  ~Block_stream();
  Block_stream(const Block_stream&) = delete;
  Block_stream& operator=(const Block_stream&) = delete;

  const std::string& path() const { return path_; }
  // Length of the file when it was opened.
  std::size_t file_size() const { return file_size_; }
  // The bytes not yet consumed: at least `want` of them (up to the buffer's
  // size) unless the file ends first.
  std::string_view Window(std::size_t want);
  // Marks the first n bytes of the window as consumed.
  void Consume(std::size_t n) { begin_ += n; }
  // Whether the window reaches the end of the file.
  bool at_end() const { return eof_; }
  // Offset in the file of the window's first byte.
  std::size_t offset() const { return consumed_before_ + begin_; }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  Large_block buffer_;
  std::size_t begin_ = 0, end_ = 0;  // window within buffer_
  std::size_t consumed_before_ = 0;  // file offset of buffer_[0]
  std::size_t file_size_ = 0;
  bool eof_ = false;
};

// The blank-separated fields of one record, each with its column.
class Fields {
 public:
  Fields(const Text_file& file, const Record& record) : path_(file.path()), record_(record) {}
  Fields(const std::string& path, const Record& record) : path_(path), record_(record) {}

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
  const std::string& path_;
  Record record_;
  std::size_t at_ = 0;
  long column_ = 1;
};

// Parses the whole field as a finite real (a leading plus is allowed).
bool Parse_real(std::string_view field, double& value);
// Parses the whole field as a 32-bit integer.
bool Parse_integer(std::string_view field, int& value);

}  // namespace torvane::inspect
