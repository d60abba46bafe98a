#pragma once

#include "batch/core/NamingEngine.h"

#include <QString>

class AppDelegate;
class QListView;

// The choices of the naming windows, copied from their controls on the main thread when a
// job starts, so that its workers read only values.
naming::TitleSettings titleSettingsOf(const AppDelegate &d, naming::TextKind kind);
naming::RenameSettings renameSettingsOf(const AppDelegate &d);

// "k/n" after each photo of a running job.
void connectRenameProgress(AppDelegate &d, class JobRunner *runner);

// Redraws the browser's cells (their names) without losing its selection.
void refreshBrowserCells(QListView *browser);

// The file name without its extension.
QString baseNameOf(const QString &fileName);
