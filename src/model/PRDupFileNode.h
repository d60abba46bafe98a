#pragma once

#include "model/IKImageItem.h"

#include <QString>
#include <cstdint>
#include <memory>

// One file of a duplicate group.
class PRDupFileNode {
  public:
    QString fileName = QStringLiteral("");
    QString filePath; // null until set
    QString fileFullPath = QStringLiteral("");
    bool bSelected = false; // checked for deletion
    uint64_t fileNumber = 0;
    IKImageItemPtr theItem;
};

using PRDupFileNodePtr = std::shared_ptr<PRDupFileNode>;
