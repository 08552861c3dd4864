#include "app/main_window_model.h"

#include "platform/text.h"

#include <algorithm>

namespace vx {
namespace {

bool RowLess(const ListRow& a, const ListRow& b, bool descending) {
    const int c = CompareNoCase(a.text, b.text);
    return descending ? c > 0 : c < 0;
}

} // namespace

void ListView::Add(std::string text, int icon) {
    ListRow row{std::move(text), icon, false, false};
    if (!sorted) {
        rows.push_back(std::move(row));
        return;
    }
    const auto at =
        std::upper_bound(rows.begin(), rows.end(), row,
                         [this](const ListRow& a, const ListRow& b) { return RowLess(a, b, descending); });
    rows.insert(at, std::move(row));
}

void ListView::Sort() {
    std::stable_sort(rows.begin(), rows.end(),
                     [this](const ListRow& a, const ListRow& b) { return RowLess(a, b, descending); });
}

} // namespace vx
