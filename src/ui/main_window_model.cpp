// The main window's model: its lists' change logs and the counter's text.
#include "ui/main_window_model.h"

#include "platform/text.h"

#include <algorithm>
#include <type_traits>

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
    rows.insert(static_cast<size_t>(at - rows.begin()), std::move(row));
}

void ListView::Sort() {
    auto& all = rows.EditAll();
    std::stable_sort(all.begin(), all.end(),
                     [this](const ListRow& a, const ListRow& b) { return RowLess(a, b, descending); });
}

std::string MainWindowModel::Snapshot(FieldGroup group) const {
    // Fields joined with a separator no caption holds; cheap next to a redraw.
    std::string out;
    auto add = [&out](const auto& field) {
        if constexpr (std::is_same_v<std::decay_t<decltype(field)>, std::string>)
            out += field;
        else
            out += std::to_string(field);
        out += '\x1f';
    };
    switch (group) {
    case FieldGroup::Labels:
        for (const auto* label : {&lblStatus, &lblRegistryScan, &lblRegistryFilesScan, &lblProblemsFound})
            add(*label);
        break;
    case FieldGroup::Progress:
        for (int value : {PicProgress, PicMainProgress, ImgDeleteProgressWidth, ImgDeleteProgressInside})
            add(value);
        break;
    case FieldGroup::PanelsAndButtons:
        for (bool flag : {lvwRegistryvaluesScan.visible, lvwRegistryProblems.visible,
                          lvwRegistryErrorsDetail.visible, PicScanning, PicResults,
                          FrameRegistryProblemsDetails, FrameScanning, FrameScanSettingShelidButton,
                          ImgScanNowNormal, cmdCancelOrStop, tmrPicVisibleOrNot, PicBug, busyPointer, enabled,
                          lblDeletingCourrutpfils, ImgDeleteProgress, ImgRepairNormal, ImgReturnNormal})
            out += flag ? '1' : '0';
        add(chkSelectlistviewItems);
        add(cmdCancelOrStopCaption);
        break;
    }
    return out;
}

uint64_t MainWindowModel::Revision(FieldGroup group) const {
    Seen& seen = seen_[static_cast<int>(group)];
    std::string now = Snapshot(group);
    if (now != seen.snapshot) {
        seen.snapshot = std::move(now);
        ++seen.revision;
    }
    return seen.revision;
}

} // namespace vx
