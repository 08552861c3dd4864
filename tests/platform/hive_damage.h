#pragma once
// Hive files damaged on purpose, one record changed in place, as a bad sector or a hostile user leaves
// them. The keys are found by their (ASCII) names, which must be unique in the hive.
#include <filesystem>
#include <string_view>

namespace vx::test {

// Sets the name length of the key's record to zero: the key's name becomes empty.
void EmptyKeyName(const std::filesystem::path& hive, std::string_view name);
// Points the first entry of the key's subkey list at another key's record (an ancestor makes a loop).
void PointFirstSubkeyAt(const std::filesystem::path& hive, std::string_view key, std::string_view target);

} // namespace vx::test
