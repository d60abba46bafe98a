#pragma once

// One logging category per subsystem. Debug output is off unless asked for, e.g.
// QT_LOGGING_RULES="pk.metadata.debug=true"; information, warnings and errors always show.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)      // pk.app
Q_DECLARE_LOGGING_CATEGORY(lcBrowser)  // pk.browser
Q_DECLARE_LOGGING_CATEGORY(lcMetadata) // pk.metadata
Q_DECLARE_LOGGING_CATEGORY(lcLibrary)  // pk.library
Q_DECLARE_LOGGING_CATEGORY(lcBatch)    // pk.batch
Q_DECLARE_LOGGING_CATEGORY(lcExport)   // pk.export
Q_DECLARE_LOGGING_CATEGORY(lcPlatform) // pk.platform
