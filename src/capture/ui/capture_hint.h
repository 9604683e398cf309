#pragma once
// TCaptureHint: a borderless dark-blue bar at the top of the screen that
// tells the user which keys capture a position while a capture window is
// up. Its text blinks white and yellow. Shared by both capture windows.

#include <QColor>
#include <QRect>
#include <QWidget>

class QLabel;
class QTimer;

namespace capture::ui {

class TCaptureHint : public QWidget {
public:
    static constexpr int kWidth = 533;
    static constexpr int kHeight = 26;
    static constexpr int kBlinkMs = 500;

    explicit TCaptureHint(QWidget* parent = nullptr);

    // Sets the text and the place, centred horizontally at the top edge of
    // the work area; a window that only shows and hides the hint calls this
    // once. The text blinks while the hint is shown.
    void prepare(const QString& text, const QRect& workArea);
    void showHint(const QString& text, const QRect& workArea);
    void hideHint() { hide(); }
    QColor textColour() const { return colour_; }
    QString text() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setColour(const QColor& colour);

    QLabel* label_;
    QTimer* blink_;
    QColor colour_ = Qt::white;
};

}  // namespace capture::ui
