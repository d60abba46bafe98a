// The update window, the up-to-date window and the request behind them.
#include "app/PRUpdateController.h"

#include "app/core/UpdateCheck.h"
#include "base/Logging.h"
#include "platform/Artwork.h"
#include "platform/ImageView.h"
#include "platform/core/Workspace.h"

#include <QDebug>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr qsizetype kMaxVersionListBytes = 1 << 20;

void showCentred(QWidget *w) {
    w->adjustSize();
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = w->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        w->move(frame.topLeft());
    }
    w->show();
    w->raise();
    w->activateWindow();
}
} // namespace

PRUpdateController::PRUpdateController(QObject *parent) : QObject(parent) {
    buildWindows();
    m_network = new QNetworkAccessManager(this);
}

PRUpdateController::~PRUpdateController() {
    delete failureAlert.data();
    delete noUpdateWindow;
    delete m_window;
}

void PRUpdateController::buildWindows() {
    m_window = new QWidget(nullptr, Qt::Window);
    m_window->setObjectName(QStringLiteral("UpdateWindow"));
    m_window->setWindowTitle(tr("Software Update"));
    auto *layout = new QVBoxLayout(m_window);
    newversionlab = new QLabel(m_window);
    newversionlab->setObjectName(QStringLiteral("newversionlab"));
    QFont headline = newversionlab->font();
    headline.setBold(true);
    newversionlab->setFont(headline);
    currentversionlab = new QLabel(m_window);
    currentversionlab->setObjectName(QStringLiteral("currentversionlab"));
    whatsnewContentView = new QLabel(m_window);
    whatsnewContentView->setObjectName(QStringLiteral("whatsnewContentView"));
    whatsnewContentView->setTextFormat(Qt::PlainText);
    whatsnewContentView->setWordWrap(true);
    whatsnewContentView->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bottomImageView = new PKImageView(m_window);
    bottomImageView->setObjectName(QStringLiteral("bottomImageView"));
    bottomImageView->setFixedHeight(40);
    auto *buttons = new QHBoxLayout;
    auto *notNow = new QPushButton(tr("Not Now"), m_window);
    notNow->setObjectName(QStringLiteral("ClickNotNowAction"));
    auto *download = new QPushButton(tr("Download"), m_window);
    download->setObjectName(QStringLiteral("ClickGoDownloadAction"));
    download->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(notNow);
    buttons->addWidget(download);
    layout->addWidget(newversionlab);
    layout->addWidget(currentversionlab);
    layout->addWidget(whatsnewContentView, 1);
    layout->addLayout(buttons);
    layout->addWidget(bottomImageView);
    QObject::connect(notNow, &QPushButton::clicked, this, &PRUpdateController::ClickNotNowAction);
    QObject::connect(download, &QPushButton::clicked, this,
                     &PRUpdateController::ClickGoDownloadAction);

    noUpdateWindow = new QWidget(nullptr, Qt::Window);
    noUpdateWindow->setObjectName(QStringLiteral("noUpdateWindow"));
    noUpdateWindow->setWindowTitle(tr("Software Update"));
    auto *noLayout = new QVBoxLayout(noUpdateWindow);
    auto *upToDate = new QLabel(tr("You're up-to-date!"), noUpdateWindow);
    upToDate->setObjectName(QStringLiteral("upToDatelab"));
    upToDate->setFont(headline);
    noLayout->addWidget(upToDate);
    noLayout->addWidget(
        new QLabel(tr("Photo Kestry is currently the newest version available."), noUpdateWindow));
    auto *ok = new QPushButton(tr("OK"), noUpdateWindow);
    ok->setObjectName(QStringLiteral("ClickOkAction"));
    ok->setDefault(true);
    noLayout->addWidget(ok, 0, Qt::AlignRight);
    QObject::connect(ok, &QPushButton::clicked, this, &PRUpdateController::ClickOkAction);
}

void PRUpdateController::awakeFromNib() {
    bottomImageView->setImage(namedImage(QStringLiteral("mainBottomImage.png")));
}

void PRUpdateController::hidUpdateWindow() {
    currentVersion = programVersion();
    m_window->hide();
}

bool PRUpdateController::CompareOneString(const QString &first, const QString &second) {
    return ::CompareOneString(first, second);
}

void PRUpdateController::checkServerVersion() {
    if (currentVersion.isEmpty())
        currentVersion = programVersion();
    const QUrl url = versionListUrl();
    if (!isAcceptableUpdateUrl(url)) {
        reportFailure(
            tr("The update server address %1 is not a secure address.").arg(url.toDisplayString()));
        return;
    }
    // A second request replaces the first; the first one's answer is then ignored.
    if (connect) {
        QNetworkReply *old = connect;
        connect = nullptr;
        old->abort();
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(30000);
    QNetworkReply *reply = m_network->get(request);
    connect = reply;
    receivedData.clear();
    QObject::connect(reply, &QNetworkReply::readyRead, this, [this, reply]() {
        if (reply != connect)
            return;
        receivedData += reply->readAll();
        // A version list is a few hundred bytes; anything huge is not one.
        if (receivedData.size() > kMaxVersionListBytes)
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, this, [this, reply]() {
        reply->deleteLater();
        if (reply != connect)
            return;
        if (reply->error() != QNetworkReply::NoError)
            connectionDidFailWithError(reply);
        else
            connectionDidFinishLoading(reply);
        connect = nullptr;
        receivedData.clear();
    });
}

void PRUpdateController::connectionDidFinishLoading(QNetworkReply *reply) {
    receivedData += reply->readAll();
    QString error;
    const VersionList list = parseVersionList(receivedData, &error);
    if (list.isDictionary) {
        lastestVersion = list.lastestVersion;
        whatsnewString = list.whatsNew;
    }
    switch (decideUpdate(list, currentVersion, checkUpdate)) {
    case UpdateDecision::ShowUpdate:
        if (!lastestVersion.isNull())
            newversionlab->setText(newVersionText(lastestVersion));
        if (!currentVersion.isNull())
            currentversionlab->setText(currentVersionText(currentVersion));
        whatsnewContentView->setText(whatsNewText(whatsnewString));
        showCentred(m_window);
        break;
    case UpdateDecision::ShowUpToDate:
        showCentred(noUpdateWindow);
        break;
    case UpdateDecision::ShowFailure:
        reportFailure(error.isEmpty() ? tr("The server's version list names no version.") : error);
        break;
    case UpdateDecision::ShowNothing:
        break;
    }
}

void PRUpdateController::connectionDidFailWithError(QNetworkReply *reply) {
    qCWarning(lcApp).noquote() << QStringLiteral("Connection failed! Error - %1 %2")
                                      .arg(reply->errorString(), reply->url().toDisplayString());
    reportFailure(reply->errorString());
}

void PRUpdateController::reportFailure(const QString &why) {
    qCWarning(lcApp).noquote() << "Update check failed:" << why;
    if (!checkUpdate)
        return;
    delete failureAlert.data();
    auto *alert = new QMessageBox(QMessageBox::Warning, tr("Software Update"),
                                  tr("Unable to check for updates."), QMessageBox::Ok);
    alert->setObjectName(QStringLiteral("updateFailureAlert"));
    alert->setInformativeText(why);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    failureAlert = alert;
    alert->open();
}

void PRUpdateController::ClickNotNowAction() {
    m_window->hide();
}

void PRUpdateController::ClickGoDownloadAction() {
    Workspace::openURL(downloadPageUrl());
}

void PRUpdateController::ClickOkAction() {
    noUpdateWindow->hide();
}
