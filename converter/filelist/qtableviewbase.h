#pragma once

#include <QItemSelectionModel>
#include <QModelIndex>
#include <QTableView>

class QHeaderViewBase;
class QTableDelegateBase;
class QTableModelBase;
class QZTScrollBar;

// The file list's table: rows checked by selection, an overlay scroll bar shown while the
// mouse is over the list, hover and button hit tests through the rows' records.
class QTableViewBase : public QTableView {
    Q_OBJECT

public:
    explicit QTableViewBase(QWidget* parent = nullptr);

    // Proxy (over a QTableModelBase), header and delegate as the list uses them.
    void setUp(QAbstractItemModel* proxy, QHeaderViewBase* header, QTableDelegateBase* delegate);
    void setDefaultRowHeight(int height);
    int defaultRowHeight() const { return m_nRowHeight; }
    QZTScrollBar* overlayScrollBar() const { return m_pScrollBar; }
    QHeaderViewBase* headerView() const { return m_pHeader; }
    // The rows whose check box is set (selected), in the view's order.
    QModelIndexList checkedRows() const;
    // The fully selected rows (column 0) of a selection of whole rows.
    static QModelIndexList checkedRowsOf(const QItemSelectionModel* selection);
    // Whole rows of the view's model, each run of neighbouring rows one range.
    QItemSelection rowsSelection(QVector<int> rows) const;
    // Checks (select) or unchecks the rows of the view's model.
    void setRowsChecked(const QVector<int>& rows, bool checked);

signals:
    void signalDoubleClicked(QModelIndex index);
    void signalMenuContext(QModelIndex index, QPoint pos);
    void signalPreview(QModelIndex index);
    void signalOpenFolder(QModelIndex index);
    void signalDelete(QModelIndex index);

public slots:
    void slotValueChanged(int value);
    void slotModelDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                              const QVector<int>& roles = QVector<int>());

protected:
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void createScrollBar();
    void placeScrollBar();
    QTableModelBase* sourceModel() const;
    QModelIndex sourceIndex(const QModelIndex& index) const;
    void forwardToDelegate(QMouseEvent* event, const QModelIndex& index);
    bool leftPress(QMouseEvent* event);

    QZTScrollBar* m_pScrollBar = nullptr;
    QHeaderViewBase* m_pHeader = nullptr;
    QTableDelegateBase* m_pDelegate = nullptr;
    int m_nRowHeight = 54;
};
