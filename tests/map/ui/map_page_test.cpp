// The map page in the real window, driven as a user drives it: the Map tab
// clicked, the wheel turned, the map dragged, keys pressed, nodes clicked
// in the tree. Tiles come over HTTP from a tile server on 127.0.0.1 that
// the test runs; it draws each tile in a colour of its own and counts the
// requests and connections it sees.

#include "map/ui/map_page.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <filesystem>

#include "../../app/ui/real_window.h"
#include "map/map_picture.h"

using walk::RealWindow;
using walk::waitFor;

namespace {

// Each tile a plain colour that tells it from its neighbours.
QColor tileColour(int z, int x, int y) { return QColor(40 + (x * 37 + z * 11) % 180, 40 + (y * 53) % 180, 90); }

class TileServer {
public:
    TileServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                maxOpen = std::max(maxOpen, ++open_);
                QObject::connect(s, &QTcpSocket::disconnected, s, [this, s] {
                    --open_;
                    s->deleteLater();
                });
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { read(s); });
            }
        });
    }
    int port() const { return server_.serverPort(); }
    std::string urlTemplate() const { return "http://127.0.0.1:" + std::to_string(port()) + "/{z}/{x}/{y}.png"; }

    int requests = 0;
    int maxOpen = 0;
    QStringList userAgents;

private:
    void read(QTcpSocket* s) {
        QByteArray& buffer = buffers_[s];
        buffer += s->readAll();
        int end;
        while ((end = buffer.indexOf("\r\n\r\n")) >= 0) {
            const QByteArray head = buffer.left(end);
            buffer.remove(0, end + 4);
            ++requests;
            for (const QByteArray& line : head.split('\n'))
                if (line.toLower().startsWith("user-agent:")) userAgents << QString::fromLatin1(line.mid(11)).trimmed();
            const QList<QByteArray> path = head.split(' ').value(1).split('/');  // "", z, x, "y.png"
            QImage tile(256, 256, QImage::Format_RGB32);
            tile.fill(tileColour(path.value(1).toInt(), path.value(2).toInt(), path.value(3).split('.')[0].toInt()));
            QByteArray png;
            QBuffer out(&png);
            out.open(QIODevice::WriteOnly);
            tile.save(&out, "PNG");
            // A moment's delay, as a real server has, so a client in a
            // hurry would open more connections meanwhile.
            QPointer<QTcpSocket> socket(s);
            QTimer::singleShot(15, s, [socket, png] {
                if (!socket) return;
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: " +
                              QByteArray::number(png.size()) + "\r\nConnection: keep-alive\r\n\r\n" + png);
            });
        }
    }

    QTcpServer server_;
    std::map<QTcpSocket*, QByteArray> buffers_;
    int open_ = 0;
};

// A two-point track climbing from 10 to 50 m, and a waypoint to the north-east of it.
const char* const kGpx = R"(<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
  <wpt lat="51.95" lon="6.10"><name>Far</name></wpt>
  <trk><name>line</name><trkseg>
    <trkpt lat="51.80" lon="5.80"><ele>10</ele></trkpt>
    <trkpt lat="51.86" lon="5.92"><ele>50</ele></trkpt>
  </trkseg></trk>
</gpx>
)";

std::string settings(const std::string& tiles) {
    return "[Languages]\nCurrentLanguage=2\n[Map]\nTileUrl=" + tiles + "\n";
}

struct MapWindow {
    TempDir files;
    RealWindow w;
    map::ui::MapPage* page;

    // `cachedTiles`: the tile cache an earlier run left, if any.
    explicit MapWindow(const std::string& tiles, const std::string& cachedTiles = {})
        : w(files.write("line.gpx", kGpx), settings(tiles),
            [&cachedTiles](const std::string& home) {
                if (!cachedTiles.empty())
                    std::filesystem::copy(cachedTiles, home + "/tiles", std::filesystem::copy_options::recursive);
            }),
          page(w.window->mapPage()) {}

