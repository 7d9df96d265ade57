// Gallery shots of the widget kit, every widget in each of its looks.

#include "gallerycanvas.h"
#include "galleryregistry.h"

#include "cframelessdialog.h"
#include "kittheme.h"
#include "qadaptivelabel.h"
#include "qcheckboxex.h"
#include "qiconbutton.h"
#include "qimagelable.h"
#include "qimagetextbutton.h"
#include "qirregularframeex.h"
#ifdef GALLERY_WITH_QFAULTPOST_RESOURCES
#include "qfaultpostresources.h"
#endif
#include "qlineex.h"
#include "qmenuitemex.h"
#include "qmessageboxex.h"
#include "qmultilinelabel.h"
#include "qprogressex.h"
#include "qztscrollbar.h"

#include <QHBoxLayout>
#include <QLinearGradient>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

const char* const kStateNames[] = {"normal", "hover", "pressed", "disabled"};
const QColor kDialogBackdrop("#D9DDE3");

void applyButtonState(QBaseButton* button, int state) {
    if (state == ButtonHover || state == ButtonPressed) {
        GalleryCanvas::hover(button);
    }
    if (state == ButtonPressed) {
        GalleryCanvas::press(button);
    }
    if (state == ButtonDisabled) {
        button->setEnabled(false);
    }
}

void shootIconButtons(GalleryCanvas& canvas) {
    for (int state = 0; state < 4; ++state) {
        QIconButton button(QStringLiteral(":/Img/res/btn/btn_dlgclose.png"), QSize(14, 14));
        applyButtonState(&button, state);
        canvas.shoot(QStringLiteral("QIconButton_dlgclose_%1").arg(kStateNames[state]), &button,
                     QColor("#F3F6FD"));
    }
}
PIXVUE_GALLERY_ENTRY("kit", shootIconButtons)

struct TextButtonSample {
    const char* name;
    const char* image;
    QSize frame;
    const char* english;
    const char* chinese;
    QColor textColor;
};

void shootImageTextButtons(GalleryCanvas& canvas) {
    const TextButtonSample samples[] = {
        {"dlgyes", ":/Img/res/btn/btn_dlgyes.png", QSize(96, 32), "YES", "是", QColor("#444444")},
        {"dlgno", ":/Img/res/btn/btn_dlgno.png", QSize(96, 32), "NO", "否", QColor("#FFFFFF")},
        {"submit", ":/Img/res/btn/btn_submit.png", QSize(110, 32), "Update", "更新",
         QColor("#FFFFFF")},
        {"convert", ":/Img/res/btn/btn_convert.png", QSize(110, 32), "Convert", "转换",
         QColor("#FFFFFF")},
    };
    for (const TextButtonSample& sample : samples) {
        for (int state = 0; state < 4; ++state) {
            QImageTextButton button(QString::fromLatin1(sample.image), sample.frame);
            button.setTextFont(16, 50);
            button.setTextColor(sample.textColor, sample.textColor, sample.textColor,
                                sample.textColor);
            button.setText(canvas.pick(sample.english, QString::fromUtf8(sample.chinese)));
            applyButtonState(&button, state);
            canvas.shoot(
                QStringLiteral("QImageTextButton_%1_%2").arg(sample.name, kStateNames[state]),
                &button);
        }
    }
    // Default colours, a stretched frame and the three text placements.
    struct Placement {
        const char* name;
        int x;
        int y;
    };
    for (const Placement& placement : {Placement{"centred", 0, 0}, Placement{"offsetx", 12, 0},
                                       Placement{"offsety", 0, 4}, Placement{"offsetxy", 12, 4}}) {
        QImageTextButton button(QStringLiteral(":/Img/res/btn/btn_submit.png"), QSize(110, 32));
        button.setFixedSize(220, 32);
        button.setTextOffset(placement.x, placement.y);
        button.setText(canvas.pick("Default colours", QString::fromUtf8("默认颜色")));
        canvas.shoot(QStringLiteral("QImageTextButton_wide_%1").arg(placement.name), &button);
    }
}
PIXVUE_GALLERY_ENTRY("kit", shootImageTextButtons)

