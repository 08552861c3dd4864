// A Qt list model over one of the model's list views, kept up through the list's change log.
#include "gui/list_model.h"

#include <QIcon>

#include <algorithm>
#include <cassert>
#include <map>

namespace vx::gui {
namespace {

// The check-list rows' small pictures, by position (1 to 12).
QIcon SectionIcon(int icon) {
    static std::map<int, QIcon> icons;
    auto [at, added] = icons.try_emplace(icon);
    if (added)
        at->second = QIcon(QStringLiteral(":/art/section_%1.svg").arg(icon, 2, 10, QChar('0')));
    return at->second;
}

} // namespace

ListViewModel::ListViewModel(const ListView& list, QString header, bool withCheckBoxes, QObject* parent)
    : QAbstractListModel(parent), list_(list), header_(std::move(header)), withCheckBoxes_(withCheckBoxes), seen_(list.rows.Revision()),
      shownRows_(static_cast<int>(list.rows.size())) {}

int ListViewModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }

QVariant ListViewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(list_.rows.size()))
        return {};
    const ListRow& row = list_.rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return QString::fromStdString(row.text);
    case Qt::DecorationRole:
        return row.icon > 0 ? SectionIcon(row.icon) : QVariant();
    case Qt::CheckStateRole:
        if (withCheckBoxes_)
            return row.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags ListViewModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return header_;
    return {};
}

void ListViewModel::SetMeasure(std::function<int(const QString&)> measure) {
    measure_ = std::move(measure);
    widest_ = 0;
    Measure(0, list_.rows.size());
}

void ListViewModel::Measure(size_t first, size_t count) {
    if (!measure_)
        return;
    const size_t end = std::min(first + count, list_.rows.size());
    for (size_t i = first; i < end; ++i)
        widest_ = std::max(widest_, measure_(QString::fromStdString(list_.rows[i].text)));
}

void ListViewModel::Sync() {
    const uint64_t now = list_.rows.Revision();
    if (now == seen_)
        return;
    const auto changes = list_.rows.ChangesSince(seen_);
    seen_ = now;
    if (!changes) {
        beginResetModel();
        shownRows_ = static_cast<int>(list_.rows.size());
        widest_ = 0;
        Measure(0, list_.rows.size());
        endResetModel();
        return;
    }
    for (const ListChange& change : *changes) {
        const int first = static_cast<int>(change.first);
        const int last = first + static_cast<int>(change.count) - 1;
        switch (change.kind) {
        case ListChange::Kind::Inserted:
            beginInsertRows({}, first, last);
            shownRows_ += static_cast<int>(change.count);
            endInsertRows();
            Measure(change.first, change.count);
            break;
        case ListChange::Kind::Removed:
            beginRemoveRows({}, first, last);
            shownRows_ -= static_cast<int>(change.count);
            endRemoveRows();
            break;
        case ListChange::Kind::Updated:
            Measure(change.first, change.count);
            emit dataChanged(index(first), index(last));
            break;
        }
    }
    assert(shownRows_ == static_cast<int>(list_.rows.size()));
}

} // namespace vx::gui
