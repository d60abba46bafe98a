#include "platform/core/CameraDevice.h"

#include "base/FileTypes.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/JobRunner.h"
#include "platform/core/SafeWrite.h"
#include "platform/core/Thumbnails.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMutex>
#include <QPointer>
#include <QThread>

#include <gphoto2/gphoto2.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

// libgphoto2 loads its drivers through libltdl, which is not safe to enter from two
// threads at once; the device threads and the poll take turns here.
QMutex &loaderLock() {
    static QMutex lock;
    return lock;
}

QString gpError(int code) {
    return QString::fromUtf8(gp_result_as_string(code));
}

// The type identifier of a device file: from its MIME type, or, where the device only
// says "application/octet-stream" (HEIC, many RAW files), from our extension lists.
QString typeIdentifier(const QString &mime, const QString &name) {
    if (mime.startsWith(QLatin1String("image/")))
        return QStringLiteral("public.image");
    if (mime.startsWith(QLatin1String("video/")))
        return QStringLiteral("public.movie");
    const QByteArray ext = QFileInfo(name).suffix().toUtf8();
    if (GetDragImageType(ext.constData()) >= 0)
        return QStringLiteral("public.image");
    if (GetViedoType(ext.constData()) >= 0)
        return QStringLiteral("public.movie");
    return mime;
}

QString joinFolder(const QString &folder, const QString &name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString fileKey(const QString &folder, const QString &name) {
    return folder + QLatin1Char('\n') + name;
}

// The side of a picture made from a folder device's file: the size of a camera's preview.
constexpr int kDiskPreviewSide = 256;

} // namespace

// Lives on the device's thread and owns the libgphoto2 handles.
class PKCameraWorker : public QObject {
  public:
    ~PKCameraWorker() override { close(); }

    QString open(const PKDeviceAddress &address) {
        close();
        m_diskRoot =
            address.port.startsWith(QLatin1String("disk:")) ? address.port.mid(5) : QString();
        QMutexLocker locked(&loaderLock());
        m_context = gp_context_new();
        int rc = gp_camera_new(&m_camera);
        if (rc < GP_OK)
            return gpError(rc);
        CameraAbilitiesList *abilities = nullptr;
        gp_abilities_list_new(&abilities);
        gp_abilities_list_load(abilities, m_context);
        const QByteArray model = address.model.toUtf8();
        int index = gp_abilities_list_lookup_model(abilities, model.constData());
        if (index >= 0) {
            CameraAbilities a;
            gp_abilities_list_get_abilities(abilities, index, &a);
            gp_camera_set_abilities(m_camera, a);
        }
        gp_abilities_list_free(abilities);
        if (index < 0) {
            close();
            return QStringLiteral("Unknown camera model %1").arg(address.model);
        }
        GPPortInfoList *ports = nullptr;
        gp_port_info_list_new(&ports);
        gp_port_info_list_load(ports);
        const QByteArray port = address.port.toUtf8();
        index = gp_port_info_list_lookup_path(ports, port.constData());
        if (index >= 0) {
            GPPortInfo info;
            gp_port_info_list_get_info(ports, index, &info);
            gp_camera_set_port_info(m_camera, info);
        }
        gp_port_info_list_free(ports);
        if (index < 0) {
            close();
            return QStringLiteral("Unknown port %1").arg(address.port);
        }
        rc = gp_camera_init(m_camera, m_context);
        if (rc < GP_OK) {
            close();
            return gpError(rc);
        }
        return {};
    }

    void close() {
        if (m_camera) {
            gp_camera_exit(m_camera, m_context);
            gp_camera_unref(m_camera);
            m_camera = nullptr;
        }
        if (m_context) {
            gp_context_unref(m_context);
            m_context = nullptr;
        }
    }

