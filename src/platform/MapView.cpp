#include "platform/MapView.h"

#include "platform/core/ReverseGeocoder.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QPainterPath>
#include <QStandardPaths>
#include <QtMath>
#include <cmath>

namespace {

// Mercator is undefined at the poles; tile servers stop at this latitude.
constexpr double kMaxLatitude = 85.05112878;

QString tileCacheDir() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (base.isEmpty()) {
        const QString xdg = qEnvironmentVariable("XDG_CACHE_HOME");
        base = (xdg.isEmpty() ? QDir::homePath() + QStringLiteral("/.cache") : xdg) +
               QStringLiteral("/PhotoKestry");
    }
    return base + QStringLiteral("/tiles");
}

} // namespace

PKMapView::PKMapView(QWidget *parent)
    : QWidget(parent), m_network(new QNetworkAccessManager(this)), m_tiles(256),
      m_template(tileUrlTemplate()) {
    auto *cache = new QNetworkDiskCache(m_network);
    cache->setCacheDirectory(tileCacheDir());
    cache->setMaximumCacheSize(64 * 1024 * 1024);
    m_network->setCache(cache);
    setMinimumSize(64, 48);
}

PKMapView::~PKMapView() {
    // Replies must not call back into a half-destroyed view.
    const auto replies = m_network->findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : replies) {
        reply->disconnect(this);
        reply->abort();
    }
}

QString PKMapView::defaultTileUrlTemplate() {
    return QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png");
}

QString PKMapView::tileUrlTemplate() {
    const QString configured = qEnvironmentVariable("PHOTOKESTRY_TILE_URL").trimmed();
    return configured; // no tile is asked for unless a server is set
}

QColor PKMapView::pinColor() {
    return QColor(224, 48, 30);
}

QString PKMapView::attributionText() const {
    // A configured server names the credit its terms ask for.
    const QString configured = qEnvironmentVariable("PHOTOKESTRY_TILE_CREDIT").trimmed();
    if (!configured.isEmpty() && !m_template.isEmpty())
        return configured;
    if (m_template == defaultTileUrlTemplate())
        return QStringLiteral("© OpenStreetMap contributors");
    return QString();
}

void PKMapView::setRegion(double centerLat, double centerLon, double spanLat, double spanLon) {
    m_centerLat = qBound(-kMaxLatitude, centerLat, kMaxLatitude);
    m_centerLon = centerLon;
    m_spanLat = qAbs(spanLat);
    m_spanLon = qAbs(spanLon);
    // A new region is a fresh chance for tiles that failed before.
    m_failed.clear();
    chooseZoom();
    update();
}

void PKMapView::addAnnotation(double lat, double lon) {
    m_annotations << QPointF(lat, lon);
    update();
}

void PKMapView::setPin(double lat, double lon) {
    m_hasPin = true;
    m_pinLat = lat;
    m_pinLon = lon;
    update();
}

void PKMapView::showPosition(double lat, double lon) {
    setRegion(lat, lon);
    setPin(lat, lon);
}

void PKMapView::clearPin() {
    m_hasPin = false;
    update();
}

QPointF PKMapView::worldPixel(double lat, double lon, int zoom) const {
    const double worldSize = double(kTileSize) * std::ldexp(1.0, zoom);
    const double clampedLat = qBound(-kMaxLatitude, lat, kMaxLatitude);
    const double x = (lon + 180.0) / 360.0 * worldSize;
    const double s = std::sin(qDegreesToRadians(clampedLat));
    const double y = (0.5 - std::log((1.0 + s) / (1.0 - s)) / (4.0 * M_PI)) * worldSize;
    return QPointF(x, y);
}

QPointF PKMapView::pointForCoordinate(double lat, double lon) const {
    const QPointF offset =
        worldPixel(lat, lon, m_zoom) - worldPixel(m_centerLat, m_centerLon, m_zoom);
    return QPointF(width() / 2.0, height() / 2.0) + offset;
}

void PKMapView::chooseZoom() {
    const QSize area = size().isEmpty() ? sizeHint() : size();
    int zoom = 0;
    for (int z = kMaxZoom; z >= 0; --z) {
        const QPointF topLeft =
            worldPixel(m_centerLat + m_spanLat / 2, m_centerLon - m_spanLon / 2, z);
        const QPointF bottomRight =
            worldPixel(m_centerLat - m_spanLat / 2, m_centerLon + m_spanLon / 2, z);
        if (bottomRight.x() - topLeft.x() <= area.width() &&
            bottomRight.y() - topLeft.y() <= area.height()) {
            zoom = z;
            break;
        }
    }
    m_zoom = zoom;
}

void PKMapView::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    chooseZoom();
}

QString PKMapView::tileKey(int z, int x, int y) {
    return QStringLiteral("%1/%2/%3").arg(z).arg(x).arg(y);
}

QString PKMapView::coordinateText() const {
    const double lat = m_hasPin ? m_pinLat : m_centerLat;
    const double lon = m_hasPin ? m_pinLon : m_centerLon;
    return QStringLiteral("%1, %2").arg(QString::number(lat, 'f', 6), QString::number(lon, 'f', 6));
}

