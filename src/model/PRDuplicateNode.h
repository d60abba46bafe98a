#pragma once

#include "model/PRDupFileNode.h"

#include <QList>
#include <QString>
#include <cstdint>

// One group of files the duplicate finder judged equal.
class PRDuplicateNode {
  public:
    QString fileName;
    QString fileSize;
    QString filePath;
    uint64_t fileNumber = 0;
    QString fileType;
    bool bSameName = false;

    // The group keeps its own list: the caller's list is copied, never shared, so a
    // caller that changes its list afterwards leaves the group as it was.
    void setFileChildren(const QList<PRDupFileNodePtr> &children) {
        if (&children == &m_fileChildren)
            return;
        m_fileChildren = children;
        m_fileChildren.detach();
    }
    // The held list itself, so callers may change the group's members in place.
    QList<PRDupFileNodePtr> &fileChildren() { return m_fileChildren; }
    const QList<PRDupFileNodePtr> &fileChildren() const { return m_fileChildren; }

  private:
    QList<PRDupFileNodePtr> m_fileChildren;
};

using PRDuplicateNodePtr = std::shared_ptr<PRDuplicateNode>;
