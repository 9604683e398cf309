#pragma once
// The "Plotting points" page: Image1 showing the plot canvas, the "Save
// image" button, the maximum height field and the five check boxes. The
// tree's context menu runs the four plot commands through runCommand().

#include <QElapsedTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/operations.h"
#include "app/workspace.h"
#include "host/qt/qt_canvas.h"
#include "plot/plot_canvas.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace plot::ui {

// Image1: paints the canvas and reports its size changes.
class ImageView : public QWidget {
public:
    ImageView(const host::QtCanvas& canvas, QWidget* parent);
    std::function<void(int width, int height)> resized;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    const host::QtCanvas& canvas_;
};

class PlotPage : public QWidget {
public:
    enum class Command { Points, TimeWay, TimeHeight, TimeSpeed };

    // With no operations given, the page keeps its own.
    explicit PlotPage(app::Workspace& ws, QWidget* parent = nullptr);
    ~PlotPage() override;

    // The four commands of the tree's context menu, for the focused node.
    // Failures and message 20 are shown through the host's prompts.
    core::Result runCommand(Command command);
    void SpeedButton18Click();

    // Brings the page to the front when a command starts.
    std::function<void()> showPage;
    // The simulation page's compass picture, which the point plot updates too.
    void setCompas(host::Canvas* compas, host::Rgb background) {
        compas_ = compas;
        compasBackground_ = background;
    }

    const host::QtCanvas& canvas() const { return canvas_; }
    const PlotControls& controls() const { return controls_; }

private:
    void build();
    void readControls();
    void showControls();
    void resizeCanvas(int width, int height);
    void pause(int ms);
    void repaintThrottled();

    app::Workspace& ws_;
    PlotControls controls_;
    host::QtCanvas canvas_{1, 1};
    host::QtCanvasFactory canvases_;
    host::Canvas* compas_ = nullptr;
    host::Rgb compasBackground_{240, 240, 240};
    QElapsedTimer lastRepaint_;

    ImageView* image_ = nullptr;
    QToolButton* save_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QCheckBox* showHeight_ = nullptr;
    QCheckBox* heightColor_ = nullptr;
    QCheckBox* connect_ = nullptr;
    QCheckBox* showNames_ = nullptr;
    QCheckBox* slow_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
};

}  // namespace plot::ui
