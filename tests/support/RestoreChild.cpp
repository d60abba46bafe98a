// A stand-in for our program in the restore kill test: restores the newest backup of the
// library database given, stopping itself (SIGSTOP) at the step given so the test can kill
// it there.
#include "library/core/LibraryWorkingCopy.h"
#include "platform/core/PhotosApplication.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString original = QString::fromLocal8Bit(argv[1]);
    const int stopAt = QByteArray(argv[2]).toInt();
    setRestoreStepHook([stopAt](int step) {
        if (step == stopAt)
            std::raise(SIGSTOP);
    });
    LinuxPhotosApplication photos;
    const LibraryStepResult r =
        restoreLibraryDatabase(original, newestSoundBackup(original), photos);
    if (!r.ok)
        std::fprintf(stderr, "%s\n", qPrintable(r.reason));
    return r.ok ? 0 : 1;
}
