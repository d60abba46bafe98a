#include "app/AppDelegate.h"
#include "platform/core/ImageLimits.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PhotoKestry"));
    QApplication::setApplicationDisplayName(QStringLiteral("Photo Kestry"));
    QApplication::setOrganizationName(QStringLiteral("PhotoKestry"));
    ImageLimits::applyToQt();
    AppDelegate delegate;
    delegate.launch();
    return app.exec();
}
