#pragma once
// A Wine prefix made from a seed, for round trips of scan, repair and restore: registry files written as
// Wine's server writes them (its value order, its notation, its escapes), with every value type, strings
// of odd length, embedded NULs and lone surrogates in data, names beyond U+FFFF, names that differ only
// in case, classes keys on both sides of HKEY_CLASSES_ROOT, deep and wide keys; values under the scan's
// keys whose files are missing (findings) and present; and shortcut files on drive C, broken and working.
#include "support/fixture_prefix.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vx::test {

struct GeneratorOptions {
    // Key and value names holding unpaired UTF-16 surrogates ("keep\xd800" beside "keep\xd801").
    bool unpairedSurrogateNames = false;
    // Names with characters from U+E000 to U+FFFF (fullwidth letters) beside names with characters beyond
    // U+FFFF in one key. Wine orders them by UTF-16 code units (a surrogate first), and so must the
    // program's registry, or a value restored among them lands elsewhere in the key than Wine puts it.
    bool highBmpNames = false;
};

// A registry finding the scan does not look for (no section walks userdef.reg), made by hand as the
// fault-injection tests make theirs: the value lies under HKEY_USERS\.DEFAULT.
struct HandMadeFinding {
    std::string keyPath; // below HKEY_USERS
    std::string valueName;
    std::string keyValue; // the missing file it names
};

class GeneratedPrefix {
  public:
    explicit GeneratedPrefix(uint64_t seed, GeneratorOptions options = {});
    ~GeneratedPrefix();
    GeneratedPrefix(const GeneratedPrefix&) = delete;
    GeneratedPrefix& operator=(const GeneratedPrefix&) = delete;

    const std::filesystem::path& root() const { return dir_.path(); }
    std::unique_ptr<Target> Open() const;
    // Where a file of drive C ("C:\\x\\y.lnk") lies on the host.
    std::filesystem::path HostPathOf(const std::string& windowsPath) const;

    // Where a value a finding names is stored: the registry file ("system.reg" …) and its key's line as
    // the file writes it up to the closing bracket ("[Software\\\\Classes\\\\x]"), and the value's name
    // (empty for the unnamed value).
    struct Place {
        std::string file;
        std::string keyLine;
        std::string valueName;
        bool operator==(const Place&) const = default;
    };
    // The values planted as findings: their files are missing and their data names them plainly.
    const std::vector<Place>& PlantedFindings() const { return planted_; }
    const std::vector<HandMadeFinding>& HandMadeFindings() const { return handMade_; }
    // The shortcut files that are broken (findings) and working, as Windows paths on drive C.
    const std::vector<std::string>& BrokenShortcuts() const { return brokenShortcuts_; }
    const std::vector<std::string>& WorkingShortcuts() const { return workingShortcuts_; }

    // Where the value a finding names is stored. The root is a name such as "HKEY_CLASSES_ROOT", whose
    // values lie on the user's side when the user's key holds them. Empty when the generator made no such
    // value.
    std::optional<Place> PlaceOf(const std::string& rootName, const std::string& keyPath,
                                 const std::string& valueName) const;

    struct Model; // the registry as written, one tree per file

  private:
    TempDir dir_;
    std::unique_ptr<Model> model_;
    std::vector<Place> planted_;
    std::vector<HandMadeFinding> handMade_;
    std::vector<std::string> brokenShortcuts_, workingShortcuts_;
};

// A registry file's text with the change stamps ("[key] seconds" and "#time=") of the given keys (their
// lines up to the closing bracket) blanked: a key a repair and a restore wrote carries their time.
std::string WithoutStampsOf(const std::string& text, const std::vector<std::string>& keyLines);

} // namespace vx::test
