#pragma once

// Cameras and phones (PTP, mass-storage-like "Directory Browse" folders) over libgphoto2.
// Every device talks to libgphoto2 on a thread of its own, one request after another;
// every signal and completion reaches the receiver on the main thread.

#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>

class PKCameraDevice;
class PKCameraThread;
class PKCameraWorker;

// The device-type bit of a camera.
constexpr int kPKDeviceTypeCamera = 1;

// How libgphoto2 reaches a device: its driver's model name and its port ("usb:001,004",
// "disk:/path/to/folder").
struct PKDeviceAddress {
    QString model;
    QString port;
    bool operator==(const PKDeviceAddress &o) const = default;
};

// One file on a device. The device owns it; it goes away with its device.
class PKCameraFile {
  public:
    QString name;     // the file's name on the device
    QString folder;   // its folder on the device, "/" separated
    QString UTI;      // "public.image", "public.movie" or the MIME type as given
    QString mimeType; // as the device reports it
    qint64 size = -1; // bytes, -1 when unknown
    // The device's preview; a folder device without one gives a picture made from the file
    // itself. Null when there is none.
    QImage thumbnail;
    QString thumbnailPath; // where the listing hook kept a copy of it; empty when none
    PKCameraDevice *device() const { return m_device; }

  private:
    friend class PKCameraDevice;
    PKCameraDevice *m_device = nullptr;
};
using PKCameraFilePtr = std::shared_ptr<PKCameraFile>;

// Result of one download: the path written, or the reason it was not.
struct PKDownloadResult {
    PKCameraFilePtr file;
    QString path;   // the file now in the target folder; empty on failure
    QString reason; // empty on success
    QString saveAsName;
};

class PKCameraDevice : public QObject {
    Q_OBJECT
  public:
    explicit PKCameraDevice(const PKDeviceAddress &address, QObject *parent = nullptr);
    ~PKCameraDevice() override;

    QString name() const { return m_address.model; }
    PKDeviceAddress address() const { return m_address; }
    int type() const { return kPKDeviceTypeCamera; }
    // A short name that tells devices apart in file paths.
    QString identifier() const;
    bool hasOpenSession() const { return m_sessionOpen; }
    QList<PKCameraFilePtr> mediaFiles() const { return m_files; }
    // Requests sent and not yet answered.
    int pendingRequests() const { return m_pending; }

    // Runs on the device's thread for each file as it is listed, before the file is handed
    // over: the place for work on it that the main thread must not wait for (caching its
    // thumbnail). It may change only the file it is given. Set before requestOpenSession.
    using ListingHook = std::function<void(PKCameraFile &file)>;
    void setListingHook(ListingHook hook) { m_hook = std::move(hook); }
    // Opens the device and reports its files with their thumbnails in batches as they are
    // read (didAddItems: what was read in the last kListingBatchMs, or kListingBatchFiles
    // files when they come sooner), then didOpenSession; an error opens nothing. Files
    // already reported are not read or reported again.
    void requestOpenSession();
    // Stops a listing under way before its next file: nothing more is reported, the files
    // reported so far stay, and didStopListing comes instead of didOpenSession; a later
    // requestOpenSession lists the rest.
    void stopListing();
    // How often a listing hands its files over, and the most it hands over at once: a
    // batch costs the main thread well under a millisecond.
    static constexpr int kListingBatchMs = 50;
    static constexpr int kListingBatchFiles = 64;
    // Copies `file` into `folder` as `saveAsName` (the device's name when empty), or as
    // "name (2).ext"... when that name is taken: nothing in the folder is ever replaced.
    // The copy is written beside the target and named only once complete; the result's
    // `path` is the name it got.
    void requestDownloadFile(const PKCameraFilePtr &file, const QString &folder,
                             const QString &saveAsName,
                             std::function<void(const PKDownloadResult &)> completion);
    // Deletes the files; each one the device confirms leaves mediaFiles() and is
    // reported by didRemoveItem; failures come in didFailToDeleteItem.
    void requestDeleteFiles(const QList<PKCameraFilePtr> &files);

  signals:
    void didOpenSession(const QString &error);
    void didStopListing();
    void didAddItems(const QList<PKCameraFilePtr> &files);
    void didRemoveItem(const PKCameraFilePtr &file);
    void didFailToDeleteItem(const PKCameraFilePtr &file, const QString &error);
    void didEncounterError(const QString &error);
    void didBecomeIdle();

  private:
    void runOnWorker(std::function<void(PKCameraWorker &)> job);
    void finishRequest();

    PKDeviceAddress m_address;
    PKCameraThread *m_thread = nullptr;
    PKCameraWorker *m_worker = nullptr;
    QList<PKCameraFilePtr> m_files;
    bool m_sessionOpen = false;
    bool m_opening = false;
    bool m_openAgain = false; // asked to open while a stopped listing was still ending
    int m_pending = 0;
    ListingHook m_hook;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    std::atomic<bool> m_going{false};    // set as the device goes; read by its worker
    std::atomic<bool> m_stopping{false}; // the listing under way is to stop
};
using PKCameraDevicePtr = std::shared_ptr<PKCameraDevice>;

// Finds devices while the program runs: every few seconds a worker asks libgphoto2 which
// cameras are attached and checks the folders given as devices; arrivals and departures
// come as signals on the main thread.
class PKDeviceBrowser : public QObject {
    Q_OBJECT
  public:
    explicit PKDeviceBrowser(QObject *parent = nullptr);
    ~PKDeviceBrowser() override;

    void start(int intervalMs = 2000);
    void stop();
    // Asks for one look now (still on the worker).
    void pollNow();
    // A folder that shows up as a camera ("Directory Browse") while it exists.
    void addFolderDevice(const QString &folder);
    void removeFolderDevice(const QString &folder);
    // Whether attached USB cameras are looked for (on by default).
    void setAutodetectEnabled(bool on) { m_autodetect = on; }
    QList<PKCameraDevicePtr> devices() const { return m_devices; }

    // The cameras libgphoto2 sees now, then the folder devices that exist. Blocking.
    static QList<PKDeviceAddress> detect(bool autodetect, const QStringList &folders);

  signals:
    void didAddDevice(const PKCameraDevicePtr &device, bool moreComing);
    void didRemoveDevice(const PKCameraDevicePtr &device, bool moreGoing);

  private:
    void apply(const QList<PKDeviceAddress> &found);

    QTimer m_timer;
    bool m_autodetect = true;
    bool m_polling = false;
    bool m_pollAgain = false;
    QStringList m_folders;
    QList<PKCameraDevicePtr> m_devices;
    std::atomic<bool> m_going{false}; // set as the device goes; read by its worker
};
