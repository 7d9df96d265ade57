#include "qtablemodelbase.h"

#include <QAbstractProxyModel>

#include <algorithm>

namespace {
const int kMaxSeparateRemovals = 8;
}

QTableModelBase::QTableModelBase(int nColumnCount, QObject* parent)
    : QAbstractTableModel(parent), m_nColumnCount(nColumnCount) {
    qRegisterMetaType<ModelDataBase*>("ModelDataBase*");
}

bool QTableModelBase::addModelData(ModelDataBase* pData) {
    return addModelData(QList<ModelDataBase*>{pData});
}

bool QTableModelBase::addModelData(const QList<ModelDataBase*>& listData) {
    if (listData.isEmpty()) {
        return true;
    }
    const int first = m_listModelData.size();
    beginInsertRows(QModelIndex(), first, first + listData.size() - 1);
    for (ModelDataBase* record : listData) {
        m_listModelData.append(QSharedPointer<ModelDataBase>(record));
        recordAdded(*record);
    }
    endInsertRows();
    refresh();
    return true;
}

ModelDataBase* QTableModelBase::modelData(int row) const {
    if (row < 0 || row >= m_listModelData.size()) {
        return nullptr;
    }
    return m_listModelData.at(row).data();
}

int QTableModelBase::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_listModelData.size();
}

int QTableModelBase::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_nColumnCount;
}

QVariant QTableModelBase::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_listModelData.size()) {
        return QVariant();
    }
    switch (role) {
        case Qt::TextAlignmentRole:
            return int(Qt::AlignRight | Qt::AlignVCenter);
        case RecordRole:
            return QVariant::fromValue(modelData(index.row()));
        case Qt::DisplayRole:
            return modelData(index.row())->displayText(index.column());
        default:
            return QVariant();
    }
}

ModelDataBase* QTableModelBase::record(const QModelIndex& index) {
    return index.data(RecordRole).value<ModelDataBase*>();
}

Qt::ItemFlags QTableModelBase::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

bool QTableModelBase::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count < 1 || row + count > m_listModelData.size()) {
        return false;
    }
    beginRemoveRows(parent, row, row + count - 1);
    for (int i = 0; i < count; ++i) {
        recordRemoved(*m_listModelData.at(row));
        m_listModelData.removeAt(row);
    }
    endRemoveRows();
    return true;
}

void QTableModelBase::keepRecords(const std::function<bool(const ModelDataBase&)>& keep) {
    beginResetModel();
    QList<QSharedPointer<ModelDataBase>> kept;
    kept.reserve(m_listModelData.size());
    for (const QSharedPointer<ModelDataBase>& record : qAsConst(m_listModelData)) {
        if (keep(*record)) {
            kept.append(record);
        } else {
            recordRemoved(*record);
        }
    }
    m_listModelData = kept;
    endResetModel();
}

void QTableModelBase::refresh() {
    if (m_listModelData.isEmpty()) {
        return;
    }
    emit dataChanged(index(0, 0), index(m_listModelData.size() - 1, m_nColumnCount - 1));
}

void QTableModelBase::recordChanged(const QModelIndex& index) {
    QModelIndex source = index;
    while (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(source.model())) {
        source = proxy->mapToSource(source);
    }
    auto* model = qobject_cast<QTableModelBase*>(const_cast<QAbstractItemModel*>(source.model()));
    if (model == nullptr || !source.isValid()) {
        return;
    }
    emit model->dataChanged(model->index(source.row(), 0),
                            model->index(source.row(), model->m_nColumnCount - 1));
}

void QTableModelBase::updateHover(int row, const QSet<int>& selectedRows, const QPoint& pos) {
    ModelDataBase* hovered = modelData(row);
    if (hovered == nullptr) {
        clearHover();
        return;
    }
    for (int i = 0; i < m_listModelData.size(); ++i) {
        ModelDataBase& record = *m_listModelData.at(i);
        record.nHover = i == row ? 1 : 0;
        record.bSelected = selectedRows.contains(i);
    }
    hovered->nCheckBoxState =
        (hovered->bSelected ? ModelDataBase::Checked : ModelDataBase::Unchecked) +
        (hovered->rcCheckBox.contains(pos) ? 1 : 0);
    refresh();
}

void QTableModelBase::clearHover() {
    for (const QSharedPointer<ModelDataBase>& record : m_listModelData) {
        record->nHover = 0;
        record->restButtons();
    }
    refresh();
}

// ---- QHeicModel

QHeicModel::QHeicModel(int nColumnCount, QObject* parent) : QTableModelBase(nColumnCount, parent) {}

HeicModelData* QHeicModel::heicData(int row) const {
    return static_cast<HeicModelData*>(modelData(row));
}

int QHeicModel::rowOfPath(const QString& path) const {
    if (!containsPath(path)) {
        return -1;
    }
    for (int row = 0; row < rowCount(); ++row) {
        if (heicData(row)->strFilePath == path) {
            return row;
        }
    }
    return -1;
}

QVector<int> QHeicModel::rowsOf(const QSet<QString>& paths) const {
    QVector<int> rows;
    for (int row = 0; row < rowCount() && rows.size() < paths.size(); ++row) {
        if (paths.contains(heicData(row)->strFilePath)) {
            rows.append(row);
        }
    }
    return rows;
}

QStringList QHeicModel::removePaths(const QStringList& paths) {
    QSet<QString> wanted;
    for (const QString& path : paths) {
        if (containsPath(path)) {
            wanted.insert(path);
        }
    }
    const QVector<int> rows = rowsOf(wanted);
    int runs = rows.isEmpty() ? 0 : 1;
    for (int i = 1; i < rows.size(); ++i) {
        runs += rows.at(i) != rows.at(i - 1) + 1 ? 1 : 0;
    }
    // Each removal costs the views a pass over every row.
    m_bLastRemovalReset = runs > kMaxSeparateRemovals;
    return m_bLastRemovalReset ? removeByReset(wanted) : removeRuns(rows);
}

QStringList QHeicModel::removeRuns(const QVector<int>& rows) {
    QStringList removed;
    // From the end, each run of neighbouring rows in one removal.
    int end = rows.size() - 1;
    while (end >= 0) {
        int begin = end;
        while (begin > 0 && rows.at(begin - 1) == rows.at(begin) - 1) {
            --begin;
        }
        for (int i = begin; i <= end; ++i) {
            removed.append(heicData(rows.at(i))->strFilePath);
        }
        removeRows(rows.at(begin), end - begin + 1);
        end = begin - 1;
    }
    return removed;
}

QStringList QHeicModel::removeByReset(const QSet<QString>& paths) {
    QStringList removed;
    keepRecords([&paths, &removed](const ModelDataBase& record) {
        const QString& path = static_cast<const HeicModelData&>(record).strFilePath;
        if (paths.contains(path)) {
            removed.append(path);
            return false;
        }
        return true;
    });
    return removed;
}

void QHeicModel::recordAdded(ModelDataBase& record) {
    m_setPaths.insert(static_cast<HeicModelData&>(record).strFilePath);
}

void QHeicModel::recordRemoved(ModelDataBase& record) {
    m_setPaths.remove(static_cast<HeicModelData&>(record).strFilePath);
}
