#pragma once
// How a finished scan run is shown on the terminal: the summary rows with their details, or one JSON
// object.
#include <iosfwd>
#include <string>

namespace vx {

class App;

void PrintScanResults(App& app, std::ostream& out);
void PrintScanJson(App& app, const std::string& targetName, std::ostream& out);

} // namespace vx
