#include "platform/MapView.h"

#include "support/TestSupport.h"

#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QNetworkProxy>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtMath>
#include <cmath>
#include <memory>

namespace {

const QColor kTileColour(40, 160, 60);

QByteArray tilePng() {
    QImage image(256, 256, QImage::Format_RGB32);
    image.fill(kTileColour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Answers every request with the same cacheable tile and records the paths asked for.
class TileServer {
  public:
    TileServer()
        : m_png(tilePng()), m_server([this](const QByteArray &target) {
              paths << QString::fromUtf8(target);
              return QByteArray("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n"
                                "Cache-Control: public, max-age=86400\r\n"
                                "Last-Modified: Mon, 01 Jan 2024 00:00:00 GMT\r\n"
                                "Connection: close\r\nContent-Length: ") +
                     QByteArray::number(m_png.size()) + "\r\n\r\n" + m_png;
          }) {}
    QByteArray urlTemplate() const {
        return "http://127.0.0.1:" + QByteArray::number(m_server.port()) + "/tiles/{z}/{x}/{y}.png";
    }
    QStringList paths;

  private:
    QByteArray m_png;
    CannedHttpServer m_server;
};

QColor pixelAt(const QPixmap &pixmap, QPointF point) {
    const QImage image = pixmap.toImage();
    const qreal dpr = pixmap.devicePixelRatio();
    return image.pixelColor(int(point.x() * dpr), int(point.y() * dpr));
}

// Paints once, lets every tile request finish, and paints again.
QPixmap settledGrab(PKMapView &view) {
    view.grab();
    EXPECT_TRUE(waitFor([&] { return view.pendingTileCount() == 0; }));
    return view.grab();
}

// The tiles a 400x300 view centred on (lat, lon) covers, worked out on paper.
QSet<QString> expectedTiles(double lat, double lon, int zoom, QSize size) {
    const double world = 256.0 * std::pow(2.0, zoom);
    const double cx = (lon + 180.0) / 360.0 * world;
    const double latRad = qDegreesToRadians(lat);
    const double cy = (1.0 - std::asinh(std::tan(latRad)) / M_PI) / 2.0 * world;
    const double left = cx - size.width() / 2.0, top = cy - size.height() / 2.0;
    QSet<QString> tiles;
    for (int x = int(std::floor(left / 256)); x <= int(std::floor((left + size.width() - 1) / 256));
         ++x)
        for (int y = int(std::floor(top / 256));
             y <= int(std::floor((top + size.height() - 1) / 256)); ++y)
            tiles << QStringLiteral("/tiles/%1/%2/%3.png").arg(zoom).arg(x).arg(y);
    return tiles;
}

constexpr double kLat = 51.503572;
constexpr double kLon = -0.131806;

class MapViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A proxy from the environment must not carry loopback requests away.
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    }
    void TearDown() override {
        qunsetenv("PHOTOKESTRY_TILE_URL");
        qunsetenv("PHOTOKESTRY_TILE_CREDIT");
    }
};

} // namespace

TEST_F(MapViewTest, RegionFitsTheSpanAtTheClosestZoomWithNorthUp) {
    qputenv("PHOTOKESTRY_TILE_URL", "http://127.0.0.1:9/{z}/{x}/{y}.png");
    PKMapView view;
    view.resize(400, 300);
    view.setRegion(kLat, kLon);
    EXPECT_EQ(view.zoomLevel(), 11);

    const QPointF centre = view.pointForCoordinate(kLat, kLon);
    EXPECT_NEAR(centre.x(), 200.0, 1e-6);
    EXPECT_NEAR(centre.y(), 150.0, 1e-6);

    const QPointF northWest = view.pointForCoordinate(kLat + 0.1255 / 2, kLon - 0.234 / 2);
    const QPointF southEast = view.pointForCoordinate(kLat - 0.1255 / 2, kLon + 0.234 / 2);
    EXPECT_LT(northWest.y(), southEast.y());
    EXPECT_LT(northWest.x(), southEast.x());
    EXPECT_GE(northWest.x(), 0.0);
    EXPECT_GE(northWest.y(), 0.0);
    EXPECT_LE(southEast.x(), 400.0);
    EXPECT_LE(southEast.y(), 300.0);
    // One zoom closer doubles the distances; then the span must no longer fit.
    const double w = southEast.x() - northWest.x(), h = southEast.y() - northWest.y();
    EXPECT_TRUE(2 * w > 400.0 || 2 * h > 300.0);

    // A wider view or a smaller span zooms in; the equator sits mid-world at zoom 0.
    view.setRegion(kLat, kLon, 0.01, 0.01);
    EXPECT_GT(view.zoomLevel(), 11);
    view.setRegion(0.0, 0.0, 170.0, 360.0);
    EXPECT_EQ(view.zoomLevel(), 0);
    EXPECT_NEAR(view.pointForCoordinate(0.0, 180.0).x(), 200.0 + 128.0, 1e-6);

    view.setPin(1.0, 2.0);
    EXPECT_TRUE(view.hasPin());
    view.clearPin();
    EXPECT_FALSE(view.hasPin());
}

TEST_F(MapViewTest, AttributionOnlyForTheDefaultTileServer) {
    qunsetenv("PHOTOKESTRY_TILE_URL");
    EXPECT_TRUE(PKMapView::tileUrlTemplate().isEmpty()); // no server is guessed
    qputenv("PHOTOKESTRY_TILE_URL", PKMapView::defaultTileUrlTemplate().toUtf8());
    PKMapView osm;
    EXPECT_EQ(osm.attributionText(), QStringLiteral("© OpenStreetMap contributors"));
    qputenv("PHOTOKESTRY_TILE_URL", "http://127.0.0.1:9/{z}/{x}/{y}.png");
    PKMapView own;
    EXPECT_TRUE(own.attributionText().isEmpty());
}

