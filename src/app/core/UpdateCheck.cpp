#include "app/core/UpdateCheck.h"

#include "app/core/MakerSite.h"
#include "platform/core/PropertyList.h"

#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>
#include <QStringList>
#include <QTemporaryFile>

namespace {
QList<quint64> versionNumbers(const QString &text) {
    QList<quint64> numbers;
    for (const QString &piece : text.trimmed().split(QLatin1Char('.'))) {
        quint64 value = 0;
        for (QChar c : piece) {
            if (!c.isDigit())
                break;
            value = qMin<quint64>(value * 10 + quint64(c.digitValue()), 1000000000ULL);
        }
        numbers << value;
    }
    return numbers;
}

QString stringValue(const QVariantMap &dict, const QString &key) {
    const QVariant value = dict.value(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}
} // namespace

bool CompareOneString(const QString &first, const QString &second) {
    const QList<quint64> a = versionNumbers(first);
    const QList<quint64> b = versionNumbers(second);
    for (qsizetype i = 0; i < qMax(a.size(), b.size()); ++i) {
        const quint64 x = a.value(i, 0), y = b.value(i, 0);
        if (x != y)
            return x > y;
    }
    return false;
}

VersionList parseVersionList(const QByteArray &body, QString *error) {
    VersionList list;
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/version-XXXXXX.plist"));
    if (!file.open() || file.write(body) != body.size() || !file.flush()) {
        if (error)
            *error =
                QStringLiteral("The version list could not be stored: %1").arg(file.errorString());
        return list;
    }
    file.seek(0);
    const QByteArray stored = file.readAll();
    // Our reader refuses what would abort libplist: the answer comes from a server.
    const PropertyList::Document doc = PropertyList::fromData(stored);
    if (!doc.ok || doc.root.typeId() != QMetaType::QVariantMap) {
        if (error)
            *error = QStringLiteral("The server's answer is not a version list.");
        return list;
    }
    const QVariantMap root = doc.root.toMap();
    list.isDictionary = true;
    list.lastestVersion = stringValue(root, QStringLiteral("lastestVersion"));
    list.whatsNew = stringValue(root, QStringLiteral("WhatsNew"));
    return list;
}

UpdateDecision decideUpdate(const VersionList &list, const QString &currentVersion,
                            bool checkUpdate) {
    if (!list.isDictionary || list.lastestVersion.trimmed().isEmpty())
        return checkUpdate ? UpdateDecision::ShowFailure : UpdateDecision::ShowNothing;
    if (CompareOneString(list.lastestVersion, currentVersion))
        return UpdateDecision::ShowUpdate;
    return checkUpdate ? UpdateDecision::ShowUpToDate : UpdateDecision::ShowNothing;
}

QUrl updateServerBase() {
    QString base = qEnvironmentVariable("PHOTOKESTRY_UPDATE_SITE");
    if (base.isEmpty())
        return makerSiteBase();
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return QUrl(base);
}

QUrl versionListUrl() {
    return updateServerBase().resolved(QUrl(QStringLiteral("/product/photokestryVersion.plist")));
}

QUrl downloadPageUrl() {
    return makerPage(QStringLiteral("download.html"));
}

bool isAcceptableUpdateUrl(const QUrl &url) {
    if (!url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    if (url.scheme() != QLatin1String("http"))
        return false;
    // Plain HTTP only where nobody else can answer: this computer.
    if (url.host() == QLatin1String("localhost"))
        return true;
    const QHostAddress address(url.host());
    return !address.isNull() && address.isLoopback();
}

QString programVersion() {
    const QString v = QCoreApplication::applicationVersion();
    return v.isEmpty() ? QStringLiteral(PK_PROGRAM_VERSION) : v;
}

QString newVersionText(const QString &lastestVersion) {
    return QCoreApplication::translate("PRUpdateController",
                                       "Tavelund Photo Kestry %1 is available.")
        .arg(lastestVersion);
}

QString currentVersionText(const QString &currentVersion) {
    return QCoreApplication::translate(
               "PRUpdateController", "You are using %1 version. Would you like to download it now?")
        .arg(currentVersion);
}

QString whatsNewText(const QString &whatsNew) {
    QString text = whatsNew;
    return text.replace(QLatin1Char('*'), QLatin1Char('\n'));
}
