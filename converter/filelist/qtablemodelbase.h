#pragma once

#include "filelist/heicmodeldata.h"

#include <QAbstractTableModel>
#include <QList>
#include <QSet>
#include <QSharedPointer>
#include <QVector>

#include <functional>

// Table model of row records: one record per row, owned by the model. Every column gives the
// row's record as a ModelDataBase* under RecordRole and its text under the display role. Lives
// on the GUI thread and is used only there.
class QTableModelBase : public QAbstractTableModel {
    Q_OBJECT

public:
    enum { RecordRole = Qt::UserRole + 1 };

    QTableModelBase(int nColumnCount, QObject* parent = nullptr);

    // Appends the record as a new last row; the model takes ownership.
    bool addModelData(ModelDataBase* pData);
    // Appends the records as new last rows in one insertion; the model takes ownership.
    bool addModelData(const QList<ModelDataBase*>& listData);

    ModelDataBase* modelData(int row) const;
    // The record of an index of this model or of a proxy over it; null when there is none.
    static ModelDataBase* record(const QModelIndex& index);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    // Every cell changed: dataChanged from (0, 0) to the last cell, no roles.
    void refresh();
    // The record of the index (of this model or of a proxy over it) changed: its row's cells.
    static void recordChanged(const QModelIndex& index);

    // Hover and check-box looks from a mouse move over the view: row under the cursor (-1 for
    // none), the selected rows and the cursor in the view's viewport.
    void updateHover(int row, const QSet<int>& selectedRows, const QPoint& pos);
    void clearHover();

protected:
    // Keeps the records for which keep is true, in order, in one reset of the model.
    void keepRecords(const std::function<bool(const ModelDataBase&)>& keep);

    virtual void recordAdded(ModelDataBase& record) { Q_UNUSED(record) }
    virtual void recordRemoved(ModelDataBase& record) { Q_UNUSED(record) }

private:
    int m_nColumnCount;
    QList<QSharedPointer<ModelDataBase>> m_listModelData;
};

// The file list: records are HeicModelData, each path listed once.
class QHeicModel : public QTableModelBase {
    Q_OBJECT

public:
    explicit QHeicModel(int nColumnCount, QObject* parent = nullptr);

    HeicModelData* heicData(int row) const;
    bool containsPath(const QString& path) const { return m_setPaths.contains(path); }
    // The row of the file, -1 when it is not listed.
    int rowOfPath(const QString& path) const;
    // Removes the rows of the listed paths; the paths actually removed. Rows scattered over
    // the list go in one reset of the model rather than one removal each (views then drop
    // their selection: see lastRemovalWasReset).
    QStringList removePaths(const QStringList& paths);
    bool lastRemovalWasReset() const { return m_bLastRemovalReset; }

protected:
    void recordAdded(ModelDataBase& record) override;
    void recordRemoved(ModelDataBase& record) override;

private:
    QVector<int> rowsOf(const QSet<QString>& paths) const;
    QStringList removeRuns(const QVector<int>& rows);
    QStringList removeByReset(const QSet<QString>& paths);

    QSet<QString> m_setPaths;
    bool m_bLastRemovalReset = false;
};
