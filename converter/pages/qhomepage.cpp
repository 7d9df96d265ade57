#include "qhomepage.h"

#include "pages/qaddfilesdialog.h"
#include "qimagelable.h"
#include "qimagetextbutton.h"
#include "qmultilinelabel.h"
#include "ztlog.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

QHomePage::QHomePage(QWidget* parent) : QFrame(parent) {
    m_pPicture = new QImageLable(QStringLiteral(":/Img/res/png_homeBK.png"), this);
    m_pPicture->setFixedSize(212, 148);

    m_pBtnAdd = new QImageTextButton(QStringLiteral(":/Img/res/btn/btn_homeaddfile.png"),
                                     QSize(148, 36), this);
    m_pBtnAdd->setTextFont(18, 50);
    const QColor white("#FFFFFF");
    m_pBtnAdd->setTextColor(white, white, white, white);
    m_pBtnAdd->setText(tr("Add files"));
    connect(m_pBtnAdd, &QImageTextButton::clicked, this, &QHomePage::slotAddBtnClicked);

    m_pHint = new QMultiLineLabel(QColor("#555555"), FontSpec(14, 50), this);
    m_pHint->setFixedSize(1000, 20);
    m_pHint->setAlignment(Qt::AlignCenter);
    m_pHint->setText(tr("Drag HEIC, HEIF or AVIF photos here or click the area to add the files"));
    // The picture and the hint open the dialog too, as the hint says.
    for (QWidget* area : {static_cast<QWidget*>(m_pPicture), static_cast<QWidget*>(m_pHint)}) {
        area->setCursor(Qt::PointingHandCursor);
        area->installEventFilter(this);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addSpacing(130);
    layout->addWidget(m_pPicture, 0, Qt::AlignHCenter);
    layout->addSpacing(20);
    layout->addWidget(m_pBtnAdd, 0, Qt::AlignHCenter);
    layout->addSpacing(10);
    layout->addWidget(m_pHint, 0, Qt::AlignHCenter);
    layout->addStretch();
}

void QHomePage::setFileChooser(FileChooser chooser) {
    m_fileChooser = std::move(chooser);
}

QStringList QHomePage::chooseFiles(const QString& caption, const QString& directory,
                                   const QString& filter) {
    if (m_fileChooser) {
        return m_fileChooser(this, caption, directory, filter);
    }
    return QAddFilesDialog::choose(this, caption, directory, filter);
}

void QHomePage::slotAddBtnClicked() {
    const QStringList paths = chooseFiles(QAddFilesDialog::pictureCaption(), QStringLiteral("."),
                                          QAddFilesDialog::pictureFilter());
    if (paths.isEmpty()) {
        LOG(INFO) << "user no select any heic files";
        return;
    }
    emit signalFilesChosen(paths);
}

bool QHomePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_pPicture && watched != m_pHint) {
        return QFrame::eventFilter(watched, event);
    }
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (!press && event->type() != QEvent::MouseButtonRelease) {
        return QFrame::eventFilter(watched, event);
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) {
        return QFrame::eventFilter(watched, event);
    }
    if (press) {
        m_pressPos = mouse->globalPos();
        return true;
    }
    // A click, not the end of a drag.
    if ((mouse->globalPos() - m_pressPos).manhattanLength() < QApplication::startDragDistance()) {
        slotAddBtnClicked();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void QHomePage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(contentsRect(), QColor("#FFFFFF"));
}
