#include "qtableviewbase.h"

#include "filelist/heicmodeldata.h"
#include "filelist/qheaderviewbase.h"
#include "filelist/qtabledelegatebase.h"
#include "filelist/qtablemodelbase.h"
#include "qztscrollbar.h"

#include <QAbstractProxyModel>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

const int kScrollBarWidth = 8;

const char* const kScrollBarStyle =
    "QScrollBar:vertical{background:transparent;padding:0px;width:6px;}"
    "QScrollBar::handle:vertical{background:rgba(199,205,223,100%);min-height:120px;"
    "border-radius:4px;}"
    "QScrollBar::handle:vertical:hover,QScrollBar::handle:vertical:pressed{"
    "background:rgba(0,0,0,30%);}"
    "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;border:none;}"
    "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:transparent;}";

}  // namespace

QTableViewBase::QTableViewBase(QWidget* parent) : QTableView(parent) {
    setMouseTracking(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setShowGrid(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::MultiSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setDefaultRowHeight(m_nRowHeight);
    createScrollBar();
}

void QTableViewBase::createScrollBar() {
    m_pScrollBar = new QZTScrollBar(Qt::Vertical, this);
    m_pScrollBar->setStyleSheet(QString::fromLatin1(kScrollBarStyle));
    m_pScrollBar->setRange(0, 0);
    m_pScrollBar->hide();
    QScrollBar* own = verticalScrollBar();
    connect(own, &QScrollBar::valueChanged, m_pScrollBar, &QZTScrollBar::slotValueChanged);
    connect(m_pScrollBar, &QScrollBar::valueChanged, this, &QTableViewBase::slotValueChanged);
    connect(own, &QScrollBar::rangeChanged, m_pScrollBar, [this](int min, int max) {
        m_pScrollBar->slotRangeChanged(min, max);
        m_pScrollBar->setPageStep(verticalScrollBar()->pageStep());
        m_pScrollBar->setVisible(max > 0 && underMouse());
    });
}

void QTableViewBase::setUp(QAbstractItemModel* proxy, QHeaderViewBase* header,
                           QTableDelegateBase* delegate) {
    m_pHeader = header;
    m_pDelegate = delegate;
    setModel(proxy);
    setHorizontalHeader(header);
    setItemDelegate(delegate);
    header->setSectionsClickable(false);
    header->watchSelection();
    connect(proxy, &QAbstractItemModel::dataChanged, this, &QTableViewBase::slotModelDataChanged);
}

void QTableViewBase::setDefaultRowHeight(int height) {
    m_nRowHeight = height;
    verticalHeader()->setDefaultSectionSize(height);
    verticalHeader()->setMinimumSectionSize(1);
}

QModelIndexList QTableViewBase::checkedRows() const {
    return checkedRowsOf(selectionModel());
}

QModelIndexList QTableViewBase::checkedRowsOf(const QItemSelectionModel* selection) {
    QModelIndexList rows;
    if (selection == nullptr || selection->model() == nullptr) {
        return rows;
    }
    // From the ranges: selectedRows() tests every cell of every row.
    const QAbstractItemModel* model = selection->model();
    const int lastColumn = model->columnCount() - 1;
    QSet<int> seen;
    for (const QItemSelectionRange& range : selection->selection()) {
        if (range.left() != 0 || range.right() != lastColumn) {
            continue;
        }
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (!seen.contains(row)) {
                seen.insert(row);
                rows.append(model->index(row, 0, range.parent()));
            }
        }
    }
    return rows;
}

QItemSelection QTableViewBase::rowsSelection(QVector<int> rows) const {
    QItemSelection selection;
    const QAbstractItemModel* rowModel = model();
    if (rowModel == nullptr || rows.isEmpty()) {
        return selection;
    }
    std::sort(rows.begin(), rows.end());
    const int lastColumn = rowModel->columnCount() - 1;
    int first = rows.first();
    for (int i = 1; i <= rows.size(); ++i) {
        if (i < rows.size() && rows.at(i) <= rows.at(i - 1) + 1) {
            continue;
        }
        selection.append(QItemSelectionRange(rowModel->index(first, 0),
                                             rowModel->index(rows.at(i - 1), lastColumn)));
        first = rows.value(i);
    }
    return selection;
}

void QTableViewBase::setRowsChecked(const QVector<int>& rows, bool checked) {
    const QItemSelection selection = rowsSelection(rows);
    if (!selection.isEmpty()) {
        selectionModel()->select(
            selection, (checked ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                           QItemSelectionModel::Rows);
    }
}

void QTableViewBase::slotValueChanged(int value) {
    verticalScrollBar()->setValue(value);
}

void QTableViewBase::slotModelDataChanged(const QModelIndex& topLeft,
                                          const QModelIndex& bottomRight, const QVector<int>&) {
    if (!topLeft.isValid() || !bottomRight.isValid()) {
        return;
    }
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        if (rowHeight(row) != m_nRowHeight) {
            setRowHeight(row, m_nRowHeight);
        }
    }
}

void QTableViewBase::placeScrollBar() {
    const int top = horizontalHeader()->height();
    m_pScrollBar->setGeometry(width() - kScrollBarWidth - 1, top, kScrollBarWidth,
                              height() - top - 2);
    m_pScrollBar->raise();
}

void QTableViewBase::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    placeScrollBar();
}