void PKMapView::requestTile(int z, int x, int y) {
    const QString key = tileKey(z, x, y);
    if (m_template.isEmpty()) {
        m_failed.insert(key);
        return;
    }
    QString url = m_template;
    url.replace(QLatin1String("{z}"), QString::number(z));
    url.replace(QLatin1String("{x}"), QString::number(x));
    url.replace(QLatin1String("{y}"), QString::number(y));
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::UserAgentHeader, ReverseGeocoder::userAgent());
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
    request.setTransferTimeout(15000);
    m_pending.insert(key);
    QNetworkReply *reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, key]() { tileFinished(reply, key); });
}

void PKMapView::tileFinished(QNetworkReply *reply, const QString &key) {
    reply->deleteLater();
    m_pending.remove(key);
    QImage image;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() == QNetworkReply::NoError && (status == 0 || status < 300))
        image.loadFromData(reply->readAll());
    if (image.isNull())
        m_failed.insert(key);
    else
        m_tiles.insert(key, new QImage(image.convertToFormat(QImage::Format_ARGB32_Premultiplied)));
    update();
}

void PKMapView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();

    // The grid stands in for any tile that is missing.
    painter.fillRect(area, QColor(236, 234, 228));
    painter.setPen(QPen(QColor(214, 211, 204), 1));
    for (int x = 0; x < width(); x += 32)
        painter.drawLine(QPointF(x + 0.5, 0), QPointF(x + 0.5, height()));
    for (int y = 0; y < height(); y += 32)
        painter.drawLine(QPointF(0, y + 0.5), QPointF(width(), y + 0.5));

    const int tilesPerSide = 1 << m_zoom;
    const QPointF centre = worldPixel(m_centerLat, m_centerLon, m_zoom);
    const QPointF origin = centre - QPointF(width() / 2.0, height() / 2.0);
    const int firstX = int(std::floor(origin.x() / kTileSize));
    const int lastX = int(std::floor((origin.x() + width() - 1) / kTileSize));
    const int firstY = qMax(0, int(std::floor(origin.y() / kTileSize)));
    const int lastY =
        qMin(tilesPerSide - 1, int(std::floor((origin.y() + height() - 1) / kTileSize)));
    bool missing = false;
    for (int ty = firstY; ty <= lastY; ++ty) {
        for (int tx = firstX; tx <= lastX; ++tx) {
            // Longitude wraps around the world; latitude does not.
            const int wrappedX = ((tx % tilesPerSide) + tilesPerSide) % tilesPerSide;
            const QString key = tileKey(m_zoom, wrappedX, ty);
            const QPointF topLeft(tx * double(kTileSize) - origin.x(),
                                  ty * double(kTileSize) - origin.y());
            if (const QImage *tile = m_tiles.object(key)) {
                painter.drawImage(QRectF(topLeft, QSizeF(kTileSize, kTileSize)), *tile);
                continue;
            }
            missing = true;
            if (!m_pending.contains(key) && !m_failed.contains(key))
                requestTile(m_zoom, wrappedX, ty);
        }
    }

    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(pinColor());
    for (const QPointF &annotation : m_annotations)
        painter.drawEllipse(pointForCoordinate(annotation.x(), annotation.y()), 6, 6);
    if (m_hasPin)
        painter.drawEllipse(pointForCoordinate(m_pinLat, m_pinLon), 8, 8);

    m_fallbackText = missing ? coordinateText() : QString();
    const QFontMetrics metrics = painter.fontMetrics();
    const int boxHeight = metrics.height() + 4;
    // A box for `text` at most the view's width, its text shortened to fit.
    auto box = [&](QString &text) {
        const int maxText = qMax(0, width() - 8);
        text = metrics.elidedText(text, Qt::ElideMiddle, maxText);
        return QRect(0, 0, qMin(metrics.horizontalAdvance(text) + 8, width()), boxHeight);
    };
    auto drawLabel = [&](const QRect &where, const QString &text) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 200));
        painter.drawRect(where);
        painter.setPen(QColor(40, 40, 40));
        painter.drawText(where, Qt::AlignCenter, text);
    };

    QString attribution = attributionText();
    m_attributionRect = QRect();
    if (!attribution.isEmpty()) {
        m_attributionRect = box(attribution);
        m_attributionRect.moveBottomRight(rect().bottomRight());
        drawLabel(m_attributionRect, attribution);
    }
    m_fallbackRect = QRect();
    if (!m_fallbackText.isEmpty()) {
        QString shown = m_fallbackText;
        m_fallbackRect = box(shown);
        m_fallbackRect.moveBottomLeft(rect().bottomLeft());
        // Beside the credit line when both fit on the bottom edge, else just above it, else
        // (a map too low for two lines) at the top.
        if (!m_attributionRect.isNull() &&
            m_fallbackRect.intersects(m_attributionRect.adjusted(-4, 0, 0, 0))) {
            m_fallbackRect.moveBottom(m_attributionRect.top() - 2);
            if (m_fallbackRect.top() < 0)
                m_fallbackRect.moveTop(0);
        }
        drawLabel(m_fallbackRect, shown);
    }
}
