#pragma once

#include <QHash>
#include <QString>

// Union-find over strings; a root is its own parent.
class DisjointSet {
  public:
    DisjointSet() = default;
    // The root of the element; an unknown element becomes its own root.
    QString find(const QString &element);
    // Joins the two sets: the root of b gets the root of a as parent.
    void unionItem(const QString &a, const QString &b);

    const QHash<QString, QString> &parent() const { return m_parent; }
    void setParent(const QHash<QString, QString> &parent) { m_parent = parent; }

  private:
    QHash<QString, QString> m_parent;
};
