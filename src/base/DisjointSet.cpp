#include "base/DisjointSet.h"

#include <QList>

QString DisjointSet::find(const QString &element) {
    auto it = m_parent.find(element);
    if (it == m_parent.end()) {
        m_parent.insert(element, element);
        return element;
    }
    // Iterative, so a long chain cannot exhaust the stack; every visited element is
    // then pointed straight at the root.
    QList<QString> path;
    QString current = element;
    for (;;) {
        const QString up = m_parent.value(current, current);
        if (up == current)
            break;
        path.append(current);
        current = up;
        if (path.size() > m_parent.size()) // a hand-set cycle: stop rather than spin
            break;
    }
    for (const QString &p : path)
        m_parent[p] = current;
    return current;
}

void DisjointSet::unionItem(const QString &a, const QString &b) {
    const QString rootA = find(a);
    const QString rootB = find(b);
    if (rootA != rootB)
        m_parent[rootB] = rootA;
}
