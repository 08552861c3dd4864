#pragma once
// The program's own thin layer over the registry: single values read, written and deleted by root and
// key path, plus the two small system queries the checks need. Every operation opens what it needs and
// closes it before returning; failures show only in the results.
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/root_keys.h"
#include "platform/target.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vx {

// A value as the logic holds it: empty, text or a 32-bit signed number.
using RegValue = std::variant<std::monostate, std::string, int32_t>;

// The value as text: a string unchanged, a number in decimal, empty as empty text.
std::string RegValueText(const RegValue& value);

// Optional blanks, an optional sign, digits with an optional decimal point and exponent ("42", " -2.5 ",
// "1e3", ".5").
bool IsNumericText(std::string_view text);
// Numeric text rounded to the nearest integer, halves to the even neighbour; nullopt when the text is not
// numeric or the result does not fit 32 bits.
std::optional<int32_t> RoundToInt32(std::string_view text);

// Stores the value in an existing key (never creates one): numeric text and numbers as REG_DWORD, other
// text trimmed of blanks as REG_SZ without a terminating zero. Numeric text beyond the 32-bit range is
// stored as that text.
void WriteRegistryValue(Registry& registry, RootKey root, std::string_view keyPath,
                        std::string_view valueName, const RegValue& value);
// Reads a value as text (opening the key for all access). False when the key cannot be so opened or the
// value is missing; `out` is then unchanged. Types other than REG_SZ and REG_DWORD read as empty text.
bool ReadRegistryString(Registry& registry, RootKey root, std::string_view keyPath,
                        std::string_view valueName, std::string& out);
// Reads a value of an open key: REG_SZ as text (its stored terminator dropped), REG_DWORD as a number,
// other types as empty. Returns the status of learning the value's type and size; `out` is untouched
// when that fails.
uint32_t QueryRegistryValue(Registry& registry, HKEY key, std::string_view valueName, RegValue& out);
// Creates the key and any missing parents.
void CreateRegistryKey(Registry& registry, RootKey root, std::string_view keyPath);
// Opens (creating when missing) the key and stores the value with SetRegistryValueOfType.
void SetRegistryValueCreatingKey(Registry& registry, RootKey root, std::string_view keyPath,
                                 std::string_view valueName, const RegValue& value, uint32_t type);
// Type 1: the text with a terminating zero (counted). Type 4: the value rounded to a 32-bit number; text
// that is numeric but beyond 32 bits is stored as REG_SZ text instead, text that is not numeric is not
// stored (ERROR_INVALID_PARAMETER). Any other type: nothing, result 0.
uint32_t SetRegistryValueOfType(Registry& registry, HKEY key, std::string_view valueName, uint32_t type,
                                const RegValue& value);
// Deletes the value from an existing key; a missing key or value changes nothing.
void DeleteRegistryValue(Registry& registry, RootKey root, std::string_view keyPath,
                         std::string_view valueName);

// How many keys down a key path goes ("a\\b" is two; empty parts do not count).
size_t KeyDepth(std::string_view path);

// GetVersionExA's platform id of the target: 2 for the NT family (every target this program has).
uint32_t GetWindowsPlatformId(const Target& target);

// Whether the drive named by the path's first character is a fixed disk: the first drive of the
// collection whose letter matches (trimmed, upper-cased) decides. `yield` runs between drives.
bool IsFixedDrivePath(std::string_view path, const std::vector<Drive>& drives,
                      const std::function<void()>& yield = {});

} // namespace vx
