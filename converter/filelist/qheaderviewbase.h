#pragma once

#include <QHeaderView>
#include <QList>
#include <QPixmap>
#include <QStringList>

// The file list's header: fixed sections with their texts, and a check box in section 0 that
// checks or unchecks every row and shows whether all, some or none are checked.
class QHeaderViewBase : public QHeaderView {
    Q_OBJECT

public:
    static constexpr int kHeight = 54;

    explicit QHeaderViewBase(Qt::Orientation orientation, QWidget* parent = nullptr);

    void setSectionText(int section, const QString& text);
    QString sectionText(int section) const { return m_listText.value(section); }
    int checkBoxState() const { return m_nCheckState; }
    QRect checkBoxRect() const;
    int hoveredSection() const { return m_nHoverSection; }

    // Watches the view's selection; call once the view has its model and this header.
    void watchSelection();

    // Sections whose click sorts the list (a second click reverses the order); the sort
    // indicator (sortIndicatorChanged) tells the owner.
    void setSortableSections(const QList<int>& sections) { m_listSortable = sections; }

signals:
    void signalHeaderCheckBoxClicked();
    void signalSelectionChange();

public slots:
    void slotUpdateCheckBox();

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void toggleAllRows();
    void scheduleCheckBoxUpdate();
    void onSelectionChanged();
    void onRowsAboutToBeRemoved() { m_bRowsChanging = true; }

    void drawSortArrow(QPainter* painter, const QRect& rect, int logicalIndex) const;

    QStringList m_listText;
    QList<int> m_listSortable;
    QList<QPixmap> m_listCheckCells;
    int m_nCheckState = 0;
    int m_nHoverSection = -1;
    int m_nPressSection = -1;
    bool m_bUpdatePending = false;
    bool m_bRowsChanging = false;
};
