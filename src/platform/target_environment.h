#pragma once
// The environment variables a program started inside the target would see, built from the target itself
// (its Windows folder, its registry's environment, folder and profile keys), for expanding the
// "%windir%\…" paths that shortcuts and registry data hold.
#include "platform/file_system.h"
#include "platform/registry.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

class TargetEnvironment {
  public:
    TargetEnvironment(FileSystem& files, Registry& registry);

    // ExpandEnvironmentStrings: every %NAME% of a known variable (without regard to case) is replaced by
    // its value; an unknown name is left as written, percent signs included.
    std::string Expand(std::string_view text);
    // The value of one variable, when the target defines it.
    std::optional<std::string> Get(std::string_view name);

  private:
    void Load();
    void Set(std::string_view name, std::string value);
    std::string ExpandWith(std::string_view text) const;

    FileSystem& files_;
    Registry& registry_;
    bool loaded_ = false;
    std::map<std::string, std::string> variables_; // by upper-cased name
};

// A string value of the registry (REG_SZ, REG_EXPAND_SZ, unexpanded), without its terminating zero.
std::optional<std::string> QueryRegistryText(Registry& registry, HKEY root, std::string_view subKey,
                                             std::string_view valueName);

} // namespace vx
