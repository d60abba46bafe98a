#pragma once

#include <QList>
#include <QMutex>
#include <QString>
#include <QWaitCondition>
#include <functional>

// The photo service that keeps the originals of iCloud photos. Completions may arrive on any
// thread, late, or more than once; callers count each photo once.
struct CloudResource {
    QString photoUuid;        // the library photo it belongs to
    QString originalFilename; // the file name the service gives it
    int type = 1;             // 1 a photo, 2 a video; others are not originals
};

class CloudPhotoLibrary {
  public:
    virtual ~CloudPhotoLibrary() = default;
    // Whether the service can be reached here; `why` says why not.
    virtual bool isAvailable(QString *why) const = 0;
    // Asks the user's leave; `done(granted)` on any thread.
    virtual void requestAuthorization(std::function<void(bool granted)> done) = 0;
    // The resources of the photo with this uuid.
    virtual QList<CloudResource> resources(const QString &photoUuid) = 0;
    // Writes the resource into the new file `path`; `done(error)` on any thread, an empty
    // error on success.
    virtual void writeResource(const CloudResource &resource, const QString &path,
                               std::function<void(const QString &error)> done) = 0;
};

// Linux has no such service: nothing can be fetched from it.
class LinuxCloudPhotoLibrary : public CloudPhotoLibrary {
  public:
    bool isAvailable(QString *why) const override;
    void requestAuthorization(std::function<void(bool)> done) override { done(false); }
    QList<CloudResource> resources(const QString &) override { return {}; }
    void writeResource(const CloudResource &, const QString &,
                       std::function<void(const QString &)> done) override;
};

// Tests serve files from memory: late (from another thread), twice, failing or refused.
class FakeCloudPhotoLibrary : public CloudPhotoLibrary {
  public:
    struct Served {
        CloudResource resource;
        QByteArray bytes;
        QString error; // the write fails with this
    };
    bool available = true;
    bool granted = true;
    bool late = false;          // completions from a thread of their own
    bool completeTwice = false; // every completion arrives twice
    bool hold = false;          // the availability check waits for release()
    QList<Served> served;

    void release();

    bool isAvailable(QString *why) const override;
    void requestAuthorization(std::function<void(bool)> done) override;
    QList<CloudResource> resources(const QString &photoUuid) override;
    void writeResource(const CloudResource &resource, const QString &path,
                       std::function<void(const QString &)> done) override;

  private:
    void complete(std::function<void()> fn);
    mutable QMutex holdMutex;
    mutable QWaitCondition released;
};

// The service in use; tests put theirs in place (nullptr restores Linux's).
CloudPhotoLibrary &cloudPhotoLibrary();
void setCloudPhotoLibrary(CloudPhotoLibrary *library);
