#pragma once
// The few keys the program needs from the YAML files of Lutris (games/*.yml) and Bottles (bottle.yml):
// the scalars of nested block mappings, by their path of keys joined with "." ("game.prefix"). Lists,
// block texts and flow collections are passed over.
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

using YamlKeys = std::map<std::string, std::string>;

// The scalars of the text (the first of a repeated key wins); nullopt with `why` set (one phrase with
// the line) when the text is damaged: a tab in an indentation, a line that is no key, an unclosed quote.
std::optional<YamlKeys> ReadYamlKeys(std::string_view text, std::string& why);

} // namespace vx
