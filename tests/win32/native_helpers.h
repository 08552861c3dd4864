#pragma once
// What the tests do to the machine directly, past the backend: attributes and shortcut files.
#include <cstdint>
#include <string>

namespace vx::testing {

bool SetNativeAttributes(const std::wstring& path, uint32_t attributes);
// Writes a shell link to `target` with a working directory, through IShellLinkW.
bool WriteShellLink(const std::wstring& file, const std::wstring& target,
                    const std::wstring& workingDirectory);

} // namespace vx::testing
