#pragma once

#include <QPixmap>
#include <QString>

// The program's pictures by name ("bgroud.png", "Close_Nom.png", ...). All are drawn
// here in code; an unknown name gives a null pixmap, which leaves its view empty.
QPixmap namedImage(const QString &name);
