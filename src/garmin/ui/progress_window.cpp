#include "garmin/ui/progress_window.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

namespace garmin::ui {

namespace {
constexpr int kWidth = 501;
constexpr int kHeight = 91;
constexpr int kLabelMargin = 35;  // the label leaves room for the "X" button
}  // namespace

TfmProgress::TfmProgress(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("TfmProgress");
    setFixedSize(kWidth, kHeight);
    auto* panel = new QFrame(this);
    panel->setObjectName("Panel");
    panel->setGeometry(0, 0, kWidth, kHeight);
    panel->setStyleSheet("#Panel { background-color: #A6CAF0; }");  // sky blue
    label_ = new QLabel(panel);
    label_->setObjectName("Label1");
    QFont bold = label_->font();
    bold.setBold(true);
    bold.setPixelSize(13);
    label_->setFont(bold);
    label_->setGeometry(8, 8, kWidth - kLabelMargin, 24);
    abort_ = new QPushButton("Abort", panel);
    abort_->setObjectName("BitBtn1");
    abort_->setGeometry(8, kHeight - 34, 90, 26);
    auto* close = new QPushButton("X", panel);
    close->setObjectName("Button1");
    close->setGeometry(kWidth - 26, 4, 22, 22);
    connect(abort_, &QPushButton::clicked, this, [this] {
        if (onAbort) onAbort();
    });
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

void TfmProgress::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && onAbort) {
        onAbort();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfmProgress::ShowText(const std::string& text) { label_->setText(QString::fromStdString(text)); }

void TfmProgress::showCentred(const std::string& abortCaption) {
    abort_->setText(QString::fromStdString(abortCaption));
    label_->setText("Communicatie bezig...");
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
    }
    show();
}

}  // namespace garmin::ui
