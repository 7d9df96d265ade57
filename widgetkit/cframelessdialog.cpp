#include "cframelessdialog.h"

#include "kittheme.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

// Holds an answerer for the dialogs made under its parent widget.
class ExecAnswererHolder : public QObject {
public:
    ExecAnswererHolder(QWidget& owner, CFramelessDialog::ExecAnswerer answerer)
        : QObject(&owner), m_answerer(std::move(answerer)) {}

    CFramelessDialog::ExecAnswerer m_answerer;
};

ExecAnswererHolder* holderOf(const QWidget& owner) {
    for (QObject* child : owner.children()) {
        if (auto* holder = dynamic_cast<ExecAnswererHolder*>(child)) {
            return holder;
        }
    }
    return nullptr;
}

}  // namespace

CFramelessDialog::CFramelessDialog(QWidget* parent) : QDialog(parent), m_frame(*this) {
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);
    setShadowImage(KitTheme::current().shadowImage);
}

void CFramelessDialog::setExecAnswerer(ExecAnswerer answerer) {
    m_execAnswerer = std::move(answerer);
}

void CFramelessDialog::setExecAnswerer(QWidget& owner, ExecAnswerer answerer) {
    delete holderOf(owner);
    if (answerer) {
        new ExecAnswererHolder(owner, std::move(answerer));
    }
}

bool CFramelessDialog::hasExecAnswerer() const {
    return static_cast<bool>(findExecAnswerer());
}

CFramelessDialog::ExecAnswerer CFramelessDialog::findExecAnswerer() const {
    if (m_execAnswerer) {
        return m_execAnswerer;
    }
    for (const QWidget* owner = this; owner != nullptr; owner = owner->parentWidget()) {
        if (const ExecAnswererHolder* holder = holderOf(*owner)) {
            return holder->m_answerer;
        }
    }
    return {};
}

int CFramelessDialog::exec() {
    // A copy: the answerer may replace itself while it runs.
    const ExecAnswerer answerer = findExecAnswerer();
    if (!answerer) {
        return QDialog::exec();
    }
    const int answer = answerer(*this);
    setResult(answer);
    return answer;
}

void CFramelessDialog::setDialogSize(int width, int height) {
    setFixedSize(width + 2 * kShadowMargin, height + 2 * kShadowMargin);
}

void CFramelessDialog::setTitleSize(const QSize& size) {
    m_frame.setTitleSize(size);
    update();
}

void CFramelessDialog::setTitleColor(const QColor& color) {
    m_frame.setTitleColor(color);
    update();
}

void CFramelessDialog::setBodyColor(const QColor& color) {
    m_frame.setBodyColor(color);
    update();
}

void CFramelessDialog::setShadowImage(const QString& path) {
    m_frame.setShadowImage(path);
    update();
}

void CFramelessDialog::mousePressEvent(QMouseEvent* event) {
    m_frame.press(*event);
    QDialog::mousePressEvent(event);
}

void CFramelessDialog::mouseMoveEvent(QMouseEvent* event) {
    m_frame.move(*event);
    QDialog::mouseMoveEvent(event);
}

void CFramelessDialog::mouseReleaseEvent(QMouseEvent* event) {
    m_frame.release();
    QDialog::mouseReleaseEvent(event);
}

void CFramelessDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_frame.paint(painter);
}

void CFramelessDialog::resizeEvent(QResizeEvent* event) {
    m_frame.updateShape();
    QDialog::resizeEvent(event);
}
