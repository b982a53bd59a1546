#include "gtfs/csv_reader.h"

namespace qo::gtfs {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

void FailAt(std::string const& file, size_t line, std::string const& why) {
  if (line == 0) throw FeedError(file + ": " + why);
  throw FeedError(file + ":" + std::to_string(line) + ": " + why);
}

CsvReader::CsvReader(std::string_view text, std::string file)
    : text_(text), file_(std::move(file)) {
  if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  if (!ReadRecord(header_, headerCount_)) FailAt(file_, 0, "the file is empty (no header row)");
  header_.resize(headerCount_);
  for (std::string& name : header_) name = std::string(Trim(name));
}

int CsvReader::Column(std::string_view name) const {
  for (size_t i = 0; i < header_.size(); ++i)
    if (header_[i] == name) return static_cast<int>(i);
  return -1;
}

int CsvReader::Require(std::string_view name) const {
  int column = Column(name);
  if (column < 0) FailAt(file_, 1, "missing required column " + std::string(name));
  return column;
}

bool CsvReader::Next() {
  while (ReadRecord(fields_, fieldCount_)) {
    if (fieldCount_ > 1 || !Trim(fields_[0]).empty()) return true;
  }
  return false;
}

std::string_view CsvReader::Field(int column) const {
  if (column < 0 || static_cast<size_t>(column) >= fieldCount_) return {};
  return Trim(fields_[column]);
}

// One record into fields[0..used); the strings are reused from call to call.
bool CsvReader::ReadRecord(std::vector<std::string>& fields, size_t& used) {
  used = 0;
  if (pos_ >= text_.size()) return false;
  recordLine_ = line_;
  auto field = [&]() -> std::string& {
    if (used == fields.size()) fields.emplace_back();
    std::string& f = fields[used++];
    f.clear();
    return f;
  };
  std::string* current = &field();
  bool quoted = false, afterQuote = false;
  while (pos_ < text_.size()) {
    char c = text_[pos_++];
    if (quoted) {
      if (c == '"') {
        if (pos_ < text_.size() && text_[pos_] == '"') {
          current->push_back('"');
          ++pos_;
        } else {
          quoted = false;
          afterQuote = true;
        }
      } else {
        if (c == '\n') ++line_;
        current->push_back(c);
      }
      continue;
    }
    if (c == ',') {
      current = &field();
      afterQuote = false;
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
      ++line_;
      return true;
    } else if (c == '"' && !afterQuote &&
               Trim(*current).empty()) {  // blanks before an opening quote are allowed
      current->clear();
      quoted = true;
    } else if (afterQuote) {
      if (c != ' ' && c != '\t') {
        FailAt(file_, line_, "text after the closing quote of a field");
      }
    } else {
      current->push_back(c);
    }
  }
  if (quoted) FailAt(file_, recordLine_, "a quoted field is not closed before the end of the file");
  return true;
}

}  // namespace qo::gtfs
