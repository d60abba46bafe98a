#include "browser/PRButton.h"

#include "browser/core/DragRules.h"
#include "platform/Artwork.h"
#include "platform/core/NotificationCenter.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace {
bool pressesTheButton(const QKeyEvent *event) {
    return event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
           event->key() == Qt::Key_Enter;
}
} // namespace

PRButton::PRButton(QWidget *parent) : QPushButton(parent) {
    setAttribute(Qt::WA_Hover);
}

PRButton::PRButton(const QString &text, QWidget *parent) : QPushButton(text, parent) {
    setAttribute(Qt::WA_Hover);
}

void PRButton::setImageName(const QString &name) {
    m_imageName = name;
    const QPixmap picture = namedImage(name);
    if (!picture.isNull()) {
        setIcon(QIcon(picture));
        setIconSize(picture.size());
    }
}

void PRButton::mousePressEvent(QMouseEvent *event) {
    event->accept();
    NotificationCenter::defaultCenter().postNotificationName(QLatin1String(kMybuttonMouseDown),
                                                             this);
}

void PRButton::mouseReleaseEvent(QMouseEvent *event) {
    event->accept();
}

void PRButton::keyPressEvent(QKeyEvent *event) {
    if (!pressesTheButton(event))
        return QPushButton::keyPressEvent(event);
    event->accept();
    // A key held down presses once.
    if (!event->isAutoRepeat())
        NotificationCenter::defaultCenter().postNotificationName(QLatin1String(kMybuttonMouseDown),
                                                                 this);
}

void PRButton::keyReleaseEvent(QKeyEvent *event) {
    if (!pressesTheButton(event))
        return QPushButton::keyReleaseEvent(event);
    event->accept();
}

void PRButton::enterEvent(QEnterEvent *event) {
    QPushButton::enterEvent(event);
    NotificationCenter::defaultCenter().postNotificationName(QLatin1String(kPRbuttonMouseEntered),
                                                             this);
}

void PRButton::leaveEvent(QEvent *event) {
    QPushButton::leaveEvent(event);
    NotificationCenter::defaultCenter().postNotificationName(QLatin1String(kPRbuttonMouseExited),
                                                             this);
}

void PRClosedButton::mousePressEvent(QMouseEvent *event) {
    event->accept();
    NotificationCenter::defaultCenter().postNotificationName(QLatin1String(kMyClosebuttonMouseDown),
                                                             this);
}

void PRClosedButton::mouseReleaseEvent(QMouseEvent *event) {
    event->accept();
}
