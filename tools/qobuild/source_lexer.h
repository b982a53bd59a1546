#pragma once
// Lines and tokens of a timetable text source. A statement is a line that
// starts in the first column together with the indented lines below it.
#include <string>
#include <string_view>
#include <vector>

namespace qo::textsource {

struct Token {
  enum class Kind { kWord, kText, kOption };
  Kind kind = Kind::kWord;
  std::string value;    // the word, the text without quotes, or the option's value
  std::string key;      // options only: the part before '='
  bool quoted = false;  // options only: the value was a quoted text
};

struct Line {
  int number = 0;
  std::vector<Token> tokens;
};

struct Statement {
  Line head;
  std::vector<Line> body;
};

// Splits a source into statements; throws SourceError ("file:line: ...")
// for an unterminated text, a text glued to a word, or an indented line
// before the first statement.
std::vector<Statement> SplitStatements(std::string_view text, std::string const& file_name);

}  // namespace qo::textsource
