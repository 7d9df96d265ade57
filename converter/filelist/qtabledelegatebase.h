#pragma once

#include <QStyledItemDelegate>

struct HeicModelData;
struct ModelDataBase;

// Paints the common part of every cell from the row's record: background by state, the check
// box of column 0, the record's label and the bottom line.
class QTableDelegateBase : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int kCheckBoxLeft = 21;
    static constexpr int kCheckBoxTop = 19;
    static constexpr int kCheckBoxSize = 16;

    explicit QTableDelegateBase(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    static ModelDataBase* recordOf(const QModelIndex& index);

protected:
    static QFont cellFont();
};

// The file list's delegate: name, size, format and state texts, and the preview, folder and
// remove buttons, whose looks follow the mouse.
class QHeicDelegate : public QTableDelegateBase {
    Q_OBJECT

public:
    enum Column {
        CheckColumn = 0,
        NameColumn,
        SizeColumn,
        FormatColumn,
        StateColumn,
        PreviewColumn,
        FolderColumn,
        DeleteColumn,
        ColumnCount
    };
    static constexpr int kButtonLeft = 34;
    static constexpr int kButtonTop = 17;
    static constexpr int kButtonSize = 20;

    explicit QHeicDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    static QString formatText(int format);
    static QString stateText(int state);
    static QColor stateColor(int state);

signals:
    void signalPreview(QModelIndex index);
    void signalOpenFolder(QModelIndex index);
    void signalDelete(QModelIndex index);

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    void paintButton(QPainter* painter, const QRect& cell, const QString& image, int look,
                     QRect& target) const;
    void mouseMoved(HeicModelData& record, const QMouseEvent& event, const QModelIndex& index);
    void mousePressed(HeicModelData& record, const QPoint& pos);
    void mouseReleased(HeicModelData& record, const QPoint& pos, const QModelIndex& index);
};