TEST_F(MapViewTest, TilesCoverTheViewAreCachedAndThePinSitsInTheMiddle) {
    TileServer server;
    qputenv("PHOTOKESTRY_TILE_URL", server.urlTemplate());
    PKMapView view;
    view.resize(400, 300);
    view.setRegion(kLat, kLon);
    view.setPin(kLat, kLon);

    const QPixmap shot = settledGrab(view);
    const QSet<QString> asked(server.paths.begin(), server.paths.end());
    EXPECT_EQ(asked.size(), server.paths.size()) << "a tile was fetched twice";
    EXPECT_EQ(asked, expectedTiles(kLat, kLon, view.zoomLevel(), view.size()));
    EXPECT_TRUE(view.fallbackText().isEmpty());
    EXPECT_EQ(pixelAt(shot, QPointF(200, 150)), PKMapView::pinColor());
    EXPECT_EQ(pixelAt(shot, QPointF(10, 10)), kTileColour);

    const qsizetype before = server.paths.size();
    view.grab();
    view.update();
    QCoreApplication::processEvents();
    EXPECT_EQ(server.paths.size(), before);
    EXPECT_EQ(view.pendingTileCount(), 0);

    // A fresh view finds the tiles on disk and asks the server for nothing.
    PKMapView again;
    again.resize(400, 300);
    again.setRegion(kLat, kLon);
    const QPixmap second = settledGrab(again);
    EXPECT_EQ(server.paths.size(), before);
    EXPECT_EQ(pixelAt(second, QPointF(200, 150)), kTileColour);
    // The disk cache lives in the private test home, never the real one.
    const QString tiles =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/tiles");
    EXPECT_TRUE(tiles.startsWith(testHome())) << tiles.toStdString();
    QDirIterator files(tiles, QDir::Files, QDirIterator::Subdirectories);
    EXPECT_TRUE(files.hasNext());
}

TEST_F(MapViewTest, WithTheServerDownTheGridPinAndCoordinatesStillShow) {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    qputenv("PHOTOKESTRY_TILE_URL",
            "http://127.0.0.1:" + QByteArray::number(closedPort) + "/{z}/{x}/{y}.png");
    PKMapView view;
    view.resize(400, 300);
    view.setRegion(kLat, kLon);
    view.setPin(kLat, kLon);

    const QPixmap shot = settledGrab(view);
    EXPECT_TRUE(view.fallbackText().contains(QStringLiteral("51.503572")));
    EXPECT_TRUE(view.fallbackText().contains(QStringLiteral("-0.131806")));
    EXPECT_EQ(pixelAt(shot, QPointF(200, 150)), PKMapView::pinColor());
    EXPECT_NE(pixelAt(shot, QPointF(10, 10)), kTileColour);
    EXPECT_TRUE(view.attributionText().isEmpty());

    view.clearPin();
    const QPixmap plain = view.grab();
    EXPECT_NE(pixelAt(plain, QPointF(200, 150)), PKMapView::pinColor());
    EXPECT_TRUE(view.fallbackText().contains(QStringLiteral("51.503572")));
}

TEST_F(MapViewTest, OfflineCoordinatesNeverCoverTheCreditLine) {
    // No tile answers (a closed port), and the credit line the server's terms ask for.
    qputenv("PHOTOKESTRY_TILE_URL", "http://127.0.0.1:9/{z}/{x}/{y}.png");
    qputenv("PHOTOKESTRY_TILE_CREDIT", "© OpenStreetMap contributors, tiles by Example Maps");
    PKMapView view;
    view.setRegion(kLat, kLon);
    view.setPin(kLat, kLon);
    EXPECT_FALSE(view.attributionText().isEmpty());
    // The local panel's map (its column less margins, its fixed height), a narrower one and
    // the view's own size.
    for (const QSize size : {QSize(304, 160), QSize(200, 160), QSize(400, 300)}) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()).toStdString());
        view.resize(size);
        const QImage shot = view.grab().toImage();
        ASSERT_FALSE(shot.isNull());
        ASSERT_TRUE(view.fallbackText().contains(QStringLiteral("51.503572")));
        const QRect coordinates = view.fallbackTextRect();
        const QRect credit = view.attributionRect();
        ASSERT_FALSE(coordinates.isEmpty());
        ASSERT_FALSE(credit.isEmpty());
        EXPECT_FALSE(coordinates.intersects(credit));
        EXPECT_TRUE(view.rect().contains(coordinates));
        EXPECT_TRUE(view.rect().contains(credit));
        // Wide enough for the whole text, so nothing of the position is cut.
        const QFontMetrics metrics(view.font());
        EXPECT_GE(coordinates.width(), metrics.horizontalAdvance(view.fallbackText()));
        // The pin stays clear of both.
        const QPoint pin = view.pointForCoordinate(kLat, kLon).toPoint();
        EXPECT_FALSE(coordinates.adjusted(-8, -8, 8, 8).contains(pin));
        EXPECT_EQ(shot.pixelColor(pin * shot.devicePixelRatio()), PKMapView::pinColor());
    }
    qunsetenv("PHOTOKESTRY_TILE_CREDIT");

    // Without a credit line the coordinates sit in the bottom corner.
    PKMapView plain;
    plain.resize(304, 160);
    plain.setRegion(kLat, kLon);
    plain.grab();
    EXPECT_TRUE(plain.attributionRect().isNull());
    EXPECT_EQ(plain.fallbackTextRect().bottomLeft(), plain.rect().bottomLeft());
}
