#include "qobuild/source_lexer.h"

#include "qobuild/text_source.h"

namespace qo::textsource {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

class LineLexer {
 public:
  LineLexer(std::string_view line, int number, std::string const& file)
      : s_(line), number_(number), file_(file) {}

  std::vector<Token> Tokens() {
    std::vector<Token> tokens;
    for (;;) {
      while (i_ < s_.size() && IsBlank(s_[i_])) ++i_;
      if (i_ == s_.size() || s_[i_] == '#') break;
      if (s_[i_] == '"') {
        Token t;
        t.kind = Token::Kind::kText;
        t.value = Quoted();
        tokens.push_back(std::move(t));
      } else {
        tokens.push_back(Bare());
      }
      if (i_ < s_.size() && !IsBlank(s_[i_]))
        Fail("put a blank between a text and what follows it");
    }
    return tokens;
  }

 private:
  [[noreturn]] void Fail(std::string const& why) {
    throw SourceError(file_ + ":" + std::to_string(number_) + ": " + why);
  }

  std::string Quoted() {
    ++i_;
    std::string out;
    while (i_ < s_.size() && s_[i_] != '"') {
      if (s_[i_] == '\\' && i_ + 1 < s_.size() && (s_[i_ + 1] == '"' || s_[i_ + 1] == '\\')) ++i_;
      out.push_back(s_[i_++]);
    }
    if (i_ == s_.size()) Fail("unterminated text (a text ends with \" on the same line)");
    ++i_;
    return out;
  }

  Token Bare() {
    size_t start = i_;
    while (i_ < s_.size() && !IsBlank(s_[i_]) && s_[i_] != '"') ++i_;
    std::string word(s_.substr(start, i_ - start));
    Token t;
    size_t eq = word.find('=');
    if (eq == std::string::npos || eq == 0) {
      if (i_ < s_.size() && s_[i_] == '"') Fail("put a blank between a word and a text");
      t.value = std::move(word);
      return t;
    }
    t.kind = Token::Kind::kOption;
    t.key = word.substr(0, eq);
    t.value = word.substr(eq + 1);
    if (t.value.empty() && i_ < s_.size() && s_[i_] == '"') {
      t.value = Quoted();
      t.quoted = true;
    } else if (i_ < s_.size() && s_[i_] == '"') {
      Fail("put a blank between a word and a text");
    }
    return t;
  }

  std::string_view s_;
  int number_;
  std::string const& file_;
  size_t i_ = 0;
};

}  // namespace

std::vector<Statement> SplitStatements(std::string_view text, std::string const& file_name) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a byte-order mark
  std::vector<Statement> statements;
  int number = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    Line line;
    line.number = number;
    line.tokens = LineLexer(raw, number, file_name).Tokens();
    if (line.tokens.empty()) continue;
    if (IsBlank(raw[0])) {
      if (statements.empty()) {
        throw SourceError(
            file_name + ":" + std::to_string(number) +
            ": an indented line belongs to the statement above it, but there is none");
      }
      statements.back().body.push_back(std::move(line));
    } else {
      statements.push_back({std::move(line), {}});
    }
  }
  return statements;
}

}  // namespace qo::textsource
