#pragma once

#include <QVector>
#include <QWidget>

class QMenuItemEx;
class QLineEx;

// The main window's drop-down menu under its menu button: nine items with rules between
// them on a white panel whose notch points up at the button.
class QMenuDialog : public QWidget {
    Q_OBJECT

public:
    enum ItemId {
        OfficialWeb = 1,
        Language = 2,
        CheckUpdate = 3,
        Feedback = 4,
        ContactUs = 5,
        HelpCenter = 6,
        About = 7,
        Exit = 8,
        Privacy = 9
    };
    static constexpr int kItemCount = 9;

    explicit QMenuDialog(QWidget* parent = nullptr);

    // The item of id (1 to 9), or null.
    QMenuItemEx* item(int id) const;

signals:
    void signalItemClicked(int nItemId);

public slots:
    void slotItemClicked();

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void createPanel();
    void createItems();
    void createLines();

    QWidget* m_pPanel = nullptr;
    QVector<QMenuItemEx*> m_items;
    QVector<QLineEx*> m_lines;
};