void shootCheckBoxSet(GalleryCanvas& canvas, const QString& prefix, const QString& text) {
    for (int checked = 0; checked < 2; ++checked) {
        for (int state = 0; state < 4; ++state) {
            QCheckBoxEx box;
            box.setText(text);
            box.setFixedSize(box.sizeHint().width(), 24);
            box.setChecked(checked == 1);
            if (state == 1 || state == 2) {
                GalleryCanvas::hover(&box);
            }
            if (state == 2) {
                GalleryCanvas::press(&box);
            }
            if (state == 3) {
                box.setEnabled(false);
            }
            canvas.shoot(QStringLiteral("%1_%2_%3")
                             .arg(prefix, checked ? "checked" : "unchecked", kStateNames[state]),
                         &box);
        }
    }
    QCheckBoxEx partial;
    partial.setText(text);
    partial.setFixedSize(partial.sizeHint().width(), 24);
    partial.setTristate(true);
    partial.setCheckState(Qt::PartiallyChecked);
    canvas.shoot(prefix + "_partial", &partial);

    QCheckBoxEx bordered;
    bordered.setText(text);
    bordered.setIndicatorLeftOffset(8);
    bordered.setDrawBorder(true);
    bordered.setFixedSize(bordered.sizeHint().width() + 8, 32);
    canvas.shoot(prefix + "_bordered", &bordered);
}

void shootCheckBoxes(GalleryCanvas& canvas) {
    shootCheckBoxSet(canvas, "QCheckBoxEx",
                     canvas.pick("Keep EXIF information", QString::fromUtf8("保留EXIF信息")));
    const KitTheme saved = KitTheme::current();
#ifdef GALLERY_WITH_QFAULTPOST_RESOURCES
    KitTheme::setCurrent(qfaultpost::kitTheme());
#endif
    shootCheckBoxSet(canvas, "QCheckBoxEx_bugreport",
                     canvas.pick("Send error report", QString::fromUtf8("发送错误报告")));
    KitTheme::setCurrent(saved);
}
PIXVUE_GALLERY_ENTRY("kit", shootCheckBoxes)

void shootLines(GalleryCanvas& canvas) {
    QLineEx rule(QColor("#AFB9D7"), 1, Qt::SolidLine);
    rule.setFixedSize(240, 1);
    canvas.shoot("QLineEx_horizontal", &rule);
    QLineEx dashed(QColor("#E3E3E3"), 1, Qt::DashLine);
    dashed.setFixedSize(240, 1);
    canvas.shoot("QLineEx_dashed", &dashed);
    QLineEx vertical(QColor("#E3E3E3"), 1, Qt::SolidLine);
    vertical.setFixedSize(1, 40);
    canvas.shoot("QLineEx_vertical", &vertical);
}
PIXVUE_GALLERY_ENTRY("kit", shootLines)

void shootProgressBars(GalleryCanvas& canvas) {
    for (int value : {0, 35, 100}) {
        QProgressEx bar(nullptr, false);
        bar.setFixedSize(352, 10);
        bar.setValue(value);
        canvas.shoot(QStringLiteral("QProgressEx_value%1").arg(value), &bar);
    }
    QProgressEx labelled(nullptr, false);
    labelled.setFixedSize(352, 20);
    labelled.setFillColor(QColor("#22A5FB"));
    labelled.setValue(60);
    labelled.setText(QStringLiteral("60%"));
    canvas.shoot("QProgressEx_text", &labelled);

    // The running highlight at a few moments of one pass.
    for (const char* image : {":/Img/res/progressbar.png", ":/Img/res/loading_animation.png"}) {
        const QString name = QString::fromLatin1(image).section('/', -1).section('.', 0, 0);
        for (int ticks : {6, 40, 72, 76}) {
            QProgressEx bar(nullptr, false);
            bar.setImage(QString::fromLatin1(image));
            bar.setFixedSize(352, 10);
            bar.setValue(100);
            bar.show();
            bar.setAnimated(true);
            for (int i = 0; i < ticks; ++i) {
                bar.updateAnimation();
            }
            canvas.shoot(
                QStringLiteral("QProgressEx_%1_offset%2").arg(name).arg(bar.animationOffset()),
                &bar);
        }
    }
}
PIXVUE_GALLERY_ENTRY("kit", shootProgressBars)