    // Walks every folder from the root, reporting each file as it is read, until `onFile`
    // says to stop (false, also returned then). Files in `known` are passed over unread.
    bool list(const QString &folder, const QSet<QString> &known,
              const std::function<bool(PKCameraFile &)> &onFile) {
        if (!m_camera)
            return true;
        const QByteArray f = folder.toUtf8();
        CameraList *names = nullptr;
        gp_list_new(&names);
        if (gp_camera_folder_list_files(m_camera, f.constData(), names, m_context) >= GP_OK) {
            for (int i = 0; i < gp_list_count(names); ++i) {
                const char *name = nullptr;
                gp_list_get_name(names, i, &name);
                PKCameraFile file;
                file.name = QString::fromUtf8(name);
                file.folder = folder;
                if (known.contains(fileKey(folder, file.name)))
                    continue;
                CameraFileInfo info;
                if (gp_camera_file_get_info(m_camera, f.constData(), name, &info, m_context) >=
                    GP_OK) {
                    if (info.file.fields & GP_FILE_INFO_TYPE)
                        file.mimeType = QString::fromUtf8(info.file.type);
                    if (info.file.fields & GP_FILE_INFO_SIZE)
                        file.size = qint64(info.file.size);
                }
                file.UTI = typeIdentifier(file.mimeType, file.name);
                file.thumbnail = preview(f.constData(), name);
                if (!onFile(file)) {
                    gp_list_free(names);
                    return false;
                }
            }
        }
        gp_list_reset(names);
        if (gp_camera_folder_list_folders(m_camera, f.constData(), names, m_context) >= GP_OK) {
            QStringList subfolders;
            for (int i = 0; i < gp_list_count(names); ++i) {
                const char *name = nullptr;
                gp_list_get_name(names, i, &name);
                subfolders << QString::fromUtf8(name);
            }
            gp_list_free(names);
            names = nullptr;
            for (const QString &sub : subfolders)
                if (!list(joinFolder(folder, sub), known, onFile))
                    return false;
        }
        if (names)
            gp_list_free(names);
        return true;
    }

    QImage preview(const char *folder, const char *name) {
        CameraFile *file = nullptr;
        gp_file_new(&file);
        QImage image;
        if (gp_camera_file_get(m_camera, folder, name, GP_FILE_TYPE_PREVIEW, file, m_context) >=
            GP_OK) {
            const char *data = nullptr;
            unsigned long size = 0;
            if (gp_file_get_data_and_size(file, &data, &size) >= GP_OK && data && size)
                image.loadFromData(reinterpret_cast<const uchar *>(data), int(size));
        }
        gp_file_unref(file);
        // The folder driver has previews only where a JPEG embeds one; its files are at
        // hand, so the others get theirs from the file itself (videos too).
        const QString path = image.isNull()
                                 ? diskPath(QString::fromUtf8(folder), QString::fromUtf8(name))
                                 : QString();
        if (!path.isEmpty()) {
            QImage forTheDesktopCache; // a card's files stay out of it
            image = Thumbnails::make(path, kDiskPreviewSide, &forTheDesktopCache);
        }
        return image;
    }

    // The file behind a folder device's file; empty for other devices or a name that would
    // lead out of the folder.
    QString diskPath(const QString &folder, const QString &name) const {
        if (m_diskRoot.isEmpty() || name.contains(QLatin1Char('/')))
            return {};
        QStringList parts = folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        parts << name;
        for (const QString &part : std::as_const(parts))
            if (part == QLatin1String(".") || part == QLatin1String(".."))
                return {};
        return m_diskRoot + QLatin1Char('/') + parts.join(QLatin1Char('/'));
    }

