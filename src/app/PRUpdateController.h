#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class QMessageBox;
class QNetworkAccessManager;
class QNetworkReply;
class QWidget;
class PKImageView;

// The update check: fetches the maker's version list on request and shows the update
// window, the up-to-date window or, when the user asked and the check failed, an alert.
class PRUpdateController : public QObject {
    Q_OBJECT
  public:
    explicit PRUpdateController(QObject *parent = nullptr);
    ~PRUpdateController() override;

    void awakeFromNib();
    // Reads the program's own version and hides the update window.
    void hidUpdateWindow();
    void checkServerVersion();
    static bool CompareOneString(const QString &first, const QString &second);

    void ClickNotNowAction();
    void ClickGoDownloadAction();
    void ClickOkAction();

    QWidget *window() const { return m_window; }

    QString currentVersion;
    QString lastestVersion;
    QString whatsnewString;
    bool checkUpdate = false;
    QPointer<QNetworkReply> connect;
    QByteArray receivedData;

    // Outlets.
    QWidget *noUpdateWindow = nullptr;
    PKImageView *bottomImageView = nullptr;
    QLabel *newversionlab = nullptr, *currentversionlab = nullptr;
    QLabel *whatsnewContentView = nullptr;
    // The alert of a failed check the user asked for (null until one fails).
    QPointer<QMessageBox> failureAlert;

  private:
    void connectionDidFinishLoading(QNetworkReply *reply);
    void connectionDidFailWithError(QNetworkReply *reply);
    void reportFailure(const QString &why);
    void buildWindows();

    QWidget *m_window = nullptr;
    QNetworkAccessManager *m_network = nullptr;
};
