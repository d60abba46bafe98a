#include "base/Logging.h"

Q_LOGGING_CATEGORY(lcApp, "pk.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcBrowser, "pk.browser", QtInfoMsg)
Q_LOGGING_CATEGORY(lcMetadata, "pk.metadata", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLibrary, "pk.library", QtInfoMsg)
Q_LOGGING_CATEGORY(lcBatch, "pk.batch", QtInfoMsg)
Q_LOGGING_CATEGORY(lcExport, "pk.export", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPlatform, "pk.platform", QtInfoMsg)
