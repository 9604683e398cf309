// route66-planner: a stand-in for a route planner that shows the position
// under the mouse pointer in a small box beside it, for the capture tests.
// The box is drawn from the character tables themselves (ComposeBox), in the
// size and colours of the chosen release, placed where the capture looks:
// its top left corner at the pointer plus (-1, +20) for 2002, (-1, +17) for
// 2004. Every position shown is written to the log file.

#include <QApplication>
#include <QCommandLineParser>
#include <QCursor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include "capture/box_compose.h"
#include "capture/ocr.h"
#include "capture/ocr_table.h"

namespace {

const char* kHelp =
    "A test planner. Position under the pointer, from its place (x, y) in the map window:\n"
    "  latitude  = 52 + (300 - y) / 120   degrees (30 seconds of arc a pixel)\n"
    "  longitude = 4 + (x - 400) / 120    degrees\n"
    "shown as degrees, minutes and seconds to a tenth, Dutch labels unless --english.";

QImage toQImage(const capture::Image& image) {
    QImage out(image.width, image.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) out.setPixel(x, y, 0xFF000000u | image.at(x, y));
    return out;
}

class MapWindow : public QWidget {
public:
    MapWindow(capture::OcrTable table, const capture::OcrProfile& profile, bool dutch, QFile* log)
        : table_(std::move(table)), profile_(profile), dutch_(dutch), log_(log) {
        setWindowTitle("Route 66 \xE2\x80\x93 test");
        resize(800, 600);
        auto* follow = new QTimer(this);
        connect(follow, &QTimer::timeout, this, [this] { followPointer(); });
        follow->start(20);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(235, 225, 190));
        if (!box_.isNull()) p.drawImage(boxAt_, box_);
    }

private:
    void followPointer() {
        QPoint at = mapFromGlobal(QCursor::pos());
        if (!rect().contains(at) || at == last_) return;
        last_ = at;
        double lat = 52 + (300 - at.y()) / 120.0, lon = 4 + (at.x() - 400) / 120.0;
        std::vector<std::string> lines = capture::CoordinateBoxLines(lat, lon, dutch_);
        capture::ComposedBox composed = capture::ComposeBox(table_, profile_, lines);
        box_ = toQImage(composed.image);
        boxAt_ = at + QPoint(profile_.offset.x, profile_.offset.y);
        update();
        if (log_) {
            QTextStream out(log_);
            out << "shown " << QString::number(lat, 'f', 6) << " " << QString::number(lon, 'f', 6);
            for (const std::string& line : lines) out << " | " << QString::fromStdString(line);
            for (const std::string& m : composed.missing) out << " missing " << QString::fromStdString(m);
            out << "\n";
            out.flush();
            log_->flush();
        }
    }

    capture::OcrTable table_;
    const capture::OcrProfile& profile_;
    bool dutch_;
    QFile* log_;
    QImage box_;
    QPoint boxAt_;
    QPoint last_{-1, -1};
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(kHelp);
    parser.addHelpOption();
    QCommandLineOption logOption("log", "Append every position shown to FILE.", "FILE");
    QCommandLineOption versionOption("version", "The release whose box to show: 2002 or 2004.", "YEAR", "2002");
    QCommandLineOption englishOption("english", "English labels (Latitude/Longitude).");
    QCommandLineOption tablesOption("tables", "Folder of ocr2002.ini and ocr2004.ini.", "DIR", PATHKEEP_DATA_DIR);
    QCommandLineOption mapAtOption("map-at", "Put the map window's top left corner at X,Y.", "X,Y", "100,50");
    parser.addOptions({logOption, versionOption, englishOption, tablesOption, mapAtOption});
    parser.process(app);

    QString year = parser.value(versionOption);
    if (year != "2002" && year != "2004") {
        std::fprintf(stderr, "--version takes 2002 or 2004\n");
        return 2;
    }
    const capture::OcrProfile& profile =
        capture::ProfileOf(year == "2002" ? capture::OcrVersion::V2002 : capture::OcrVersion::V2004);
    std::string tablePath = parser.value(tablesOption).toStdString() + "/" + profile.tableFile;
    capture::OcrTable table = capture::ReadOcrTable(tablePath);
    if (table.entryCount() == 0) {
        std::fprintf(stderr, "no character table in %s\n", tablePath.c_str());
        return 2;
    }
    QFile log(parser.value(logOption));
    if (parser.isSet(logOption) && !log.open(QIODevice::Append | QIODevice::Text)) {
        std::fprintf(stderr, "cannot open the log file\n");
        return 2;
    }
    MapWindow map(std::move(table), profile, !parser.isSet(englishOption), parser.isSet(logOption) ? &log : nullptr);
    QStringList xy = parser.value(mapAtOption).split(',');
    map.move(xy.value(0).toInt(), xy.value(1).toInt());
    map.show();
    if (log.isOpen()) {
        log.write("ready\n");
        log.flush();
    }
    return app.exec();
}
