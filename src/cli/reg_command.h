#pragma once
// The "reg" command: a small registry tool in the manner of Windows' reg.exe.
//
//   reg query KEY [/v NAME | /ve] [/s]
//   reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]
//   reg delete KEY /v NAME | /ve | /va [/f]
//
// KEY is ROOT\path, the root by full name or short form (HKLM, HKCU, HKCR, HKU, HKCC).
#include "platform/registry.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace vx {

// Runs one reg command (args without the word "reg") on the registry; changes are flushed before it
// returns. Exit status: 0 done; 1 bad syntax, or a key or value not found; 2 the changes could not be
// written (the message says why).
int RunRegCommand(Registry& registry, const std::vector<std::string>& args, std::ostream& out,
                  std::ostream& err);

#ifndef _WIN32
// The same on a Wine prefix's registry: status 2 with one line naming the folder or file when it cannot
// be opened; lines Wine would skip are reported on `err` as warnings.
int RunRegCommandOnPrefix(const std::filesystem::path& prefix, const std::vector<std::string>& args,
                          std::ostream& out, std::ostream& err);
#endif

} // namespace vx
