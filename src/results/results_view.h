#pragma once
// The results panel: a summary row per section with problems, and the detail rows of a chosen one.
#include <cstdint>
#include <string>

namespace vx {

class App;
struct ListView;

// Counts the problems of a section and adds its summary row; returns the count.
int16_t TallySection(App& app, const std::string& section);
void AddSummaryRow(App& app, int count, const std::string& section);
void ShowSectionDetails(App& app, const std::string& section);
// A click on a summary row fills the detail list.
void lvwRegistryProblems_ItemClick(App& app, int rowIndex);
// Header clicks: sort by the column and flip the order.
void lvwRegistryProblems_ColumnClick(App& app, int column);
void lvwRegistryErrorsDetail_ColumnClick(App& app, int column);
// The Return button: back to the start panel.
void ImgReturnMouseMove_Click(App& app);

} // namespace vx