    // A click on the Map tab, as a user opens the page.
    void openMap() {
        auto* tabs = w.find<QTabWidget>("PageControl1");
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                          tabs->tabBar()->tabRect(app::ui::MainWindow::kMapPage).center());
        ASSERT_EQ(tabs->currentWidget(), page);
        ASSERT_TRUE(waitFor([this] { return page->isVisible() && page->view().width() == page->width(); }));
    }
    bool allTilesShown() const {
        if (!page->tiles()) return false;
        for (const map::PlacedTile& t : page->view().tiles())
            if (!page->tiles()->image(t.tile)) return false;
        return true;
    }
    QImage picture() {
        page->repaint();
        return page->canvas().image();
    }
    QPointF screenOf(map::WorldPoint p) const { return {page->view().screenX(p.x), page->view().screenY(p.y)}; }
    map::WorldPoint trackMiddle() const {
        map::WorldPoint a = map::Project(51.80, 5.80), b = map::Project(51.86, 5.92);
        return {(a.x + b.x) / 2, (a.y + b.y) / 2};
    }
    QColor at(const QImage& image, QPointF p) const { return image.pixelColor(qRound(p.x()), qRound(p.y())); }
    static int count(const QImage& image, host::Rgb c, QRect area = {}) {
        if (area.isNull()) area = image.rect();
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixelColor(x, y) == QColor(c.r, c.g, c.b)) ++n;
        return n;
    }
};

// The lowest altitude's colour on the plot's scale: the track's first segment.
const QColor kLowest(0, 0, 255);

