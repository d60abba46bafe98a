#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSet>
#include <QString>
#include <QWidget>

class QNetworkAccessManager;
class QNetworkReply;

// A slippy map (Web Mercator raster tiles) with one pin. Tiles load in the background;
// until they arrive, or when they cannot, a grid, the pin and the coordinates are drawn.
class PKMapView : public QWidget {
    Q_OBJECT
  public:
    static constexpr double kDefaultSpanLat = 0.1255;
    static constexpr double kDefaultSpanLon = 0.234;
    static constexpr int kTileSize = 256;
    static constexpr int kMaxZoom = 19;

    explicit PKMapView(QWidget *parent = nullptr);
    ~PKMapView() override;

    // PHOTOKESTRY_TILE_URL, {z}, {x}, {y} filled; empty when unset, and then no tile is
    // asked for: the map shows its grid and pin only.
    static QString tileUrlTemplate();
    static QString defaultTileUrlTemplate();
    static QColor pinColor();

    // Centres the map and picks the closest zoom at which the whole span is visible.
    void setRegion(double centerLat, double centerLon, double spanLat = kDefaultSpanLat,
                   double spanLon = kDefaultSpanLon);
    void setPin(double lat, double lon);
    // Centres the map on one position at the default span and pins it there.
    void showPosition(double lat, double lon);
    void clearPin();
    bool hasPin() const { return m_hasPin; }
    // Pins that stay, however often the region or the one pin moves.
    void addAnnotation(double lat, double lon);
    int annotationCount() const { return int(m_annotations.size()); }

    double centerLatitude() const { return m_centerLat; }
    double centerLongitude() const { return m_centerLon; }
    int zoomLevel() const { return m_zoom; }
    QPointF pointForCoordinate(double lat, double lon) const;

    // The coordinates drawn over the map by the last paint that lacked tiles; "" when
    // the last paint had every tile it needed.
    QString fallbackText() const { return m_fallbackText; }
    // The credit line: PHOTOKESTRY_TILE_CREDIT when set, else "© OpenStreetMap contributors"
    // for the default server, else "".
    QString attributionText() const;
    // Where the last paint drew the coordinates and the credit line; empty when it drew none.
    // The coordinates never cover the credit line: beside it when both fit, else above it.
    QRect fallbackTextRect() const { return m_fallbackRect; }
    QRect attributionRect() const { return m_attributionRect; }
    int pendingTileCount() const { return int(m_pending.size()); }

    QSize sizeHint() const override { return QSize(400, 300); }

  protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    void chooseZoom();
    QPointF worldPixel(double lat, double lon, int zoom) const;
    QString coordinateText() const;
    void requestTile(int z, int x, int y);
    void tileFinished(QNetworkReply *reply, const QString &key);
    static QString tileKey(int z, int x, int y);

    QNetworkAccessManager *m_network = nullptr;
    QCache<QString, QImage> m_tiles;
    QSet<QString> m_pending;
    QSet<QString> m_failed;
    QString m_template;
    double m_centerLat = 0.0;
    double m_centerLon = 0.0;
    double m_spanLat = kDefaultSpanLat;
    double m_spanLon = kDefaultSpanLon;
    int m_zoom = 2;
    bool m_hasPin = false;
    double m_pinLat = 0.0;
    double m_pinLon = 0.0;
    QList<QPointF> m_annotations; // latitude, longitude
    QString m_fallbackText;
    QRect m_fallbackRect;
    QRect m_attributionRect;
};
