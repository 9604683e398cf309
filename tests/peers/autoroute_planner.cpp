// autoroute-planner: a stand-in for a route planner with a location sensor,
// for the capture tests. A map window titled "Microsoft AutoRoute – test",
// a separate "Location sensor" window whose labels follow the pointer, and a
// Find dialog (Ctrl+F) that drops a pushpin on the second Return. Every key
// the program receives and every pushpin go to the log file.

#include <QApplication>
#include <QCommandLineParser>
#include <QCursor>
#include <QDialog>
#include <QFile>
#include <QGridLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const char* kHelp =
    "A test planner. Position under the pointer, from its place (x, y) in the map window:\n"
    "  latitude  = (200 - y) / 4   degrees, North when positive, else South\n"
    "  longitude = (x - 300) / 8   degrees, East when positive, else West\n"
    "shown with up to 5 decimals, trailing zeros dropped (\"52.08675\xC2\xB0 North\").";

QFile* g_log = nullptr;

void logLine(const QString& line) {
    if (!g_log) return;
    QTextStream out(g_log);
    out << line << "\n";
    out.flush();
    g_log->flush();
}

QString degrees(double value, const char* positive, const char* negative, bool comma) {
    QString number = QString::number(std::fabs(value), 'f', 5);
    while (number.endsWith('0')) number.chop(1);
    if (number.endsWith('.')) number.chop(1);
    if (comma) number.replace('.', ',');
    return number + QString::fromUtf8("\xC2\xB0 ") + (value >= 0 ? positive : negative);
}

// Logs every key once, as the window receives it.
class KeyLogger : public QObject {
protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && object->isWindowType()) {
            auto* k = static_cast<QKeyEvent*>(event);
            if (k->key() != Qt::Key_Control && k->key() != Qt::Key_Alt && k->key() != Qt::Key_Shift)
                logLine("key " + QKeySequence(k->keyCombination()).toString(QKeySequence::PortableText));
        }
        return false;
    }
};

class FindDialog : public QDialog {
public:
    explicit FindDialog(QWidget* parent, std::function<void(QString, QString)> pushpin)
        : QDialog(parent), pushpin_(std::move(pushpin)) {
        setWindowTitle("Find");
        auto* grid = new QGridLayout(this);
        what_ = new QLineEdit(this);
        region_ = new QLineEdit("Europe", this);
        lat_ = new QLineEdit(this);
        lat_->setObjectName("latitude");
        lon_ = new QLineEdit(this);
        lon_->setObjectName("longitude");
        grid->addWidget(new QLabel("What:"), 0, 0);
        grid->addWidget(what_, 0, 1);
        grid->addWidget(new QLabel("Region:"), 1, 0);
        grid->addWidget(region_, 1, 1);
        grid->addWidget(new QLabel("Latitude:"), 2, 0);
        grid->addWidget(lat_, 2, 1);
        grid->addWidget(new QLabel("Longitude:"), 3, 0);
        grid->addWidget(lon_, 3, 1);
        setTabOrder(what_, region_);
        setTabOrder(region_, lat_);
        setTabOrder(lat_, lon_);
        what_->setFocus();
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            // The first Return finds the place, the second drops the pushpin.
            if (++returns_ == 2) {
                pushpin_(lat_->text(), lon_->text());
                returns_ = 0;
            }
            return;
        }
        QDialog::keyPressEvent(e);
    }
    bool event(QEvent* e) override {
        // Tab moves on with Ctrl held too, as in the planner's dialogs.
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Tab) {
            focusNextChild();
            return true;
        }
        return QDialog::event(e);
    }
    void closeEvent(QCloseEvent* e) override {
        logLine("find closed");
        QDialog::closeEvent(e);
    }

private:
    std::function<void(QString, QString)> pushpin_;
    QLineEdit *what_, *region_, *lat_, *lon_;
    int returns_ = 0;
};

