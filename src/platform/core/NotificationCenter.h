#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

// The process's default notification centre: controls post a name with themselves as
// the object, and every observer of that name runs at once, in the order it registered,
// on the posting thread (the main thread for every control).
class NotificationCenter {
  public:
    using Handler = std::function<void(QObject *object)>;

    static NotificationCenter &defaultCenter();

    // The observation ends when `observer` is destroyed or removed.
    void addObserver(QObject *observer, const QString &name, Handler handler);
    void removeObserver(QObject *observer);
    void postNotificationName(const QString &name, QObject *object);

  private:
    struct Observation {
        QPointer<QObject> observer;
        QString name;
        Handler handler;
    };
    QList<Observation> m_observations;
};