void shootLabels(GalleryCanvas& canvas) {
    QAdaptiveLabel title(QColor("#444444"), FontSpec(16, 50));
    title.setText(canvas.pick("Check for updates", QString::fromUtf8("检查更新")));
    canvas.shoot("QAdaptiveLabel_title", &title);

    QAdaptiveLabel error(QColor("#E95454"), FontSpec(16, 57));
    error.setFixedHeight(22);
    error.setText(
        canvas.pick("Sorry, Pixvue an error :(", QString::fromUtf8("抱歉，Pixvue 出错了 :(")));
    canvas.shoot("QAdaptiveLabel_error", &error);

    QAdaptiveLabel link(QColor("#0081FF"), FontSpec(14, 50));
    link.setText(canvas.pick("Download manually", QString::fromUtf8("手动下载")));
    canvas.shoot("QAdaptiveLabel_link", &link);

    QMultiLineLabel oneLine(QColor("#666666"), FontSpec(15, 50));
    oneLine.setFixedSize(320, 20);
    oneLine.setText(canvas.pick("Are you sure to exit?", QString::fromUtf8("确定要退出吗？")),
                    true);
    canvas.shoot("QMultiLineLabel_oneline", &oneLine);

    QMultiLineLabel explanation(QColor("#444444"), FontSpec(14, 50));
    explanation.setFixedSize(438, 18);
    explanation.setText(canvas.pick(
        "We collected the error information and generated the report (which does not have your "
        "privacy), please send it to us to help us fix this error",
        QString::fromUtf8("我们收集了错误信息并生成了报告（不包含您的隐私），请发送给我们，"
                          "帮助我们修复这个错误")));
    canvas.shoot("QMultiLineLabel_wrapped", &explanation);
}
PIXVUE_GALLERY_ENTRY("kit", shootLabels)

QPixmap samplePicture(QSize size) {
    QPixmap picture(size);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor("#22A5FB"));
    sky.setColorAt(1, QColor("#F3F6FD"));
    painter.fillRect(picture.rect(), sky);
    painter.setBrush(QColor("#718AB9"));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(size.width() / 3, size.height() * 2 / 3), size.width() / 4,
                        size.height() / 5);
    return picture;
}

void shootImageLabels(GalleryCanvas& canvas) {
    QImageLable question(QStringLiteral(":/Img/res/png_question.png"));
    question.setFixedSize(48, 48);
    canvas.shoot("QImageLable_question", &question);

    QImageLable small{QString()};
    small.setPixmap(samplePicture(QSize(60, 40)));
    small.setFixedSize(160, 120);
    small.setStyleSheet("background:#FFFFFF");
    canvas.shoot("QImageLable_small_centred", &small, QColor("#E3E3E3"));

    QImageLable large{QString()};
    large.setPixmap(samplePicture(QSize(800, 400)));
    large.setFixedSize(160, 120);
    canvas.shoot("QImageLable_large_scaled", &large, QColor("#E3E3E3"));
}
PIXVUE_GALLERY_ENTRY("kit", shootImageLabels)

QMenuItemEx* addMenuItem(QWidget* parent, QLayout* layout, const QString& text) {
    auto* item = new QMenuItemEx(QString(), QSize(138, 36), parent);
    item->setText(text);
    layout->addWidget(item);
    return item;
}

void shootMenu(GalleryCanvas& canvas) {
    for (int hovered = 0; hovered < 2; ++hovered) {
        QMenuItemEx item(QString(), QSize(138, 36));
        item.setText(canvas.pick("Check update", QString::fromUtf8("检查更新")));
        if (hovered) {
            GalleryCanvas::hover(&item);
        }
        canvas.shoot(hovered ? "QMenuItemEx_hover" : "QMenuItemEx_normal", &item);
    }

    QIrregularFrameEX popup;
    popup.setFixedSize(138, 8 + 3 * 36 + 2 * 1 + 6);
    auto* layout = new QVBoxLayout(&popup);
    layout->setContentsMargins(0, 11, 0, 3);
    layout->setSpacing(0);
    addMenuItem(&popup, layout, canvas.pick("Official Web", QString::fromUtf8("官方网站")));
    auto* rule = new QLineEx(QColor("#E3E3E3"), 1, Qt::SolidLine, &popup);
    rule->setFixedSize(138, 1);
    layout->addWidget(rule);
    GalleryCanvas::hover(
        addMenuItem(&popup, layout, canvas.pick("Language", QString::fromUtf8("语言"))));
    auto* rule2 = new QLineEx(QColor("#E3E3E3"), 1, Qt::SolidLine, &popup);
    rule2->setFixedSize(138, 1);
    layout->addWidget(rule2);
    addMenuItem(&popup, layout, canvas.pick("About", QString::fromUtf8("关于")));
    canvas.shoot("QIrregularFrameEX_menu", &popup, kDialogBackdrop);
}
PIXVUE_GALLERY_ENTRY("kit", shootMenu)

