#pragma once
// A Qt list model over one of the model's list views. It does not copy the rows: it reads them from the
// list, and Sync() tells the view only what changed since it last looked (the list's change log), so a
// list of 100,000 findings is never compared row by row.
#include "ui/main_window_model.h"

#include <QAbstractListModel>

#include <functional>

namespace vx::gui {

class ListViewModel : public QAbstractListModel {
    Q_OBJECT
  public:
    ListViewModel(const ListView& list, QString header, bool withCheckBoxes, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Brings the view up to the list: inserted and removed rows as such, anything else as a reset.
    void Sync();

    // The width of the widest row, by `measure`, kept up as rows come (so that no path is ever cut, and
    // a list of 100,000 rows is not measured again for every row added).
    void SetMeasure(std::function<int(const QString&)> measure);
    int widest() const { return widest_; }

  private:
    const ListView& list_;
    QString header_;
    bool withCheckBoxes_;
    uint64_t seen_ = 0;
    int shownRows_ = 0;
    std::function<int(const QString&)> measure_;
    int widest_ = 0;

    void Measure(size_t first, size_t count);
};

} // namespace vx::gui
