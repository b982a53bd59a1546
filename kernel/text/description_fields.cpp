#include "text/description_fields.h"

namespace qo {

bool GetField(std::string_view name, std::string_view text, std::string_view* value) {
  if (name.size() > kMaxFieldName) return false;
  for (size_t at = text.find('{'); at != std::string_view::npos; at = text.find('{', at + 1)) {
    std::string_view rest = text.substr(at + 1);
    if (rest.size() <= name.size() || rest.substr(0, name.size()) != name ||
        rest[name.size()] != '}')
      continue;
    rest.remove_prefix(name.size() + 1);
    *value = rest.substr(0, rest.find('{'));
    return true;
  }
  return false;
}

bool HasFields(std::string_view text) {
  return text.find('{') != std::string_view::npos && text.find('}') != std::string_view::npos;
}

std::string OwnerDisplayText(std::string_view description) {
  if (!HasFields(description)) return std::string(description);
  std::string text;
  auto append = [&](std::string_view part) {
    if (!text.empty()) text += "; ";
    text += part;
  };
  std::string_view value;
  if (GetField("ON", description, &value)) append(value);
  if (GetField("OF", description, &value) || GetField("OD", description, &value) ||
      GetField("OC", description, &value))
    append(value);
  if (GetField("OT", description, &value)) append(value);
  return text;
}

}  // namespace qo
