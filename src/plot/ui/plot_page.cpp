#include "plot/ui/plot_page.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "formats/file_type.h"
#include "plot/time_diagrams.h"
#include "plot/track_plot.h"

namespace plot::ui {

namespace {

constexpr int kRepaintEveryMs = 50;  // while a plot grows

}  // namespace

ImageView::ImageView(const host::QtCanvas& canvas, QWidget* parent) : QWidget(parent), canvas_(canvas) {
    setObjectName("Image1");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawImage(0, 0, canvas_.image());
}

void ImageView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (resized) resized(width(), height());
}

PlotPage::PlotPage(app::Workspace& ws, QWidget* parent) : QWidget(parent), ws_(ws) {
    setObjectName("PlotPage");
    build();
    lastRepaint_.start();
}

PlotPage::~PlotPage() = default;

void PlotPage::build() {
    auto* bar = new QHBoxLayout;
    save_ = new QToolButton(this);
    save_->setObjectName("SpeedButton18");
    save_->setText("Save image");
    bar->addWidget(save_);
    auto* label = new QLabel("maximum height (in meters):", this);
    label->setObjectName("lbMaxHeight");
    bar->addWidget(label);
    edit1_ = new QLineEdit(QString::fromStdString(controls_.edit1), this);
    edit1_->setObjectName("Edit1");
    edit1_->setMaximumWidth(60);
    label->setBuddy(edit1_);
    bar->addWidget(edit1_);
    bar->addStretch(1);
    // The check boxes on a second row, so the page fits beside the tree.
    auto* boxes = new QHBoxLayout;
    auto box = [&](QCheckBox*& b, const char* name, const char* caption, bool checked) {
        b = new QCheckBox(caption, this);
        b->setObjectName(name);
        b->setChecked(checked);
        boxes->addWidget(b);
        QObject::connect(b, &QCheckBox::toggled, this, [this] { readControls(); });
    };
    box(showHeight_, "cbShowHeight", "Print altitude", controls_.cbShowHeight);
    box(heightColor_, "cbHeightColor", "Altitude in colors", controls_.cbHeightColor);
    box(connect_, "cbConnect", "Connect points", controls_.cbConnect);
    box(showNames_, "cbShowNames", "Print names", controls_.cbShowNames);
    box(slow_, "cbSlow", "Plot slowly", controls_.cbSlow);
    boxes->addStretch(1);

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("Memo1");
    memo_->setReadOnly(true);
    memo_->setVisible(false);

    image_ = new ImageView(canvas_, this);
    image_->resized = [this](int w, int h) { resizeCanvas(w, h); };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addLayout(boxes);
    layout->addWidget(image_, 1);
    layout->addWidget(memo_);

    QObject::connect(edit1_, &QLineEdit::textEdited, this, [this] { readControls(); });
    QObject::connect(save_, &QToolButton::clicked, this, [this] { SpeedButton18Click(); });
}

void PlotPage::readControls() {
    controls_.edit1 = edit1_->text().toStdString();
    controls_.cbShowHeight = showHeight_->isChecked();
    controls_.cbHeightColor = heightColor_->isChecked();
    controls_.cbConnect = connect_->isChecked();
    controls_.cbShowNames = showNames_->isChecked();
    controls_.cbSlow = slow_->isChecked();
}

void PlotPage::showControls() {
    if (edit1_->text().toStdString() != controls_.edit1) edit1_->setText(QString::fromStdString(controls_.edit1));
    QStringList lines;
    for (const auto& l : controls_.memo1) lines << QString::fromStdString(l);
    memo_->setPlainText(lines.join('\n'));
}

void PlotPage::resizeCanvas(int width, int height) {
    // A resize makes the picture out of date: a blank canvas of the new size.
    if (ws_.busy()) return;  // the running plot keeps its canvas; the next one takes the new size
    (void)ResizePlot(ws_.document, ws_.plot, controls_, canvas_, width, height, ws_.host.locale());
    showControls();
    image_->update();
}

void PlotPage::pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void PlotPage::repaintThrottled() {
    if (lastRepaint_.elapsed() < kRepaintEveryMs) return;
    lastRepaint_.restart();
    image_->update();
}

core::Result PlotPage::runCommand(Command command) {
    if (ws_.busy()) return core::Result::nothingToDo();
    readControls();
    core::Result r = core::Result::nothingToDo();
    {
        app::Operations::Scope scope(ws_.operations);
        core::PointLoader loader = ws_.loader(&scope.operation());
        PlotData data{ws_.document, loader, ws_.points, ws_.plot, controls_,
                      [this](const std::string& s) { ws_.report(s); }};
        PlotEnv env{canvas_,
                    image_->width(),
                    image_->height(),
                    canvases_,
                    ws_.host.locale(),
                    ws_.host.prompts(),
                    scope.operation(),
                    [this](int n) { return ws_.message(n); },
                    [this](const std::string& s) { ws_.status(s); },
                    [this](int ms) { pause(ms); },
                    {},
                    [this] { repaintThrottled(); },
                    compas_,
                    compasBackground_};
        env.showPage = [this, &env] {
            if (showPage) showPage();
            // The page was hidden and never laid out: the picture takes the
            // size Image1 has in front, or the plot lands on a stale canvas
            // that the next resize wipes.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            if (layout()) layout()->activate();
            env.imageWidth = image_->width();
            env.imageHeight = image_->height();
        };
        switch (command) {
            case Command::Points: r = mPlotpointsClick(data, env); break;
            case Command::TimeWay: r = mPlotTimeWayClick(data, env); break;
            case Command::TimeHeight: r = mPlotTimeHeightClick(data, env); break;
            case Command::TimeSpeed: r = mPlotTimeSpeedClick(data, env); break;
        }
    }
    showControls();
    image_->update();
    // The window changed size while the plot was drawn.
    if (canvas_.width() != image_->width() || canvas_.height() != image_->height())
        resizeCanvas(image_->width(), image_->height());
    if (r.isFailed())
        ws_.host.prompts().show(r.message(), host::Severity::Error);
    else if (r.isNothingToDo() && !r.message().empty())
        ws_.host.prompts().show(r.message(), host::Severity::Information);
    return r;
}

void PlotPage::SpeedButton18Click() {
    auto path = ws_.host.prompts().saveFile("Save image", ws_.currentDirectory, {{"Bitmap file", {"*.bmp"}}});
    if (!path || path->empty()) return;
    std::string file = formats::ReplaceExtension(*path, ".bmp");
    if (std::string error = canvas_.save(file, host::ImageFormat::Bmp); !error.empty())
        ws_.host.prompts().show(file + ": " + error, host::Severity::Error);
}

}  // namespace plot::ui
