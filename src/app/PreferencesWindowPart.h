#pragma once

#include "app/PartBasics.h"

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
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit PreferencesWindowPart(AppDelegate &app) : d(app) {}

    QWidget *preferenceWindow = nullptr;
    QLabel *storePathlab = nullptr;
    QLabel *showFontlab = nullptr;
    PKColorWell *colorwell = nullptr;
    PKChoiceButtons *postionBtn = nullptr, *dateFormatBtn = nullptr;
    QRadioButton *compressStampPhotoBtn = nullptr, *uncompressStampPhotoBtn = nullptr;
    QRadioButton *unoverwritePhotoBtn = nullptr, *overwritePhotoBtn = nullptr;
    QPointer<QFontDialog> fontPanel;
    QPointer<QFileDialog> theChangePanel;

    // Preferences window.
    void ShowPreferenceSetting();
    void CancelPreferenceSetting();
    void ChangeStoreLocation();
    void openPanelDidEnd5(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    // Ticking "Overwrite original photos" asks once for a confirmation; Cancel unticks it.
    void ClickOverwritePhotosSetting();
    void ResetPreferenceSetting();
    // Shows `preferences` in the preferences window's controls.
    void showPreferencesInWindow();
    void ShowFontPanelAction();
    void changeFont(const QFont &font);
};
