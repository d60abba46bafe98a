#include "app/AppDelegate.h"
#include "app/core/LaunchArguments.h"
#include "app/core/UpdateCheck.h"
#include "platform/core/ImageLimits.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[]) {
    pinLocalTimeZone();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PhotoKestry"));
    QApplication::setApplicationDisplayName(QStringLiteral("Photo Kestry"));
    QApplication::setOrganizationName(QStringLiteral("PhotoKestry"));
    QApplication::setApplicationVersion(programVersion());
    // Ties the windows to data/photokestry.desktop, whose icon the desktop's task bar shows.
    QGuiApplication::setDesktopFileName(QStringLiteral("photokestry"));
    ImageLimits::applyToQt();
    AppDelegate delegate;
    delegate.launch();
    delegate.openLaunchPaths(launchPaths(app.arguments().mid(1), QDir::currentPath()));
    return app.exec();
}
