#include "qheaderviewbase.h"

#include "filelist/heicmodeldata.h"
#include "filelist/qtableviewbase.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {
const int kCheckLeft = 21;
const int kCheckTop = 19;
const int kCheckSize = 16;
}  // namespace

QHeaderViewBase::QHeaderViewBase(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent), m_listCheckCells(checkBoxCells()) {
    setFixedHeight(kHeight);
    setSectionResizeMode(QHeaderView::Fixed);
    setStretchLastSection(true);
    setMouseTracking(true);
    setHighlightSections(false);
    QFont font = QApplication::font();
    font.setPixelSize(13);
    setFont(font);
}

void QHeaderViewBase::setSectionText(int section, const QString& text) {
    while (m_listText.size() <= section) {
        m_listText.append(QString());
    }
    m_listText[section] = text;
    viewport()->update();
}

QRect QHeaderViewBase::checkBoxRect() const {
    return QRect(sectionViewportPosition(0) + kCheckLeft, kCheckTop, kCheckSize, kCheckSize);
}

void QHeaderViewBase::watchSelection() {
    if (selectionModel() != nullptr) {
        connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &QHeaderViewBase::onSelectionChanged, Qt::UniqueConnection);
    }
    if (model() != nullptr) {
        connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
                &QHeaderViewBase::onRowsAboutToBeRemoved, Qt::UniqueConnection);
        // A changed row count may change "all" into "some": once per batch of changes.
        connect(model(), &QAbstractItemModel::rowsInserted, this,
                &QHeaderViewBase::scheduleCheckBoxUpdate, Qt::UniqueConnection);
        connect(model(), &QAbstractItemModel::rowsRemoved, this,
                &QHeaderViewBase::scheduleCheckBoxUpdate, Qt::UniqueConnection);
        connect(model(), &QAbstractItemModel::modelAboutToBeReset, this,
                &QHeaderViewBase::onRowsAboutToBeRemoved, Qt::UniqueConnection);
        connect(model(), &QAbstractItemModel::modelReset, this,
                &QHeaderViewBase::scheduleCheckBoxUpdate, Qt::UniqueConnection);
    }
}

void QHeaderViewBase::onSelectionChanged() {
    // Rows that go away take their selection with them, one removal after the other: count
    // once when they have gone.
    if (m_bRowsChanging) {
        scheduleCheckBoxUpdate();
    } else {
        slotUpdateCheckBox();
    }
}

void QHeaderViewBase::scheduleCheckBoxUpdate() {
    if (m_bUpdatePending) {
        return;
    }
    m_bUpdatePending = true;
    QTimer::singleShot(0, this, [this] {
        m_bUpdatePending = false;
        m_bRowsChanging = false;
        slotUpdateCheckBox();
    });
}

void QHeaderViewBase::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    painter->fillRect(rect, QColor("#F8FAFE"));
    painter->setPen(QColor("#DDDDDD"));
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->drawLine(rect.topLeft(), rect.topRight());
    if (logicalIndex == 0) {
        const QRect box(rect.left() + kCheckLeft, kCheckTop, kCheckSize, kCheckSize);
        const QPixmap cell = m_listCheckCells.value(m_nCheckState, m_listCheckCells.value(0));
        painter->drawPixmap(box, cell);
    }
    QColor text("#333333");
    if (logicalIndex == m_nPressSection) {
        text = QColor("#000000");
    } else if (logicalIndex == m_nHoverSection) {
        text = QColor("#666666");
    }
    painter->setPen(text);
    painter->setFont(font());
    painter->drawText(rect, Qt::AlignCenter, m_listText.value(logicalIndex));
    drawSortArrow(painter, rect, logicalIndex);
    painter->restore();
}

// A small triangle right of the sorting section's text, pointing up for ascending.
void QHeaderViewBase::drawSortArrow(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (logicalIndex != sortIndicatorSection() || !m_listSortable.contains(logicalIndex)) {
        return;
    }
    const int textWidth = painter->fontMetrics().horizontalAdvance(m_listText.value(logicalIndex));
    const int x = rect.center().x() + textWidth / 2 + 6;
    const int y = rect.center().y();
    const bool up = sortIndicatorOrder() == Qt::AscendingOrder;
    const QPolygon arrow =
        up ? QPolygon({QPoint(x, y + 2), QPoint(x + 6, y + 2), QPoint(x + 3, y - 2)})
           : QPolygon({QPoint(x, y - 2), QPoint(x + 6, y - 2), QPoint(x + 3, y + 2)});
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor("#999999"));
    painter->drawPolygon(arrow);
}

void QHeaderViewBase::mousePressEvent(QMouseEvent* event) {
    // Sections are not clickable: a press never selects a column.
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (checkBoxRect().contains(event->pos())) {
        toggleAllRows();
        emit signalHeaderCheckBoxClicked();
        return;
    }
    m_nPressSection = logicalIndexAt(event->pos());
    viewport()->update();
}

void QHeaderViewBase::mouseReleaseEvent(QMouseEvent* event) {
    const int section = logicalIndexAt(event->pos());
    const bool click = event->button() == Qt::LeftButton && section == m_nPressSection;
    m_nPressSection = -1;
    if (click && m_listSortable.contains(section)) {
        const bool reverse =
            section == sortIndicatorSection() && sortIndicatorOrder() == Qt::AscendingOrder;
        setSortIndicator(section, reverse ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
    viewport()->update();
}

void QHeaderViewBase::mouseMoveEvent(QMouseEvent* event) {
    const int section = logicalIndexAt(event->pos());
    if (section != m_nHoverSection) {
        m_nHoverSection = section;
        viewport()->update();
    }
}

void QHeaderViewBase::leaveEvent(QEvent* event) {
    m_nHoverSection = -1;
    m_nPressSection = -1;
    viewport()->update();
    QHeaderView::leaveEvent(event);
}

void QHeaderViewBase::toggleAllRows() {
    QItemSelectionModel* selection = selectionModel();
    QAbstractItemModel* rows = model();
    if (selection == nullptr || rows == nullptr) {
        return;
    }
    if (m_nCheckState != ModelDataBase::Checked && rows->rowCount() > 0) {
        m_nCheckState = ModelDataBase::Checked;
        const QItemSelection all(rows->index(0, 0),
                                 rows->index(rows->rowCount() - 1, rows->columnCount() - 1));
        selection->select(all, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    } else {
        m_nCheckState = ModelDataBase::Unchecked;
        selection->clearSelection();
    }
    viewport()->update();
}

void QHeaderViewBase::slotUpdateCheckBox() {
    emit signalSelectionChange();
    const int selected = QTableViewBase::checkedRowsOf(selectionModel()).size();
    const int rows = model() != nullptr ? model()->rowCount() : 0;
    if (selected < 1) {
        m_nCheckState = ModelDataBase::Unchecked;
        setSectionText(1, tr("File Name"));
    } else {
        m_nCheckState = selected == rows ? ModelDataBase::Checked : ModelDataBase::Partial;
        setSectionText(1, tr("Select %1 pc").arg(selected));
    }
    updateSection(0);
}
