#include "kitcombobox.h"

#include "kittheme.h"

#include <QComboBox>
#include <QListView>
#include <QStyledItemDelegate>

namespace {

const char kComboStyle[] =
    "QComboBox{combobox-popup:0;border:1px solid #E3E3E3;padding:0px 0px 0px 10px;"
    "background:#FFFFFF;color:#444444;font-family:'Microsoft YaHei';font-size:14px;}"
    "QComboBox:hover{border:1px solid #C7CDDF;}"
    "QComboBox::drop-down{width:30px;border:none;}"
    "QComboBox::down-arrow{image:url(%1);width:30px;height:30px;}"
    "QComboBox::down-arrow:hover{image:url(%2);}"
    "QComboBox::down-arrow:on{image:url(%3);}";

// On the list itself: rules of the combo's sheet reach it only while no window above the
// combo has a sheet of its own.
const char kListStyle[] =
    "QListView{border:1px solid #C7CDDF;background:#FFFFFF;outline:0px;padding:2px 0px;"
    "font-family:'Microsoft YaHei';font-size:14px;color:#444444;}"
    "QListView::item{height:32px;padding-left:10px;color:#444444;}"
    "QListView::item:hover{background:#F3F6FD;color:#444444;}"
    "QListView::item:selected{background:#718AB9;color:#FFFFFF;}"
    "QScrollBar:vertical{width:8px;background:transparent;margin:0px;}"
    "QScrollBar::handle:vertical{background:#E2E2E2;border-radius:4px;min-height:20px;}"
    "QScrollBar::handle:vertical:hover{background:rgba(0,0,0,25%);}"
    "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;border:none;}"
    "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:transparent;}";

}  // namespace

void styleKitComboBox(QComboBox* combo) {
    // A list dropping down (not a menu over the combo, which shows every item) of plain
    // items: the menu delegate of some styles ignores the item rules.
    auto* view = new QListView(combo);
    view->setUniformItemSizes(true);
    combo->setView(view);
    combo->setItemDelegate(new QStyledItemDelegate(combo));
    view->setStyleSheet(QString::fromLatin1(kListStyle));
    const KitTheme& theme = KitTheme::current();
    combo->setStyleSheet(
        QString::fromLatin1(kComboStyle)
            .arg(theme.comboArrowNormal, theme.comboArrowHover, theme.comboArrowPressed));
}
