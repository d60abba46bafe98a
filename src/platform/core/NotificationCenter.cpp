#include "platform/core/NotificationCenter.h"

NotificationCenter &NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(QObject *observer, const QString &name, Handler handler) {
    m_observations.append({observer, name, std::move(handler)});
}

void NotificationCenter::removeObserver(QObject *observer) {
    m_observations.removeIf([observer](const Observation &o) { return o.observer == observer; });
}

void NotificationCenter::postNotificationName(const QString &name, QObject *object) {
    m_observations.removeIf([](const Observation &o) { return o.observer.isNull(); });
    // A handler may add or remove observers: deliver to those registered at the post.
    const QList<Observation> now = m_observations;
    for (const Observation &o : now)
        if (o.name == name && !o.observer.isNull())
            o.handler(object);
}