    // Copies the device file into `targetFolder` under the first free name for
    // `targetName`; `*writtenPath` is where it landed. An existing file is never replaced.
    QString download(const QString &folder, const QString &name, const QString &targetFolder,
                     const QString &targetName, qint64 expectedSize, QString *writtenPath) {
        if (!m_camera)
            return QStringLiteral("The device is not open.");
        // The bytes arrive in a temporary of ours beside the target and take the real name
        // only once they are complete and on the disk.
        SafeWrite::Temporary out;
        QString error;
        if (!out.create(targetFolder, &error))
            return error;
        const int fd = ::dup(out.fd());
        if (fd < 0)
            return QStringLiteral("Cannot write in %1").arg(targetFolder);
        CameraFile *file = nullptr;
        int rc = gp_file_new_from_fd(&file, fd);
        if (rc < GP_OK) {
            ::close(fd);
            return gpError(rc);
        }
        const QByteArray f = folder.toUtf8(), n = name.toUtf8();
        rc = gp_camera_file_get(m_camera, f.constData(), n.constData(), GP_FILE_TYPE_NORMAL, file,
                                m_context);
        gp_file_unref(file); // the file system cache may hold it a while longer
        if (rc < GP_OK)
            return gpError(rc);
        const qint64 written = qint64(::lseek(out.fd(), 0, SEEK_END));
        if (expectedSize >= 0 && written != expectedSize)
            return QStringLiteral("Only %1 of %2 bytes arrived.").arg(written).arg(expectedSize);
        // Without a size from the camera, an empty copy is still no copy: the user may
        // delete the camera's file next.
        if (written <= 0)
            return QStringLiteral("No bytes arrived for %1.").arg(name);
        // The photo gets the permissions of an ordinary new file.
        if (!out.useDefaultMode(&error) || !out.finish(&error))
            return error;
        const QString landed = moveToFreeName(out.path(), targetFolder, targetName, &error);
        if (landed.isEmpty())
            return error;
        out.release();
        *writtenPath = landed;
        return {};
    }

    QString remove(const QString &folder, const QString &name) {
        if (!m_camera)
            return QStringLiteral("The device is not open.");
        const QByteArray f = folder.toUtf8(), n = name.toUtf8();
        const int rc = gp_camera_file_delete(m_camera, f.constData(), n.constData(), m_context);
        return rc < GP_OK ? gpError(rc) : QString();
    }

  private:
    Camera *m_camera = nullptr;
    GPContext *m_context = nullptr;
    QString m_diskRoot; // the folder of a folder device
};

// The device's own thread, named apart so that only this file deals in threads.
class PKCameraThread : public QThread {};

PKCameraDevice::PKCameraDevice(const PKDeviceAddress &address, QObject *parent)
    : QObject(parent), m_address(address) {
    m_thread = new PKCameraThread;
    m_thread->setObjectName(QStringLiteral("camera ") + address.port);
    m_worker = new PKCameraWorker;
    m_worker->moveToThread(m_thread);
    m_thread->start();
}

PKCameraDevice::~PKCameraDevice() {
    *m_alive = false;
    // A file list in hand stops reading thumbnails, so waiting for the worker is short.
    m_going = true;
    // The worker closes its handles on its own thread, after any request in hand.
    PKCameraWorker *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker] { delete worker; });
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

QString PKCameraDevice::identifier() const {
    const QByteArray key = (m_address.model + QLatin1Char('\n') + m_address.port).toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(12));
}

void PKCameraDevice::runOnWorker(std::function<void(PKCameraWorker &)> job) {
    ++m_pending;
    PKCameraWorker *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker, job] { job(*worker); });
}

void PKCameraDevice::finishRequest() {
    if (m_pending > 0)
        --m_pending;
    if (m_pending == 0)
        emit didBecomeIdle();
}