class SensorWindow : public QWidget {
public:
    SensorWindow() {
        setWindowTitle("Location sensor");
        auto* grid = new QGridLayout(this);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(0);
        auto* latLabel = new QLabel("Latitude:");
        auto* lonLabel = new QLabel("Longitude:");
        lat_ = new QLabel;
        lon_ = new QLabel;
        for (QLabel* l : {latLabel, lonLabel}) l->setFixedWidth(100);
        for (QLabel* l : {lat_, lon_}) l->setMinimumWidth(150);
        grid->addWidget(latLabel, 0, 0);
        grid->addWidget(lat_, 0, 1);
        grid->addWidget(lonLabel, 1, 0);
        grid->addWidget(lon_, 1, 1);
        for (QLabel* l : {latLabel, lonLabel, lat_, lon_}) l->setFixedHeight(20);
        // Below the labels the window shows nothing of its own.
        grid->setRowStretch(2, 1);
        setFixedSize(250, 70);
    }
    void setValues(const QString& lat, const QString& lon) {
        if (lat_->text() != lat) lat_->setText(lat);
        if (lon_->text() != lon) lon_->setText(lon);
    }

private:
    QLabel *lat_, *lon_;
};

class MapWindow : public QWidget {
public:
    MapWindow(SensorWindow* sensor, bool comma) : sensor_(sensor), comma_(comma) {
        setWindowTitle(QString::fromUtf8("Microsoft AutoRoute \xE2\x80\x93 test"));
        resize(600, 400);
        auto* follow = new QTimer(this);
        connect(follow, &QTimer::timeout, this, [this] { followPointer(); });
        follow->start(20);
    }
    void addPushpin(const QString& lat, const QString& lon) {
        logLine("pushpin " + lat + " " + lon);
        pins_.append(lat + " " + lon);
        update();
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_F && (e->modifiers() & Qt::ControlModifier)) {
            if (!find_) find_ = new FindDialog(this, [this](QString a, QString b) { addPushpin(a, b); });
            find_->show();
            find_->raise();
            find_->activateWindow();
            return;
        }
        // Alt+T opens the tools menu; L there shows the location sensor.
        if (e->key() == Qt::Key_T && (e->modifiers() & Qt::AltModifier)) {
            toolsOpen_ = true;
            return;
        }
        if (toolsOpen_ && e->key() == Qt::Key_L) {
            toolsOpen_ = false;
            logLine("sensor opened");
            sensor_->show();
            return;
        }
        toolsOpen_ = false;
        QWidget::keyPressEvent(e);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(200, 230, 200));
        p.drawText(10, 20, QString("%1 pushpins").arg(pins_.size()));
    }

private:
    void followPointer() {
        QPoint at = mapFromGlobal(QCursor::pos());
        if (!rect().contains(at) || at == last_) return;
        last_ = at;
        double lat = (200 - at.y()) / 4.0, lon = (at.x() - 300) / 8.0;
        sensor_->setValues(degrees(lat, "North", "South", comma_), degrees(lon, "East", "West", comma_));
    }

    SensorWindow* sensor_;
    FindDialog* find_ = nullptr;
    bool comma_;
    bool toolsOpen_ = false;
    QPoint last_{-1, -1};
    QStringList pins_;
};

}  // namespace

int main(int argc, char** argv) {
    // The sensor's labels are read through the accessibility bus.
    qputenv("QT_ACCESSIBILITY", "1");
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(kHelp);
    parser.addHelpOption();
    QCommandLineOption logOption("log", "Append keys and pushpins to FILE.", "FILE");
    QCommandLineOption commaOption("comma", "Show decimal commas.");
    QCommandLineOption noSensorOption("no-sensor", "Start with the location sensor closed (Alt+T, L opens it).");
    QCommandLineOption mapAtOption("map-at", "Put the map window's top left corner at X,Y.", "X,Y", "100,50");
    QCommandLineOption sensorAtOption("sensor-at", "Put the sensor window at X,Y.", "X,Y", "750,80");
    parser.addOptions({logOption, commaOption, noSensorOption, mapAtOption, sensorAtOption});
    parser.process(app);

    QFile log(parser.value(logOption));
    if (parser.isSet(logOption)) {
        if (!log.open(QIODevice::Append | QIODevice::Text)) {
            std::fprintf(stderr, "cannot open the log file\n");
            return 2;
        }
        g_log = &log;
    }
    auto at = [&parser](const QCommandLineOption& o) {
        QStringList xy = parser.value(o).split(',');
        return QPoint(xy.value(0).toInt(), xy.value(1).toInt());
    };
    KeyLogger keys;
    app.installEventFilter(&keys);
    SensorWindow sensor;
    MapWindow map(&sensor, parser.isSet(commaOption));
    map.move(at(mapAtOption));
    sensor.move(at(sensorAtOption));
    map.show();
    if (!parser.isSet(noSensorOption)) sensor.show();
    logLine("ready");
    return app.exec();
}
