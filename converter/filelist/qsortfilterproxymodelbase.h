#pragma once

#include <QSortFilterProxyModel>

// Passes every row of its source through, sorted by the rows' records (see
// ModelDataBase::sortsBefore). Rows added to the source go last until the next sort().
class QSortFilterProxyModelBase : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit QSortFilterProxyModelBase(QObject* parent = nullptr);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};
