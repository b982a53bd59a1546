#pragma once
// The "{name}value" fields that owner, line and service-code descriptions
// are written in.
#include <cstddef>
#include <string>
#include <string_view>

namespace qo {

inline constexpr size_t kMaxFieldName = 10;

// The value of field `name` in a text: what follows "{name}" up to the next
// '{' or the end. False when the text lacks the field or the name is longer
// than 10 characters.
bool GetField(std::string_view name, std::string_view text, std::string_view* value);

// True when the text has both '{' and '}'.
bool HasFields(std::string_view text);

// The display text of an owner description: the raw text when it has no
// fields, else ON; then OF, or else OD, or else OC; then OT, joined by "; ".
std::string OwnerDisplayText(std::string_view description);

}  // namespace qo
