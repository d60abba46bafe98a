#pragma once

#include <QPointer>

class PKChoiceButtons;
class PKColorWell;
class QFileDialog;
class QFontDialog;
class QLabel;
class QRadioButton;
class QWidget;

// The preferences window's controls.
struct PreferencesWindowPart {
    QWidget *preferenceWindow = nullptr;
    QLabel *storePathlab = nullptr;
    QLabel *showFontlab = nullptr;
    PKColorWell *colorwell = nullptr;
    PKChoiceButtons *postionBtn = nullptr, *dateFormatBtn = nullptr;
    QRadioButton *compressStampPhotoBtn = nullptr, *uncompressStampPhotoBtn = nullptr;
    QRadioButton *unoverwritePhotoBtn = nullptr, *overwritePhotoBtn = nullptr;
    QPointer<QFontDialog> fontPanel;
    QPointer<QFileDialog> theChangePanel;
};
