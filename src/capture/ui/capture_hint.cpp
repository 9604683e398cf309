#include "capture/ui/capture_hint.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

namespace capture::ui {

TCaptureHint::TCaptureHint(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus) {
    setObjectName("CaptureHint");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x00, 0x00, 0x80));
    setPalette(p);
    label_ = new QLabel(this);
    label_->setObjectName("Label1");
    label_->setAlignment(Qt::AlignCenter);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(label_);
    setColour(Qt::white);
    blink_ = new QTimer(this);
    blink_->setObjectName("Timer1");
    blink_->setInterval(kBlinkMs);
    connect(blink_, &QTimer::timeout, this,
            [this] { setColour(colour_ == QColor(Qt::white) ? QColor(Qt::yellow) : QColor(Qt::white)); });
}

void TCaptureHint::setColour(const QColor& colour) {
    colour_ = colour;
    QPalette p = label_->palette();
    p.setColor(QPalette::WindowText, colour);
    label_->setPalette(p);
}

QString TCaptureHint::text() const { return label_->text(); }

void TCaptureHint::prepare(const QString& text, const QRect& workArea) {
    label_->setText(text);
    move(workArea.left() + (workArea.width() - kWidth) / 2, workArea.top());
}

void TCaptureHint::showHint(const QString& text, const QRect& workArea) {
    prepare(text, workArea);
    show();
}

void TCaptureHint::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    setColour(Qt::white);
    blink_->start();
}

void TCaptureHint::hideEvent(QHideEvent* event) {
    blink_->stop();
    QWidget::hideEvent(event);
}

}  // namespace capture::ui
