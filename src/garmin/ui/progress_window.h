#pragma once
// TfmProgress: the small window that shows what the Garmin link is doing,
// with an Abort button.

#include <QWidget>
#include <functional>
#include <string>

class QLabel;
class QPushButton;

namespace garmin::ui {

class TfmProgress : public QWidget {
public:
    explicit TfmProgress(QWidget* parent = nullptr);
    void ShowText(const std::string& text);
    // Shows the window centred on the screen's work area with the starting texts.
    void showCentred(const std::string& abortCaption);
    std::function<void()> onAbort;  // BitBtn1 or Escape: the Garmin window's "Abort transfer"

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* label_;
    QPushButton* abort_;
};

}  // namespace garmin::ui
