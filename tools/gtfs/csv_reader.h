#pragma once
// A reader of the comma-separated tables of a GTFS feed: RFC 4180 quoting
// (quoted fields with "" for a quote, commas and line breaks inside), a
// leading UTF-8 byte-order mark, LF or CRLF line ends, columns found by
// their header names in any order. Records are read one at a time into a
// reused buffer, so a table of a hundred thousand rows costs no allocation
// per row.
//
//   CsvReader csv(text, "stops.txt");
//   int id = csv.Require("stop_id"), name = csv.Column("stop_name");
//   while (csv.Next()) Use(csv.Field(id), csv.Field(name), csv.Line());
//
// A malformed table throws FeedError naming the file and the line.
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qo::gtfs {

// A feed that cannot be read as it stands. The text names the file and,
// where there is one, the line: "stop_times.txt:17: unknown stop 'X1'".
class FeedError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] void FailAt(std::string const& file, size_t line, std::string const& why);

class CsvReader {
 public:
  // Reads the header row at once; text must outlive the reader.
  CsvReader(std::string_view text, std::string file);

  // The index of a column, or -1 when the table lacks it.
  int Column(std::string_view name) const;
  // The index of a column the table must have; throws FeedError naming it.
  int Require(std::string_view name) const;

  // Moves to the next record; false at the end. Blank lines are skipped.
  bool Next();
  // A field of the current record, with surrounding blanks removed; empty
  // for column -1 or a record shorter than the header.
  std::string_view Field(int column) const;
  // The line (1-based) on which the current record begins.
  size_t Line() const { return recordLine_; }
  std::string const& File() const { return file_; }
  // How far into the text the reader has got, in bytes (for progress).
  size_t Offset() const { return pos_; }

  [[noreturn]] void Fail(std::string const& why) const { FailAt(file_, recordLine_, why); }

 private:
  bool ReadRecord(std::vector<std::string>& fields, size_t& used);

  std::string_view text_;
  std::string file_;
  size_t pos_ = 0;
  size_t line_ = 1;
  size_t recordLine_ = 0;
  std::vector<std::string> header_;
  size_t headerCount_ = 0;
  std::vector<std::string> fields_;
  size_t fieldCount_ = 0;
};

}  // namespace qo::gtfs
