#include "cframelessdialog.h"

#include "kittheme.h"
#include "stateframes.h"
#include "ztlog.h"

#include <qdrawutil.h>
#include <QMouseEvent>
#include <QPainter>

CFramelessDialog::CFramelessDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);
    setShadowImage(KitTheme::current().shadowImage);
}

namespace {

CFramelessDialog::ExecAnswerer& execAnswerer() {
    static CFramelessDialog::ExecAnswerer answerer;
    return answerer;
}

}  // namespace

void CFramelessDialog::setExecAnswerer(ExecAnswerer answerer) {
    execAnswerer() = std::move(answerer);
}

bool CFramelessDialog::hasExecAnswerer() {
    return static_cast<bool>(execAnswerer());
}

int CFramelessDialog::exec() {
    if (!execAnswerer()) {
        return QDialog::exec();
    }
    // A copy: the answerer may replace itself while it runs.
    const ExecAnswerer answerer = execAnswerer();
    const int answer = answerer(*this);
    setResult(answer);
    return answer;
}

void CFramelessDialog::setDialogSize(int width, int height) {
    setFixedSize(width + 2 * kShadowMargin, height + 2 * kShadowMargin);
}

void CFramelessDialog::setTitleSize(const QSize& size) {
    m_titleSize = size;
    update();
}

void CFramelessDialog::setTitleColor(const QColor& color) {
    m_titleColor = color;
    update();
}

void CFramelessDialog::setBodyColor(const QColor& color) {
    m_bodyColor = color;
    update();
}

void CFramelessDialog::setShadowImage(const QString& path) {
    m_shadow = loadKitPixmap(path);
    if (!m_shadow.isNull() &&
        (m_shadow.width() < 2 * kShadowMargin || m_shadow.height() < 2 * kShadowMargin)) {
        LOG(ERROR) << "Shadow image " << path << " is smaller than its margins";
        m_shadow = QPixmap();
    }
    update();
}

QRect CFramelessDialog::titleBand() const {
    return QRect(QPoint(kShadowMargin, kShadowMargin), m_titleSize);
}

void CFramelessDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressPos = event->pos();
        if (titleBand().contains(m_pressPos)) {
            m_bDragging = true;
        }
    }
    QDialog::mousePressEvent(event);
}

void CFramelessDialog::mouseMoveEvent(QMouseEvent* event) {
    if (m_bDragging) {
        move(pos() + (event->pos() - m_pressPos));
    }
    QDialog::mouseMoveEvent(event);
}

void CFramelessDialog::mouseReleaseEvent(QMouseEvent* event) {
    m_bDragging = false;
    QDialog::mouseReleaseEvent(event);
}

void CFramelessDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRect area = contentsRect();
    if (!m_shadow.isNull()) {
        const QMargins margins(kShadowMargin, kShadowMargin, kShadowMargin, kShadowMargin);
        qDrawBorderPixmap(&painter, area, margins, m_shadow, m_shadow.rect(), margins,
                          QTileRules(Qt::StretchTile));
    }
    painter.fillRect(area.adjusted(kShadowMargin, kShadowMargin, -kShadowMargin, -kShadowMargin),
                     m_bodyColor);
    painter.fillRect(titleBand(), m_titleColor);
}
