#pragma once

#include "batch/core/NamingEngine.h"

#include <QString>

class QListView;

// Redraws the browser's cells (their names) without losing its selection.
void refreshBrowserCells(QListView *browser);

// The file name without its extension.
QString baseNameOf(const QString &fileName);
