#include "capture/ui/ocr_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <filesystem>
#include <fstream>

#include "capture/ui/capture_hint.h"
#include "capture/ui/ocr_table_editor.h"

namespace capture::ui {

namespace {

constexpr int kScrollBarWidth = 16;
constexpr int kExtraWidth = 28;

QImage toQImage(const Image& image) {
    QImage out(std::max(image.width, 1), std::max(image.height, 1), QImage::Format_RGB32);
    out.fill(Qt::white);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) out.setPixel(x, y, 0xFF000000u | image.at(x, y));
    return out;
}

}  // namespace

TOcrForm::TOcrForm(Route66Capture& capture, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), capture_(capture) {
    setObjectName("OcrForm");
    setWindowTitle("OcrForm");
    hint_ = new TCaptureHint(nullptr);

    auto* versionBox = new QGroupBox("Route 66 version:", this);
    versionBox->setObjectName("rgVersion");
    radio2002_ = new QRadioButton("Version 2002", versionBox);
    radio2002_->setObjectName("RadioButton1");
    radio2004_ = new QRadioButton("Version 2004", versionBox);
    radio2004_->setObjectName("RadioButton2");
    auto* versionLayout = new QHBoxLayout(versionBox);
    versionLayout->addWidget(radio2002_);
    versionLayout->addWidget(radio2004_);

    image1_ = new QLabel(this);
    image1_->setObjectName("Image1");
    image2_ = new QLabel(this);
    image2_->setObjectName("Image2");
    hBar_ = new QScrollBar(Qt::Horizontal, this);
    hBar_->setObjectName("ScrollBar1");
    vBar_ = new QScrollBar(Qt::Vertical, this);
    vBar_->setObjectName("ScrollBar2");
    for (QScrollBar* bar : {hBar_, vBar_}) {
        bar->setRange(kOffsetBarMin, kOffsetBarMax);
        bar->setFocusPolicy(Qt::NoFocus);
    }
    hBar_->setValue(capture_.horizontalBar());
    vBar_->setValue(capture_.verticalBar());
    vBar_->setFixedWidth(kScrollBarWidth);

    auto* lineBox = new QWidget(this);
    auto* lineLayout = new QVBoxLayout(lineBox);
    lineLayout->setContentsMargins(0, 0, 0, 0);
    auto* resultLabel = new QLabel("OCR Result:", lineBox);
    resultLabel->setObjectName("lbOcrResult");
    lineLayout->addWidget(resultLabel);
    for (int i = 0; i < kMaxOcrLines; ++i) {
        lines_[i] = new QLineEdit(lineBox);
        lines_[i]->setObjectName(QString("Edit%1").arg(i + 1));
        lines_[i]->setReadOnly(true);
        lines_[i]->setFocusPolicy(Qt::NoFocus);
        lineLayout->addWidget(lines_[i]);
    }
    latitude_ = new QLineEdit(this);
    latitude_->setObjectName("Edit5");
    longitude_ = new QLineEdit(this);
    longitude_->setObjectName("Edit6");
    debug_ = new QCheckBox("Debug", this);
    debug_->setObjectName("CheckBox1");
    saveToFile_ = new QPushButton("SaveToFile", this);
    saveToFile_->setObjectName("Button1");
    saveToFile_->setVisible(false);
    ok_ = new QPushButton("OK", this);
    ok_->setObjectName("btReady");
    ok_->setAutoDefault(false);
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("Memo1");
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setFont(QFont("DejaVu Sans Mono"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(versionBox, 0, 0, 1, 2);
    grid->addWidget(image1_, 1, 0);
    grid->addWidget(vBar_, 1, 1);
    grid->addWidget(hBar_, 2, 0);
    auto* reading = new QHBoxLayout;
    reading->addWidget(lineBox, 1);
    reading->addWidget(image2_);
    grid->addLayout(reading, 3, 0, 1, 2);
    // The caption on its own line: the two co-ordinates need their width.
    auto* capturedLabel = new QLabel("Captured co-ordinates", this);
    capturedLabel->setObjectName("lbCaptured");
    grid->addWidget(capturedLabel, 4, 0, 1, 2);
    auto* fields = new QHBoxLayout;
    const int coordinateWidth = latitude_->fontMetrics().horizontalAdvance("-179.1234567") + 12;
    for (QLineEdit* e : {latitude_, longitude_}) {
        e->setMinimumWidth(coordinateWidth);
        fields->addWidget(e);
    }
    grid->addLayout(fields, 5, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(debug_);
    buttons->addWidget(saveToFile_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    grid->addLayout(buttons, 6, 0, 1, 2);
    grid->addWidget(memo_, 7, 0, 1, 2);

    connect(radio2002_, &QRadioButton::toggled, this, [this](bool on) {
        if (on && capture_.version() != OcrVersion::V2002) capture_.selectVersion(OcrVersion::V2002);
    });
    connect(radio2004_, &QRadioButton::toggled, this, [this](bool on) {
        if (on && capture_.version() != OcrVersion::V2004) capture_.selectVersion(OcrVersion::V2004);
    });
    auto bars = [this] { capture_.setOffsetBars(hBar_->value(), vBar_->value()); };
    connect(hBar_, &QScrollBar::valueChanged, this, bars);
    connect(vBar_, &QScrollBar::valueChanged, this, bars);
    connect(debug_, &QCheckBox::toggled, this, [this](bool on) {
        capture_.debug = on;
        saveToFile_->setVisible(on);
    });
    connect(saveToFile_, &QPushButton::clicked, this, [this] { saveToFile(); });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(latitude_, &QLineEdit::textEdited, this, [this](const QString& t) { capture_.latitudeText = t.toStdString(); });
    connect(longitude_, &QLineEdit::textEdited, this,
            [this](const QString& t) { capture_.longitudeText = t.toStdString(); });

    connections_.push_back(capture_.previewChanged.scoped([this] { showPreview(); }));
    connections_.push_back(capture_.readingChanged.scoped([this] { showReading(); }));
    connections_.push_back(capture_.versionChanged.scoped([this] { applyVersion(); }));

    // Every key typed anywhere in the window is a capture key: the window
    // sees it first, wherever the focus is. The editable co-ordinate fields
    // get their keys as well.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    applyVersion();
}

TOcrForm::~TOcrForm() {
    connections_.clear();
    delete hint_;
}

void TOcrForm::applyVersion() {
    const OcrProfile& p = capture_.profile();
    QSignalBlocker b1(radio2002_), b2(radio2004_);
    radio2002_->setChecked(p.version == OcrVersion::V2002);
    radio2004_->setChecked(p.version == OcrVersion::V2004);
    image1_->setFixedSize(p.width, p.height);
    image2_->setFixedSize(p.width, p.height);
    hBar_->setFixedWidth(p.width);
    resize(kScrollBarWidth + p.width + kExtraWidth, height());
}

void TOcrForm::showPreview() { image1_->setPixmap(QPixmap::fromImage(toQImage(capture_.preview()))); }

void TOcrForm::showReading() {
    image2_->setPixmap(QPixmap::fromImage(toQImage(capture_.reduced())));
    for (int i = 0; i < kMaxOcrLines; ++i)
        lines_[i]->setText(QString::fromStdString(capture_.lines()[static_cast<size_t>(i)]));
    latitude_->setText(QString::fromStdString(capture_.latitudeText));
    longitude_->setText(QString::fromStdString(capture_.longitudeText));
    QStringList memo;
    for (const auto& line : capture_.memoLines()) memo << QString::fromStdString(line);
    memo_->setPlainText(memo.join('\n'));
}

void TOcrForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QRect work = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    move(work.topLeft());
    capture_.show(static_cast<WindowId>(winId()));
    hint_->showHint(QString::fromStdString(capture_.hintText), work);
    showReading();
}

void TOcrForm::done(int result) {
    capture_.close();
    hint_->hideHint();
    QDialog::done(result);
}

bool TOcrForm::captureKey(QKeyEvent* key) {
    QString text = key->text();
    if (text.size() != 1 || text[0].unicode() < 32 || text[0].unicode() >= 127) return false;
    capture_.keyPress(static_cast<char>(text[0].unicode()));
    return true;
}

bool TOcrForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && captureKey(static_cast<QKeyEvent*>(event)))
        return watched != latitude_ && watched != longitude_;
    return QDialog::eventFilter(watched, event);
}

void TOcrForm::keyPressEvent(QKeyEvent* event) {
    if (!captureKey(event)) QDialog::keyPressEvent(event);
}

void TOcrForm::saveToFile() {
    std::vector<std::string> memo = capture_.memoLines();
    if (!memo.empty() && !capture_.ocrDataFile.empty()) {
        std::ofstream out(capture_.ocrDataFile, std::ios::binary | std::ios::trunc);
        for (const auto& line : memo) out << line << "\r\n";
    }
    capture_.previewTimer().stop();
    // Without a table anywhere, the editor starts one beside OcrData.txt.
    std::string table = capture_.tableFile();
    if (table.empty())
        table = (std::filesystem::path(capture_.ocrDataFile).parent_path() / capture_.profile().tableFile).string();
    TOcrTable editor(table, capture_.ocrDataFile, capture_.profile(), this);
    editor.setDump(memo);
    editor.exec();
    capture_.reloadTable();
    capture_.previewTimer().start();
}

bool TOcrForm::run(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& prepare) {
    auto* capture = dynamic_cast<Route66Capture*>(&model);
    if (!capture) return false;
    TOcrForm form(*capture, parent);
    if (prepare) prepare(&form);
    return form.exec() == QDialog::Accepted;
}

}  // namespace capture::ui
