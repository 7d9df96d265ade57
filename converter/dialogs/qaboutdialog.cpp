#include "qaboutdialog.h"

#include "dialogs/dialogframe.h"
#include "qadaptivelabel.h"
#include "qiconbutton.h"
#include "ztconfig.h"

#include <QDesktopServices>
#include <QVBoxLayout>

QAboutDialog::QAboutDialog(const QUrl& homePage, QWidget* parent)
    : CFramelessDialog(parent), m_homePage(homePage) {
    const pixvue::DialogFrame frame = pixvue::buildDialogFrame(this, tr("About"));

    m_pBtnZentar =
        new QIconButton(QStringLiteral(":/Img/res/btn/btn_zentar.png"), QSize(168, 38), this);
    m_pBtnZentar->setCursor(Qt::PointingHandCursor);
    connect(m_pBtnZentar, &QIconButton::clicked, this, &QAboutDialog::slotBtnZentarClicked);

    m_pName = new QAdaptiveLabel(QColor("#444444"), FontSpec(16, 57), this);
    m_pName->setFixedHeight(22);
    m_pName->setText(tr("Pixvue"));
    m_pVersion = new QAdaptiveLabel(QColor("#444444"), FontSpec(12, 50), this);
    m_pVersion->setFixedHeight(17);
    m_pVersion->setText(tr("Version : ") + ZtConfig::NewInstance()->getSoftwareVersion());

    frame.layout->addSpacing(24);
    frame.layout->addWidget(m_pBtnZentar, 0, Qt::AlignHCenter);
    frame.layout->addSpacing(20);
    frame.layout->addWidget(m_pName, 0, Qt::AlignHCenter);
    frame.layout->addSpacing(14);
    frame.layout->addWidget(m_pVersion, 0, Qt::AlignHCenter);
    frame.layout->addStretch();
}

void QAboutDialog::slotBtnZentarClicked() {
    QDesktopServices::openUrl(m_homePage);
}
