#pragma once

#include <QSortFilterProxyModel>

// Passes every row of its source through, in order.
class QSortFilterProxyModelBase : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit QSortFilterProxyModelBase(QObject* parent = nullptr);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
};
