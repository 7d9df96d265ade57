#include "qtabledelegatebase.h"

#include "filelist/heicmodeldata.h"
#include "filelist/qtablemodelbase.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

const QColor kTextColor("#444444");
const QColor kLineColor("#E3E3E3");

QPixmap buttonImage(const QString& path) {
    static QHash<QString, QPixmap> cache;
    auto it = cache.find(path);
    if (it == cache.end()) {
        it = cache.insert(path, QPixmap(path));
    }
    return it.value();
}

void repaintView(const QStyleOptionViewItem& option) {
    if (auto* view = qobject_cast<const QAbstractItemView*>(option.widget)) {
        view->viewport()->update();
    }
}

// Normal or hovered look by whether the cursor is on the button; pressed and disabled stay.
int hoverLook(int look, const QRect& button, const QPoint& pos) {
    if (look == HeicModelData::Disabled) {
        return look;
    }
    return button.contains(pos) ? HeicModelData::Hovered : HeicModelData::Normal;
}

}  // namespace

QTableDelegateBase::QTableDelegateBase(QObject* parent) : QStyledItemDelegate(parent) {}

ModelDataBase* QTableDelegateBase::recordOf(const QModelIndex& index) {
    return QTableModelBase::record(index);
}

QFont QTableDelegateBase::cellFont() {
    QFont font = QApplication::font();
    font.setPixelSize(12);
    return font;
}

void QTableDelegateBase::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    ModelDataBase* record = recordOf(index);
    if (record == nullptr) {
        return;
    }
    painter->save();
    painter->setFont(cellFont());
    painter->setPen(kTextColor);
    const bool selected = option.state & QStyle::State_Selected;
    record->bSelected = selected;
    if (selected && record->nCheckBoxState != ModelDataBase::CheckedHover &&
        record->nCheckBoxState != ModelDataBase::CheckedPressed) {
        record->nCheckBoxState = ModelDataBase::Checked;
    } else if (!selected && record->nCheckBoxState != ModelDataBase::UncheckedHover &&
               record->nCheckBoxState != ModelDataBase::UncheckedPressed) {
        record->nCheckBoxState = ModelDataBase::Unchecked;
    }
    const QRect cell = option.rect;
    QColor background("#ffffff");
    if (!selected && record->nHover == 1) {
        background = QColor("#f8f8ff");
    }
    painter->fillRect(cell, background);
    if (index.column() == 0) {
        record->rcCheckBox = QRect(cell.left() + kCheckBoxLeft, cell.top() + kCheckBoxTop,
                                   kCheckBoxSize, kCheckBoxSize);
        painter->drawPixmap(record->rcCheckBox, record->checkBoxCell(record->nCheckBoxState));
        painter->drawText(cell, Qt::AlignCenter, record->strLabel);
    }
    painter->setPen(kLineColor);
    painter->drawLine(cell.bottomLeft(), cell.bottomRight());
    painter->restore();
}

// ---- QHeicDelegate

QHeicDelegate::QHeicDelegate(QObject* parent) : QTableDelegateBase(parent) {}

QString QHeicDelegate::formatText(int format) {
    switch (format) {
        case 0:
            return QStringLiteral("jpg");
        case 1:
            return QStringLiteral("png");
        case 2:
            return QStringLiteral("bmp");
        default:
            return QString::number(format);
    }
}

QString QHeicDelegate::stateText(int state) {
    switch (state) {
        case HeicModelData::Ready:
            return tr("Ready");
        case HeicModelData::Converting:
            return tr("Converting...");
        case HeicModelData::Completed:
            return tr("Completed");
        case HeicModelData::Failed:
            return tr("Failed");
        default:
            return QString();
    }
}

QColor QHeicDelegate::stateColor(int state) {
    switch (state) {
        case HeicModelData::Completed:
            return QColor("#00ff00");
        case HeicModelData::Failed:
            return QColor("#ff0000");
        default:
            return kTextColor;
    }
}

void QHeicDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    QTableDelegateBase::paint(painter, option, index);
    auto* record = static_cast<HeicModelData*>(recordOf(index));
    if (record == nullptr) {
        return;
    }
    painter->save();
    painter->setFont(cellFont());
    painter->setPen(kTextColor);
    const QRect cell = option.rect;
    switch (index.column()) {
        case NameColumn: {
            const QRect text(cell.left(), cell.top(), cell.width() - 10, cell.height());
            const QString elided = painter->fontMetrics().elidedText(record->strFileName,
                                                                     Qt::ElideRight, text.width());
            painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, elided);
            break;
        }
        case SizeColumn:
            painter->drawText(cell, Qt::AlignCenter, record->strFileSize);
            break;
        case FormatColumn:
            painter->drawText(cell, Qt::AlignCenter, formatText(record->nOutputFormat));
            break;
        case StateColumn:
            painter->setPen(stateColor(record->nConvertState));
            painter->drawText(cell, Qt::AlignCenter, stateText(record->nConvertState));
            break;
        case PreviewColumn:
            paintButton(painter, cell, QStringLiteral(":/Img/res/btn/btn_preview.png"),
                        record->nPreviewState, record->rcPreview);
            break;
        case FolderColumn:
            paintButton(painter, cell, QStringLiteral(":/Img/res/btn/btn_folder.png"),
                        record->nFolderState, record->rcFolder);
            break;
        case DeleteColumn:
            paintButton(painter, cell, QStringLiteral(":/Img/res/btn/btn_del.png"),
                        record->nDeleteState, record->rcDelete);
            break;
        default:
            break;
    }
    painter->restore();
}

void QHeicDelegate::paintButton(QPainter* painter, const QRect& cell, const QString& image,
                                int look, QRect& target) const {
    target = QRect(cell.left() + kButtonLeft, cell.top() + kButtonTop, kButtonSize, kButtonSize);
    painter->drawPixmap(target, buttonImage(image),
                        QRect(0, look * kButtonSize, kButtonSize, kButtonSize));
}

bool QHeicDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                const QStyleOptionViewItem& option, const QModelIndex& index) {
    // The base first: a released remove button takes the row, and with it index, away.
    const bool handled = QStyledItemDelegate::editorEvent(event, model, option, index);
    auto* record = static_cast<HeicModelData*>(recordOf(index));
    const QEvent::Type type = event->type();
    const bool mouse = type == QEvent::MouseMove || type == QEvent::MouseButtonPress ||
                       type == QEvent::MouseButtonRelease;
    if (record == nullptr || record->bBusy || !mouse) {
        return handled;
    }
    auto* mouseEvent = static_cast<QMouseEvent*>(event);
    repaintView(option);
    if (type == QEvent::MouseMove) {
        mouseMoved(*record, *mouseEvent, index);
    } else if (mouseEvent->button() == Qt::LeftButton && type == QEvent::MouseButtonPress) {
        mousePressed(*record, mouseEvent->pos());
    } else if (mouseEvent->button() == Qt::LeftButton) {
        mouseReleased(*record, mouseEvent->pos(), index);  // last: it may remove the row
    }
    return handled;
}

void QHeicDelegate::mouseMoved(HeicModelData& record, const QMouseEvent& event,
                               const QModelIndex& index) {
    const QPoint pos = event.pos();
    record.nPreviewState = hoverLook(record.nPreviewState, record.rcPreview, pos);
    record.nFolderState = hoverLook(record.nFolderState, record.rcFolder, pos);
    record.nDeleteState = hoverLook(record.nDeleteState, record.rcDelete, pos);
    if (index.column() == NameColumn) {
        QToolTip::showText(event.globalPos(), record.strFilePath);
    } else if (index.column() == StateColumn && record.nConvertState == HeicModelData::Failed &&
               !record.strFailReason.isEmpty()) {
        QToolTip::showText(event.globalPos(), record.failReasonText());
    }
}

void QHeicDelegate::mousePressed(HeicModelData& record, const QPoint& pos) {
    if (record.rcPreview.contains(pos)) {
        record.nPreviewState = HeicModelData::Pressed;
    } else if (record.rcFolder.contains(pos) && record.nFolderState != HeicModelData::Disabled) {
        record.nFolderState = HeicModelData::Pressed;
    } else if (record.rcDelete.contains(pos)) {
        record.nDeleteState = HeicModelData::Pressed;
    }
}

void QHeicDelegate::mouseReleased(HeicModelData& record, const QPoint& pos,
                                  const QModelIndex& index) {
    if (record.rcPreview.contains(pos)) {
        emit signalPreview(index);
    } else if (record.rcFolder.contains(pos) && record.nFolderState != HeicModelData::Disabled) {
        record.nFolderState = HeicModelData::Normal;
        emit signalOpenFolder(index);
    } else if (record.rcDelete.contains(pos)) {
        emit signalDelete(index);
    }
}