void PKCameraDevice::requestOpenSession() {
    if (m_opening && m_stopping) {
        // The stopped listing ends first; then the device is listed afresh.
        m_openAgain = true;
        return;
    }
    if (m_sessionOpen || m_opening) {
        // Already open or opening: the files are (being) reported; say so again.
        ++m_pending;
        QMetaObject::invokeMethod(
            this,
            [this] {
                finishRequest();
                if (m_sessionOpen)
                    emit didOpenSession(QString());
            },
            Qt::QueuedConnection);
        return;
    }
    m_opening = true;
    const PKDeviceAddress address = m_address;
    const std::weak_ptr<bool> alive = m_alive;
    PKCameraDevice *self = this;
    // After a stopped listing only the files not yet reported are read.
    QSet<QString> known;
    for (const PKCameraFilePtr &file : std::as_const(m_files))
        known.insert(fileKey(file->folder, file->name));
    runOnWorker([address, alive, self, known, hook = m_hook](PKCameraWorker &w) {
        const QString error = w.open(address);
        auto toMain = [alive, self](std::function<void()> f) {
            QMetaObject::invokeMethod(self, [alive, f] {
                if (alive.lock())
                    f();
            });
        };
        // Files go over in small batches, so that the main thread takes each in one short
        // turn and a stop asked for between them is heard at once.
        QList<PKCameraFile> batch;
        QElapsedTimer sinceHandOver;
        sinceHandOver.start();
        const auto handOver = [&] {
            if (batch.isEmpty())
                return;
            toMain([self, files = std::move(batch)] {
                // Read before the stop but arriving after it: left for the next listing.
                if (self->m_stopping.load())
                    return;
                QList<PKCameraFilePtr> added;
                added.reserve(files.size());
                for (const PKCameraFile &file : files) {
                    auto shared = std::make_shared<PKCameraFile>(file);
                    shared->m_device = self;
                    added << shared;
                }
                self->m_files << added;
                emit self->didAddItems(added);
            });
            batch.clear();
            sinceHandOver.restart();
        };
        if (error.isEmpty())
            w.list(QStringLiteral("/"), known, [&](PKCameraFile &file) {
                if (hook)
                    hook(file);
                batch << std::move(file);
                if (batch.size() >= kListingBatchFiles ||
                    sinceHandOver.elapsed() >= kListingBatchMs)
                    handOver();
                // The device object outlives this job: its destructor waits for the worker.
                return !self->m_going.load() && !self->m_stopping.load();
            });
        handOver();
        toMain([self, error] {
            self->m_opening = false;
            const bool stopped = self->m_stopping.exchange(false);
            self->m_sessionOpen = error.isEmpty() && !stopped;
            // Opening again before finishing keeps the request count above zero throughout.
            if (stopped && std::exchange(self->m_openAgain, false))
                self->requestOpenSession();
            self->finishRequest();
            if (stopped)
                emit self->didStopListing();
            else
                emit self->didOpenSession(error);
        });
    });
}

void PKCameraDevice::stopListing() {
    if (m_opening)
        m_stopping = true;
    m_openAgain = false;
}

void PKCameraDevice::requestDownloadFile(const PKCameraFilePtr &file, const QString &folder,
                                         const QString &saveAsName,
                                         std::function<void(const PKDownloadResult &)> completion) {
    PKDownloadResult result;
    result.file = file;
    result.saveAsName = saveAsName;
    const QString name = saveAsName.isEmpty() && file ? file->name : saveAsName;
    // A save-as name is a name, never a path into another folder.
    if (!file || file->device() != this)
        result.reason = QStringLiteral("The file is not on this device.");
    else if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") ||
             name == QLatin1String(".."))
        result.reason = QStringLiteral("Invalid file name \"%1\".").arg(name);
    if (!result.reason.isEmpty()) {
        ++m_pending;
        QMetaObject::invokeMethod(
            this,
            [this, result, completion] {
                finishRequest();
                if (completion)
                    completion(result);
            },
            Qt::QueuedConnection);
        return;
    }
    const QString deviceFolder = file->folder, deviceName = file->name;
    const qint64 size = file->size;
    const std::weak_ptr<bool> alive = m_alive;
    PKCameraDevice *self = this;
    runOnWorker([=](PKCameraWorker &w) mutable {
        QString landed;
        const QString error = w.download(deviceFolder, deviceName, folder, name, size, &landed);
        QMetaObject::invokeMethod(self, [=]() mutable {
            if (!alive.lock())
                return;
            result.reason = error;
            if (error.isEmpty())
                result.path = landed;
            self->finishRequest();
            if (completion)
                completion(result);
        });
    });
}

