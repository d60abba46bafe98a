#include "app/AppLook.h"

#include "app/core/AppPalette.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

QFont optionFont() {
    QFont f = QApplication::font();
    f.setPointSize(12);
    return f;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/photokestry-%1.png").arg(size), QSize(size, size));
    return icon;
}

void applyApplicationLook() {
    // Fusion draws every control from the palette; the desktop's own style may not, and
    // would mix its light defaults into our dark windows.
    if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(applicationPalette());
    QApplication::setWindowIcon(applicationIcon());
}
