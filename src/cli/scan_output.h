#pragma once
// How a finished scan run is shown on the terminal: the summary rows with their details, or one JSON
// object.
#include <nlohmann/json.hpp>

#include <iosfwd>
#include <string>

namespace vx {

class Engine;

void PrintScanResults(Engine& engine, std::ostream& out);
void PrintScanJson(const Engine& engine, const std::string& targetName, std::ostream& out);

// The scan's JSON object, to print or to put in a list.
nlohmann::ordered_json ScanJson(const Engine& engine, const std::string& targetName);
void PrintJson(const nlohmann::ordered_json& json, std::ostream& out);

} // namespace vx
