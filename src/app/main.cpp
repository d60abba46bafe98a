#include "app/AppDelegate.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PhotoKestry"));
    QApplication::setApplicationDisplayName(QStringLiteral("Photo Kestry"));
    QApplication::setOrganizationName(QStringLiteral("PhotoKestry"));
    AppDelegate delegate;
    delegate.launch();
    return app.exec();
}
