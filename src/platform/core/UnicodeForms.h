#pragma once

#include <QString>

// `text` in Unicode normalization form `form`, as QString::normalized gives it, in time that
// grows with the text's length: Qt's own normalization moves the rest of the text at each
// change, so a library name of megabytes would take minutes. The text is normalized in pieces
// cut before characters that no neighbour composes or reorders with.
QString normalizedText(const QString &text, QString::NormalizationForm form);
