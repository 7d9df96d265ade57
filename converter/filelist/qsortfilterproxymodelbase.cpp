#include "qsortfilterproxymodelbase.h"

#include "filelist/qtablemodelbase.h"

QSortFilterProxyModelBase::QSortFilterProxyModelBase(QObject* parent)
    : QSortFilterProxyModel(parent) {
    setDynamicSortFilter(false);  // nothing to re-filter when a record changes
}

bool QSortFilterProxyModelBase::filterAcceptsRow(int, const QModelIndex&) const {
    return true;
}

bool QSortFilterProxyModelBase::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // The records straight from the model: a sort makes many comparisons.
    const auto* records = qobject_cast<const QTableModelBase*>(sourceModel());
    const ModelDataBase* a = records != nullptr ? records->modelData(left.row()) : nullptr;
    const ModelDataBase* b = records != nullptr ? records->modelData(right.row()) : nullptr;
    if (a == nullptr || b == nullptr) {
        return QSortFilterProxyModel::lessThan(left, right);
    }
    return a->sortsBefore(*b, left.column());
}