void QTableViewBase::enterEvent(QEvent* event) {
    QTableView::enterEvent(event);
    if (m_pScrollBar->maximum() > 0) {
        m_pScrollBar->show();
    }
}

void QTableViewBase::leaveEvent(QEvent* event) {
    QTableView::leaveEvent(event);
    m_pScrollBar->hide();
    if (QTableModelBase* records = sourceModel()) {
        records->clearHover();
    }
}

QTableModelBase* QTableViewBase::sourceModel() const {
    if (auto* proxy = qobject_cast<QAbstractProxyModel*>(model())) {
        return qobject_cast<QTableModelBase*>(proxy->sourceModel());
    }
    return qobject_cast<QTableModelBase*>(model());
}

QModelIndex QTableViewBase::sourceIndex(const QModelIndex& index) const {
    if (auto* proxy = qobject_cast<QAbstractProxyModel*>(model())) {
        return proxy->mapToSource(index);
    }
    return index;
}

void QTableViewBase::forwardToDelegate(QMouseEvent* event, const QModelIndex& index) {
    QAbstractItemDelegate* delegate = itemDelegate(index);
    if (delegate == nullptr || !index.isValid()) {
        return;
    }
    QStyleOptionViewItem option = viewOptions();
    option.rect = visualRect(index);
    delegate->editorEvent(event, model(), option, index);
}

void QTableViewBase::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
    const QModelIndex index = indexAt(event->pos());
    QTableModelBase* records = sourceModel();
    if (records == nullptr) {
        return;
    }
    QSet<int> selected;
    for (const QModelIndex& row : checkedRows()) {
        selected.insert(sourceIndex(row).row());
    }
    records->updateHover(index.isValid() ? sourceIndex(index).row() : -1, selected, event->pos());
    forwardToDelegate(event, index);
}

bool QTableViewBase::leftPress(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->pos());
    auto* record = index.isValid() ? QTableDelegateBase::recordOf(index) : nullptr;
    if (record == nullptr) {
        return false;
    }
    const QPoint pos = event->pos();
    if (record->rcCheckBox.contains(pos)) {
        const QModelIndexList checked = checkedRows();
        if (checked.size() == 1 && checked.first().row() == index.row()) {
            selectionModel()->select(index,
                                     QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
            return true;
        }
        return false;
    }
    auto* heic = dynamic_cast<HeicModelData*>(record);
    if (heic == nullptr) {
        return false;
    }
    // The preview and the file manager take the mouse away: their buttons rest again.
    if (heic->rcPreview.contains(pos)) {
        heic->nPreviewState = HeicModelData::Normal;
        emit signalPreview(index);
        return true;
    }
    if (heic->rcFolder.contains(pos)) {
        if (heic->nFolderState != HeicModelData::Disabled) {
            heic->nFolderState = HeicModelData::Normal;
            emit signalOpenFolder(index);
        }
        return true;
    }
    return false;
}

void QTableViewBase::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && leftPress(event)) {
        return;
    }
    if (event->button() == Qt::RightButton) {
        emit signalMenuContext(indexAt(event->pos()), event->pos());
    }
    QTableView::mousePressEvent(event);
}

void QTableViewBase::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    emit signalDoubleClicked(indexAt(event->pos()));
}
