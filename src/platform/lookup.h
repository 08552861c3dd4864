#pragma once
// The one answer of every look-up of the platform layer (a name in a folder, a search, a path's parts):
// found, surely not there, or unknown because the look-up itself failed. Callers that decide about
// existence take Failed as "may exist": the program never removes what it could not see to be gone.

namespace vx {

enum class Lookup { Found, NotFound, Failed };

} // namespace vx