TEST(MapPage, TilesComePoliteThenFromTheCacheAndTheMapFollowsWheelDragAndKeys) {
    TileServer server;
    ASSERT_GT(server.port(), 0);
    TempDir kept;
    {
        MapWindow m(server.urlTemplate());
        // The opened file is on the map without a click.
        EXPECT_EQ(m.w.find<QTabWidget>("PageControl1")->currentWidget(), m.page);
        m.openMap();
        ASSERT_TRUE(waitFor([&] { return m.allTilesShown(); }, 10000)) << server.requests << " requests";
        QImage image = m.picture();

        // The tile in the middle shows its own colour (the track crosses a few of its pixels).
        const map::PlacedTile middle = m.page->view().tiles().front();
        const QRect area = QRect(middle.left, middle.top, 256, 256).intersected(image.rect());
        const QColor own = tileColour(middle.tile.zoom, middle.tile.x, middle.tile.y);
        EXPECT_GT(MapWindow::count(image, {uint8_t(own.red()), uint8_t(own.green()), uint8_t(own.blue())}, area),
                  area.width() * area.height() * 9 / 10);
        EXPECT_EQ(m.at(image, m.screenOf(m.trackMiddle())), kLowest);
        // The credit stands on white at the bottom right; no tile is white.
        EXPECT_GT(MapWindow::count(image, map::colours::kWhite, QRect(image.width() - 60, image.height() - 14, 56, 10)),
                  0);

        // The wheel zooms in one level round the pointer: what was under it stays there.
        const QPointF pointer(image.width() / 4.0, image.height() / 3.0);
        const map::WorldPoint under = m.page->view().worldAt(pointer.x(), pointer.y());
        const int zoom = m.page->view().zoom();
        QWheelEvent wheel(pointer, m.page->mapToGlobal(pointer), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(m.page, &wheel);
        EXPECT_EQ(m.page->view().zoom(), zoom + 1);
        EXPECT_NEAR(m.screenOf(under).x(), pointer.x(), 0.5);
        EXPECT_NEAR(m.screenOf(under).y(), pointer.y(), 0.5);
        ASSERT_TRUE(waitFor([&] { return m.allTilesShown(); }, 10000));

        // A drag moves the map with the pointer.
        const QPoint from(image.width() / 2, image.height() / 2), to = from + QPoint(40, 25);
        const map::WorldPoint grabbed = m.page->view().worldAt(from.x(), from.y());
        QTest::mousePress(m.page, Qt::LeftButton, {}, from);
        QTest::mouseMove(m.page, from + QPoint(20, 10));
        QTest::mouseMove(m.page, to);
        QTest::mouseRelease(m.page, Qt::LeftButton, {}, to);
        EXPECT_NEAR(m.screenOf(grabbed).x(), to.x(), 0.5);
        EXPECT_NEAR(m.screenOf(grabbed).y(), to.y(), 0.5);

        // + and - zoom round the middle.
        QTest::keyClick(m.page, Qt::Key_Plus);
        EXPECT_EQ(m.page->view().zoom(), zoom + 2);
        QTest::keyClick(m.page, Qt::Key_Minus);
        EXPECT_EQ(m.page->view().zoom(), zoom + 1);
        ASSERT_TRUE(waitFor([&] { return m.allTilesShown(); }, 10000));

        // The usage policy: two connections at most, and a User-Agent naming us.
        EXPECT_GE(server.requests, 8);
        EXPECT_LE(server.maxOpen, 2);
        EXPECT_EQ(server.userAgents.size(), server.requests);
        for (const QString& agent : server.userAgents) EXPECT_EQ(agent, "Pathkeep/4.03");
        // The cache this user's next run will find.
        std::filesystem::copy(m.w.ws->paths.tileCacheDir, kept.file("tiles"), std::filesystem::copy_options::recursive);
    }
    // The next run shows the same place from the cache, asking nothing.
    const int requests = server.requests;
    MapWindow again(server.urlTemplate(), kept.file("tiles"));
    again.openMap();
    ASSERT_TRUE(waitFor([&] { return again.allTilesShown(); }, 10000));
    EXPECT_EQ(server.requests, requests);
}

TEST(MapPage, WithoutTheServerTheGridShowsAndTheDocumentStillDraws) {
    int deadPort;
    {
        QTcpServer closed;  // a port nobody listens on any more
        closed.listen(QHostAddress::LocalHost, 0);
        deadPort = closed.serverPort();
    }
    MapWindow m("http://127.0.0.1:" + std::to_string(deadPort) + "/{z}/{x}/{y}.png");
    m.openMap();
    // The document is drawn; then the first tiles were asked for, failed, and the rest wait.
    ASSERT_TRUE(waitFor([&] { return m.at(m.picture(), m.screenOf(m.trackMiddle())) == kLowest; }));
    const map::TileLoader* tiles = m.page->tiles();
    ASSERT_TRUE(waitFor([&] { return tiles->underWay() == 0 && !tiles->settled(); }));
    QImage image = m.picture();
    const int pixels = image.width() * image.height();
    EXPECT_GT(MapWindow::count(image, map::colours::kBackground), pixels / 2);
    EXPECT_GT(MapWindow::count(image, map::colours::kGrid), image.width() + image.height());
    EXPECT_EQ(m.at(image, m.screenOf(m.trackMiddle())), kLowest);

    // The focused node stands out: nothing for a container, the track's halo once it is clicked.
    auto clickNode = [&](core::NodeId node, bool twice) {
        auto* tree = m.w.find<QTreeView>("VST");
        QModelIndex index = m.w.window->treeModel()->indexOf(node);
        for (QModelIndex p = index.parent(); p.isValid(); p = p.parent()) tree->expand(p);
        tree->scrollTo(index);
        QApplication::processEvents();
        const QPoint at = tree->visualRect(index).center();
        // A double click as the system delivers it: press, release, double click, release.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        if (twice) {
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, at);
        }
    };
    const core::NodeId waypoints = m.w.doc().waypoints(), track = m.w.child(m.w.doc().trackpoints(), 0);
    clickNode(waypoints, false);
    EXPECT_EQ(MapWindow::count(m.picture(), map::colours::kHighlight), 0);
    clickNode(track, false);
    EXPECT_GT(MapWindow::count(m.picture(), map::colours::kHighlight), 100);

    // A row selected in the point list is marked: the track's first point.
    m.w.treeMenu(track, "mShowPoints");  // lists the track for editing; the tree waits till it ends
    m.openMap();
    const map::WorldPoint first = map::Project(51.80, 5.80);
    const QPointF besideFirst = m.screenOf(first) - QPointF(7, 0);  // off the line, inside the mark
    EXPECT_NE(m.at(m.picture(), besideFirst), QColor(255, 220, 0));
    auto* lv1 = m.w.find<QTreeView>("LV1");
    ASSERT_GE(lv1->model()->rowCount(), 2);
    lv1->selectionModel()->select(lv1->model()->index(0, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(m.at(m.picture(), besideFirst), QColor(255, 220, 0));
    m.w.find<QPushButton>("btCancel")->click();

    // A double click on the waypoint shows it close up, in the middle.
    clickNode(m.w.child(waypoints, 0), true);
    const map::WorldPoint far = map::Project(51.95, 6.10);
    EXPECT_EQ(m.page->view().zoom(), map::MapView::kFitMaxZoom);
    EXPECT_NEAR(m.screenOf(far).x(), m.page->width() / 2.0, 0.5);
    EXPECT_NEAR(m.screenOf(far).y(), m.page->height() / 2.0, 0.5);

    // The simulation plays the track: the map goes to its first point and marks it.
    m.w.find<QPushButton>("btPlayPoints")->click();
    ASSERT_TRUE(waitFor([&] { return m.w.ws->display.position.has_value(); }, 5000));
    EXPECT_LT(std::abs(m.screenOf(first).x() - m.page->width() / 2.0), 1.0);
    EXPECT_LT(std::abs(m.screenOf(first).y() - m.page->height() / 2.0), 1.0);
    image = m.picture();
    EXPECT_EQ(m.at(image, m.screenOf(first)), QColor(220, 0, 0));
    m.w.find<QAbstractButton>("SpeedButton2")->click();  // stop
}

}  // namespace
