#pragma once

#include <QCoreApplication>
#include <QList>
#include <QPointer>

class AppServices;
class PKChoiceButtons;
class PKColorWell;
class QAction;
class QFileDialog;
class QFont;
class QFontDialog;
class QLabel;
class QMenu;
class QRadioButton;
class QWidget;

// The preferences window: the folder for changed photos, the overwrite choice and the
// stamps' settings, saved to the user's defaults.
class PreferencesWindow {
    Q_DECLARE_TR_FUNCTIONS(PreferencesWindow)
  public:
    explicit PreferencesWindow(AppServices &app);
    ~PreferencesWindow();

    void build();
    // The Preferences… item of the Edit menu, with its shortcut.
    QAction *addShowItem(QMenu *edit);

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
    // The open folder panel of ChangeStoreLocation and the font panel, while they exist.
    QFileDialog *folderPanel() const;
    QFontDialog *fontDialog() const;

  private:
    AppServices &app;
    QList<QWidget *> ownWindows; // the windows built without a parent

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