void shootScrollBar(GalleryCanvas& canvas) {
    QWidget stage;
    stage.setFixedSize(220, 200);
    stage.setStyleSheet("background:#FFFFFF");
    auto* list = new QListWidget(&stage);
    list->setGeometry(0, 0, 212, 200);
    list->setFrameShape(QFrame::NoFrame);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int i = 1; i <= 40; ++i) {
        list->addItem(QStringLiteral("IMG_%1.HEIC").arg(4000 + i));
    }
    auto* bar = new QZTScrollBar(Qt::Vertical, &stage);
    bar->setStyleSheet(
        "QScrollBar{background:transparent;padding:0px;width:6px;}"
        "QScrollBar::handle:vertical{background:rgba(199,205,223,100%);min-height:120px;"
        "border-radius:4px;}QScrollBar::handle:vertical:hover,QScrollBar::handle:vertical:"
        "pressed{background:rgba(0,0,0,30%);}QScrollBar::add-page:vertical,QScrollBar::sub-"
        "page:vertical{background:none;}QScrollBar::add-line:vertical,QScrollBar::sub-line:"
        "vertical{background:none;}");
    bar->setGeometry(212, 0, 8, 200);
    bar->setRange(0, 0);
    bar->hide();
    QScrollBar* own = list->verticalScrollBar();
    QObject::connect(own, &QScrollBar::valueChanged, bar, &QZTScrollBar::slotValueChanged);
    QObject::connect(own, &QScrollBar::rangeChanged, bar, &QZTScrollBar::slotRangeChanged);
    QObject::connect(bar, &QScrollBar::valueChanged, own, &QScrollBar::setValue);
    stage.show();
    bar->slotRangeChanged(own->minimum(), own->maximum());
    own->setValue(own->maximum() / 3);
    canvas.shoot("QZTScrollBar_list", &stage);
}
PIXVUE_GALLERY_ENTRY("kit", shootScrollBar)

void shootDialogs(GalleryCanvas& canvas) {
    CFramelessDialog bare;
    bare.setDialogSize(470, 242);
    bare.setTitleSize(QSize(470, 44));
    bare.setTitleColor(QColor("#718AB9"));
    auto* title = new QAdaptiveLabel(Qt::white, FontSpec(16, 50), &bare);
    title->setFixedHeight(22);
    title->setText(canvas.pick("Crash feedback", QString::fromUtf8("崩溃反馈")));
    title->move(45, 41);
    canvas.shoot("CFramelessDialog_titleband", &bare, kDialogBackdrop, 0);

    struct Box {
        const char* name;
        int icon;
        int mode;
    };
    const QString title2 = canvas.pick("Tips", QString::fromUtf8("提示"));
    for (const Box& box :
         {Box{"mode0_icon1", 1, 0}, Box{"mode1_icon2", 2, 1}, Box{"mode2_icon3", 3, 2},
          Box{"mode2_icon4", 4, 2}, Box{"mode2_noicon", 0, 2}}) {
        QMessageboxEx message(
            title2,
            canvas.pick("The output folder is a system folder, please choose another one",
                        QString::fromUtf8("输出目录是系统目录，请另选一个目录")),
            box.icon, box.mode);
        canvas.shoot(QStringLiteral("QMessageboxEx_%1").arg(box.name), &message, kDialogBackdrop,
                     0);
    }
    QMessageboxEx shortText(title2, canvas.pick("Saved.", QString::fromUtf8("已保存。")), 3, 2);
    shortText.setButtonText(canvas.pick("Confirm", QString::fromUtf8("确定")),
                            canvas.pick("Cancel", QString::fromUtf8("取消")));
    canvas.shoot("QMessageboxEx_custom_buttons", &shortText, kDialogBackdrop, 0);
}
PIXVUE_GALLERY_ENTRY("kit", shootDialogs)

}  // namespace