void PKCameraDevice::requestDeleteFiles(const QList<PKCameraFilePtr> &files) {
    const std::weak_ptr<bool> alive = m_alive;
    PKCameraDevice *self = this;
    for (const PKCameraFilePtr &file : files) {
        if (!file || file->device() != this)
            continue;
        const QString folder = file->folder, name = file->name;
        runOnWorker([=](PKCameraWorker &w) {
            const QString error = w.remove(folder, name);
            QMetaObject::invokeMethod(self, [=] {
                if (!alive.lock())
                    return;
                if (error.isEmpty()) {
                    self->m_files.removeAll(file);
                    emit self->didRemoveItem(file);
                } else {
                    emit self->didFailToDeleteItem(file, error);
                }
                self->finishRequest();
            });
        });
    }
}

// ---- Device browser ----

PKDeviceBrowser::PKDeviceBrowser(QObject *parent) : QObject(parent) {
    connect(&m_timer, &QTimer::timeout, this, &PKDeviceBrowser::pollNow);
}

PKDeviceBrowser::~PKDeviceBrowser() = default;

void PKDeviceBrowser::start(int intervalMs) {
    m_timer.start(intervalMs);
    pollNow();
}

void PKDeviceBrowser::stop() {
    m_timer.stop();
}

void PKDeviceBrowser::addFolderDevice(const QString &folder) {
    if (!m_folders.contains(folder))
        m_folders << folder;
}

void PKDeviceBrowser::removeFolderDevice(const QString &folder) {
    m_folders.removeAll(folder);
}

void PKDeviceBrowser::pollNow() {
    if (m_polling) {
        m_pollAgain = true;
        return;
    }
    m_polling = true;
    const bool autodetect = m_autodetect;
    const QStringList folders = m_folders;
    // The look hands its answer back only while this browser lives.
    const QPointer<PKDeviceBrowser> self(this);
    JobRunner::runOn(JobRunner::Lane::Jobs, [=] {
        const QList<PKDeviceAddress> found = detect(autodetect, folders);
        JobRunner::handTo(self, [=] {
            PKDeviceBrowser *browser = self.data();
            browser->m_polling = false;
            browser->apply(found);
            if (browser->m_pollAgain) {
                browser->m_pollAgain = false;
                browser->pollNow();
            }
        });
    });
}

QList<PKDeviceAddress> PKDeviceBrowser::detect(bool autodetect, const QStringList &folders) {
    QList<PKDeviceAddress> found;
    if (autodetect) {
        QMutexLocker locked(&loaderLock());
        GPContext *context = gp_context_new();
        CameraList *list = nullptr;
        gp_list_new(&list);
        if (gp_camera_autodetect(list, context) >= GP_OK) {
            for (int i = 0; i < gp_list_count(list); ++i) {
                const char *model = nullptr, *port = nullptr;
                gp_list_get_name(list, i, &model);
                gp_list_get_value(list, i, &port);
                found << PKDeviceAddress{QString::fromUtf8(model), QString::fromUtf8(port)};
            }
        }
        gp_list_free(list);
        gp_context_unref(context);
    }
    for (const QString &folder : folders)
        if (QFileInfo(folder).isDir())
            found << PKDeviceAddress{QStringLiteral("Directory Browse"),
                                     QStringLiteral("disk:") + folder};
    return found;
}

void PKDeviceBrowser::apply(const QList<PKDeviceAddress> &found) {
    QList<PKCameraDevicePtr> gone;
    for (const PKCameraDevicePtr &device : m_devices)
        if (!found.contains(device->address()))
            gone << device;
    QList<PKDeviceAddress> arrived;
    for (const PKDeviceAddress &address : found) {
        bool known = false;
        for (const PKCameraDevicePtr &device : m_devices)
            known = known || device->address() == address;
        if (!known && !arrived.contains(address))
            arrived << address;
    }
    for (int i = 0; i < gone.size(); ++i) {
        m_devices.removeAll(gone[i]);
        emit didRemoveDevice(gone[i], i + 1 < gone.size());
    }
    for (int i = 0; i < arrived.size(); ++i) {
        auto device = std::make_shared<PKCameraDevice>(arrived[i]);
        m_devices << device;
        emit didAddDevice(device, i + 1 < arrived.size());
    }
}
