#include "inspect/run_files/text_input.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "base/terminal_text.hpp"
#include "base/text.hpp"

namespace torvane::inspect {

namespace {

// Large enough that even the largest grid file takes a handful of reads.
constexpr std::size_t kBlock = std::size_t{8} << 20;
// Buffer of a streamed file: small enough to stay in cache-friendly reach.
constexpr std::size_t kStreamBlock = std::size_t{4} << 20;

struct File_closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// The run files torvane writes separate their numbers by spaces alone; tabs are read as well.
constexpr bool Is_blank(char c) { return torvane::Is_blank(c, Blanks::space_tab); }

// Shows a field in a message, shortened so a corrupt megabyte does not flood the console.
std::string Quote(std::string_view field) { return Quoted(field, kShownField); }

}  // namespace

void Refuse(const std::string& path, long record, long column, std::string_view what) {
  std::string message = path + ", record " + std::to_string(record);
  if (column > 0) message += ", column " + std::to_string(column);
  message += ": ";
  message += what;
  throw Input_error(message);
}

Text_file::Text_file(std::string path) : path_(std::move(path)) {
  std::unique_ptr<std::FILE, File_closer> file(std::fopen(path_.c_str(), "rb"));
  if (!file) throw Input_error(path_ + ": cannot open: " + std::strerror(errno));
  // Size the buffer once from the file's length, then read it block by block
  // (and on, should the file have grown meanwhile).
  std::error_code error;
  const auto expected = std::filesystem::file_size(path_, error);
  if (!error) text_.resize(static_cast<std::size_t>(expected));
  std::size_t filled = 0;
  for (;;) {
    if (filled == text_.size()) {
      // Make room for another block only when the file holds more: zeroing
      // 8 MB for nothing took far longer than reading a topology file.
      const int next = std::fgetc(file.get());
      if (next == EOF) break;
      text_.resize(filled + kBlock);
      text_[filled++] = static_cast<char>(next);
    }
    const std::size_t want = std::min(kBlock, text_.size() - filled);
    const std::size_t got = std::fread(text_.data() + filled, 1, want, file.get());
    filled += got;
    if (got < want) break;
  }
  text_.resize(filled);
  if (std::ferror(file.get())) throw Input_error(path_ + ": cannot read: " + std::strerror(errno));
}

bool Text_file::Next(Record& record) {
  if (at_ >= text_.size()) return false;
  const char* begin = text_.data() + at_;
  std::size_t left = text_.size() - at_;
  const void* newline = std::memchr(begin, '\n', left);
  std::size_t length = newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - begin) : left;
  record.ended = newline != nullptr;
  at_ += length + (record.ended ? 1 : 0);
  if (record.ended && length > 0 && begin[length - 1] == '\r') --length;
  record.text = std::string_view(begin, length);
  record.number = ++number_;
  return true;
}

Record Text_file::Expect(std::string_view what) {
  Record record;
  if (!Next(record)) {
    Refuse(path_, number_ + 1, 0, std::string("missing (the file ends before ") + std::string(what) + ")");
  }
  return record;
}

void Text_file::Expect_end() {
  Record record;
  while (Next(record)) {
    if (record.text.find_first_not_of(" \t") != std::string_view::npos) {
      Refuse(path_, record.number, 1, "unexpected record after the end of the data");
    }
  }
}

Block_stream::Block_stream(std::string path) : path_(std::move(path)), buffer_(kStreamBlock) {
  file_ = std::fopen(path_.c_str(), "rb");
  if (!file_) throw Input_error(path_ + ": cannot open: " + std::strerror(errno));
  std::error_code error;
  const auto size = std::filesystem::file_size(path_, error);
  file_size_ = error ? 0 : static_cast<std::size_t>(size);
}

Block_stream::~Block_stream() { std::fclose(file_); }

std::string_view Block_stream::Window(std::size_t want) {
  if (end_ - begin_ < want && !eof_) {
    // Keep the unconsumed tail, move it to the front and fill up behind it.
    const std::size_t kept = end_ - begin_;
    std::memmove(buffer_.data(), buffer_.data() + begin_, kept);
    consumed_before_ += begin_;
    begin_ = 0;
    end_ = kept;
    while (end_ < buffer_.size() && !eof_) {
      const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
      end_ += got;
      if (got == 0) {
        if (std::ferror(file_)) throw Input_error(path_ + ": cannot read: " + std::strerror(errno));
        eof_ = true;
      }
    }
  }
  return std::string_view(buffer_.data() + begin_, end_ - begin_);
}

bool Fields::Next(std::string_view& field) {
  const std::string_view text = record_.text;
  while (at_ < text.size() && Is_blank(text[at_])) ++at_;
  if (at_ >= text.size()) return false;
  std::size_t start = at_;
  while (at_ < text.size() && !Is_blank(text[at_])) ++at_;
  field = text.substr(start, at_ - start);
  column_ = static_cast<long>(start) + 1;
  return true;
}

void Fields::Refuse_here(std::string_view what) const { Refuse(path_, record_.number, column_, what); }

void Fields::Refuse_at(long column, std::string_view what) const { Refuse(path_, record_.number, column, what); }

int Fields::Integer(std::string_view what) {
  std::string_view field;
  if (!Next(field)) {
    column_ = end_column();
    Refuse_here(std::string("missing ") + std::string(what));
  }
  int value = 0;
  if (!Parse_integer(field, value)) Refuse_here(std::string(what) + ": " + Quote(field) + " is not an integer");
  return value;
}

double Fields::Real(std::string_view what) {
  std::string_view field;
  if (!Next(field)) {
    column_ = end_column();
    Refuse_here(std::string("missing ") + std::string(what));
  }
  double value = 0;
  if (!Parse_real(field, value)) Refuse_here(std::string(what) + ": " + Quote(field) + " is not a finite number");
  return value;
}

void Fields::Expect_end(std::string_view what) {
  std::string_view field;
  if (Next(field)) Refuse_here(std::string("unexpected ") + Quote(field) + " after " + std::string(what));
}

bool Parse_real(std::string_view field, double& value) {
  if (field.size() > 1 && field.front() == '+' && field[1] != '-') field.remove_prefix(1);
  const char* end = field.data() + field.size();
  auto result = std::from_chars(field.data(), end, value);
  return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool Parse_integer(std::string_view field, int& value) {
  if (field.size() > 1 && field.front() == '+' && field[1] != '-') field.remove_prefix(1);
  const char* end = field.data() + field.size();
  auto result = std::from_chars(field.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

}  // namespace torvane::inspect
