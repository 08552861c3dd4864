#pragma once
// Every key and value below a root as text, in enumeration order: for comparing a registry before and
// after a round trip.
#include "platform/registry.h"

#include <string>

namespace vx::test {

std::string DumpRegistry(Registry& registry, HKEY root, const std::string& path = "");

} // namespace vx::test
