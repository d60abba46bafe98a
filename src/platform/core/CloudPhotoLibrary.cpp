#include "platform/core/CloudPhotoLibrary.h"

#include "platform/core/JobRunner.h"

#include <QFile>
#include <atomic>
#include <chrono>
#include <thread>

namespace {
std::atomic<CloudPhotoLibrary *> current{nullptr};

const char kUnreachable[] = "iCloud Photos cannot be reached from Linux";
} // namespace

bool LinuxCloudPhotoLibrary::isAvailable(QString *why) const {
    if (why)
        *why = QString::fromLatin1(kUnreachable);
    return false;
}

void LinuxCloudPhotoLibrary::writeResource(const CloudResource &, const QString &,
                                           std::function<void(const QString &)> done) {
    done(QString::fromLatin1(kUnreachable));
}

bool FakeCloudPhotoLibrary::isAvailable(QString *why) const {
    {
        QMutexLocker lock(&holdMutex);
        while (hold)
            released.wait(&holdMutex);
    }
    if (!available && why)
        *why = QStringLiteral("the test's service is switched off");
    return available;
}

void FakeCloudPhotoLibrary::complete(std::function<void()> fn) {
    const int times = completeTwice ? 2 : 1;
    if (!late) {
        for (int i = 0; i < times; ++i)
            fn();
        return;
    }
    // Not waited for: the answer comes on its own, as the service's would.
    JobRunner::later([fn, times] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (int i = 0; i < times; ++i)
            fn();
    });
}

void FakeCloudPhotoLibrary::release() {
    QMutexLocker lock(&holdMutex);
    hold = false;
    released.wakeAll();
}

void FakeCloudPhotoLibrary::requestAuthorization(std::function<void(bool)> done) {
    const bool answer = granted;
    complete([done, answer] { done(answer); });
}

QList<CloudResource> FakeCloudPhotoLibrary::resources(const QString &photoUuid) {
    QList<CloudResource> out;
    for (const Served &s : std::as_const(served))
        if (s.resource.photoUuid == photoUuid)
            out << s.resource;
    return out;
}

void FakeCloudPhotoLibrary::writeResource(const CloudResource &resource, const QString &path,
                                          std::function<void(const QString &)> done) {
    Served found;
    for (const Served &s : std::as_const(served))
        if (s.resource.photoUuid == resource.photoUuid &&
            s.resource.originalFilename == resource.originalFilename)
            found = s;
    complete([found, path, done] {
        if (!found.error.isEmpty())
            return done(found.error);
        QFile f(path);
        // A second completion finds its file already written: the service wrote it once.
        if (f.exists())
            return done(QString());
        if (!f.open(QIODevice::NewOnly) || f.write(found.bytes) != found.bytes.size())
            return done(f.errorString());
        // Whole and closed before the completion, as the service hands over its files.
        f.close();
        done(f.error() == QFileDevice::NoError ? QString() : f.errorString());
    });
}

CloudPhotoLibrary &cloudPhotoLibrary() {
    static LinuxCloudPhotoLibrary onLinux;
    CloudPhotoLibrary *c = current.load();
    return c ? *c : onLinux;
}

void setCloudPhotoLibrary(CloudPhotoLibrary *library) {
    current.store(library);
}
