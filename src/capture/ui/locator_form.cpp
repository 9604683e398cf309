#include "capture/ui/locator_form.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "capture/ui/capture_hint.h"

namespace capture::ui {

namespace {

constexpr int kMsgCaptureHint = 28;  // "To copy GPS co-ordinates use: ..."

QLabel* label(QWidget* parent, const char* name, const QString& text = {}) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const char* text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    // Keys belong to the capture, not to a default button.
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

}  // namespace

TLocatorForm::TLocatorForm(AutoRouteEnv env, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), desktop_(env.desktop) {
    setObjectName("LocatorForm");
    setWindowTitle("AutoRoute");
    // At least as narrow as the planner's sensor window; wider when a
    // language's captions need it, never cut.
    setMinimumWidth(kWidth);
    if (!env.foregroundSelf) env.foregroundSelf = [this] { foreground(); };
    hintText_ = env.message(kMsgCaptureHint);
    ownHint_ = std::make_unique<TCaptureHint>();
    hint_ = ownHint_.get();
    capture_ = std::make_unique<AutoRouteCapture>(std::move(env));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    layout->addWidget(label(this, "Label5", "Captured co-ordinates"));
    latitude_ = label(this, "Label1");
    longitude_ = label(this, "Label2");
    layout->addWidget(latitude_);
    layout->addWidget(longitude_);

    QPushButton* ready = button(this, "BitBtn1", "Ready");
    ready->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    layout->addWidget(ready);
    QPushButton* deleteLast = button(this, "SpeedButton1", "Erase last point");
    QPushButton* deleteAll = button(this, "SpeedButton2", "Erase all");
    layout->addWidget(deleteLast);
    layout->addWidget(deleteAll);

    sendRmc_ = new QCheckBox("Transmit as NMEA RMC", this);
    sendRmc_->setObjectName("CheckBox1");
    pushpins_ = new QCheckBox("Create Pushpins", this);
    pushpins_->setObjectName("CheckBox2");
    for (QCheckBox* c : {sendRmc_, pushpins_}) {
        c->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(c);
    }
    position_ = label(this, "Label3");
    distance_ = label(this, "Label4");
    layout->addWidget(position_);
    layout->addWidget(distance_);
    lines_ = new QPlainTextEdit(this);
    lines_->setObjectName("Memo1");
    lines_->setReadOnly(true);
    lines_->setFocusPolicy(Qt::NoFocus);
    lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
    lines_->setMinimumHeight(160);
    layout->addWidget(lines_, 1);
    for (QLabel* l : {latitude_, longitude_, position_, distance_}) l->setMinimumWidth(0);

    connect(ready, &QPushButton::clicked, this, [this] {
        capture_->BitBtn1Click();
        accept();
    });
    connect(deleteLast, &QPushButton::clicked, this, [this] { capture_->SpeedButton1Click(); });
    connect(deleteAll, &QPushButton::clicked, this, [this] { capture_->SpeedButton2Click(); });
    connect(sendRmc_, &QCheckBox::toggled, this, [this](bool on) { capture_->sendAsRmc = on; });
    connect(pushpins_, &QCheckBox::toggled, this, [this](bool on) { capture_->makePushpins = on; });
    connections_.push_back(capture_->changed.scoped([this] { sync(); }));
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
    resize(kWidth, sizeHint().height());
}

TLocatorForm::~TLocatorForm() = default;

void TLocatorForm::sync() {
    auto set = [](QLabel* l, const std::string& text) {
        QString t = QString::fromStdString(text);
        if (l->text() != t) l->setText(t);
    };
    set(latitude_, capture_->latitudeLabel);
    set(longitude_, capture_->longitudeLabel);
    set(position_, capture_->positionText);
    set(distance_, capture_->distanceText);
    QStringList lines;
    for (const std::string& line : capture_->lines) lines << QString::fromStdString(line);
    QString text = lines.join('\n');
    if (lines_->toPlainText() != text) {
        lines_->setPlainText(text);
        lines_->moveCursor(QTextCursor::End);
    }
    QSignalBlocker a(sendRmc_), b(pushpins_);
    sendRmc_->setChecked(capture_->sendAsRmc);
    pushpins_->setChecked(capture_->makePushpins);
}

void TLocatorForm::placeAtBottomLeft() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect work = screen->availableGeometry();
    adjustSize();
    move(work.left(), work.bottom() + 1 - frameGeometry().height());
}

void TLocatorForm::foreground() {
    raise();
    activateWindow();
    // The window manager honours a pager's request where it may refuse the
    // application's own.
    if (desktop_.available()) desktop_.activate(static_cast<WindowId>(winId()));
}

void TLocatorForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    placeAtBottomLeft();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (hint_ == ownHint_.get() && screen)
        hint_->showHint(QString::fromStdString(hintText_), screen->availableGeometry());
    else
        hint_->show();
    // After the window is up: the first look for the sensor may ask a question.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) capture_->FormShow();
    });
}

void TLocatorForm::hideEvent(QHideEvent* event) {
    capture_->FormClose();
    hint_->hideHint();
    QDialog::hideEvent(event);
}

void TLocatorForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        QDialog::keyPressEvent(event);
        return;
    }
    QString text = event->text();
    if (text.size() == 1 && text[0].unicode() >= 0x20 && text[0].unicode() < 0x7f) {
        capture_->FormKeyPress(static_cast<char>(text[0].unicode()));
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TLocatorForm::eventFilter(QObject* watched, QEvent* event) {
    // Every key typed anywhere in the window goes to the capture.
    if (event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace capture::ui
