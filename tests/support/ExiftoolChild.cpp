// A stand-in for our program in the helper-cleanup test: starts the exiftool session, prints
// exiftool's process id and waits to be killed.
#include "platform/core/ExiftoolSession.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    ExiftoolSession session;
    QByteArray out;
    QString error;
    if (!session.run({QStringLiteral("-ver")}, &out, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("%lld\n", static_cast<long long>(session.processId()));
    std::fflush(stdout);
    for (;;)
        ::pause();
}
