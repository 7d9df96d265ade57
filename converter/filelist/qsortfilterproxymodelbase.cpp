#include "qsortfilterproxymodelbase.h"

#include "qtablemodelbase.h"

QSortFilterProxyModelBase::QSortFilterProxyModelBase(QObject* parent)
    : QSortFilterProxyModel(parent) {
    setDynamicSortFilter(false);  // nothing to re-filter when a record changes
}

bool QSortFilterProxyModelBase::filterAcceptsRow(int, const QModelIndex&) const {
    return true;
}

bool QSortFilterProxyModelBase::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const ModelDataBase* a = QTableModelBase::record(left);
    const ModelDataBase* b = QTableModelBase::record(right);
    if (a == nullptr || b == nullptr) {
        return a == nullptr && b != nullptr;
    }
    return a->sortsBefore(*b, left.column());
}
