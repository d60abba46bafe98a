// The preferences window's actions: show, cancel, folder choice, the paired check boxes,
// save, and the stamp font.
#include "app/AppDelegate.h"

#include "app/core/Settings.h"
#include "platform/ColorWell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QMainWindow>

void AppDelegate::ShowPreferenceSetting() {
    if (!preferenceWindow)
        return;
    if (!preferenceWindow->isVisible() && window) {
        preferenceWindow->adjustSize();
        preferenceWindow->move(window->geometry().center() - preferenceWindow->rect().center());
    }
    preferenceWindow->show();
    preferenceWindow->raise();
    preferenceWindow->activateWindow();
}

void AppDelegate::CancelPreferenceSetting() {
    if (fontPanel)
        fontPanel->hide();
    // The features read these controls, so a cancelled change must not stay in them: put
    // back what is stored and what the program runs with.
    auto defaults = userDefaults();
    const auto text = [&](const char *key) {
        return defaults->value(QLatin1String(key)).toString();
    };
    if (storePathlab)
        storePathlab->setText(storagelocation);
    const bool compress = text(SettingsKey::PhotoCompress) == QLatin1String("YES");
    if (compressStampPhotoBtn && uncompressStampPhotoBtn) {
        compressStampPhotoBtn->setChecked(compress);
        uncompressStampPhotoBtn->setChecked(!compress);
    }
    const bool overwrite = text(SettingsKey::PhotoOverWrite) != QLatin1String("NO");
    if (overwritePhotoBtn && unoverwritePhotoBtn) {
        overwritePhotoBtn->setChecked(overwrite);
        unoverwritePhotoBtn->setChecked(!overwrite);
    }
    if (postionBtn && defaults->contains(QLatin1String(SettingsKey::Postion)))
        postionBtn->setCurrentText(text(SettingsKey::Postion));
    if (dateFormatBtn && defaults->contains(QLatin1String(SettingsKey::Dateformat)))
        dateFormatBtn->setCurrentText(text(SettingsKey::Dateformat));
    if (defaults->contains(QLatin1String(SettingsKey::fontName))) {
        currentFontname = text(SettingsKey::fontName);
        bool ok = false;
        const int size = defaults->value(QLatin1String(SettingsKey::fontsize)).toInt(&ok);
        currentFontSize = (ok && size > 0) ? size : kDefaultFontSize;
    }
    if (showFontlab)
        showFontlab->setText(QStringLiteral("%1 %2").arg(currentFontname).arg(currentFontSize));
    if (colorwell)
        colorwell->setColor(currentFontColor);
    if (preferenceWindow)
        preferenceWindow->hide();
}

void AppDelegate::ChangeStoreLocation() {
    auto *panel = new QFileDialog(preferenceWindow);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly, true);
    panel->setWindowModality(Qt::WindowModal);
    theChangePanel = panel;
    connect(panel, &QFileDialog::finished, this, [this, panel](int result) {
        openPanelDidEnd5(panel, result == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void AppDelegate::openPanelDidEnd5(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList chosen = panel->selectedFiles();
    if (!chosen.isEmpty() && storePathlab)
        storePathlab->setText(chosen.first());
}

void AppDelegate::ClickCompressStampPhotosSetting() {
    uncompressStampPhotoBtn->setChecked(!compressStampPhotoBtn->isChecked());
}

void AppDelegate::ClickUnCompressStampPhotosSetting() {
    compressStampPhotoBtn->setChecked(!uncompressStampPhotoBtn->isChecked());
}

void AppDelegate::ClickOverwritePhotosSetting() {
    unoverwritePhotoBtn->setChecked(!overwritePhotoBtn->isChecked());
}

void AppDelegate::ClickUnOverwritePhotosSetting() {
    overwritePhotoBtn->setChecked(!unoverwritePhotoBtn->isChecked());
}

void AppDelegate::ResetPreferenceSetting() {
    if (fontPanel)
        fontPanel->hide();
    if (colorwell)
        currentFontColor = colorwell->color();
    auto defaults = userDefaults();
    defaults->setValue(QLatin1String(SettingsKey::fontName), currentFontname);
    defaults->setValue(QLatin1String(SettingsKey::fontsize), currentFontSize);
    defaults->setValue(QLatin1String(SettingsKey::Postion), postionBtn->currentText());
    defaults->setValue(QLatin1String(SettingsKey::Dateformat), dateFormatBtn->currentText());
    storagelocation = storePathlab->text();
    defaults->setValue(QLatin1String(SettingsKey::PhotoCompress), compressStampPhotoBtn->isChecked()
                                                                      ? QStringLiteral("YES")
                                                                      : QStringLiteral("NO"));
    defaults->setValue(QLatin1String(SettingsKey::PhotoOverWrite), unoverwritePhotoBtn->isChecked()
                                                                       ? QStringLiteral("NO")
                                                                       : QStringLiteral("YES"));
    defaults->setValue(QLatin1String(SettingsKey::storagePath), storePathlab->text());
    defaults->sync();
    QString why;
    if (!createFolder(storagelocation, &why))
        reportFolderFailure(tr("The folder for changed photos could not be created."),
                            storagelocation, why);
    if (preferenceWindow)
        preferenceWindow->hide();
}

void AppDelegate::ShowFontPanelAction() {
    if (!fontPanel) {
        fontPanel = new QFontDialog(preferenceWindow);
        fontPanel->setOption(QFontDialog::NoButtons, true);
        connect(fontPanel, &QFontDialog::currentFontChanged, this, &AppDelegate::changeFont);
    }
    QFont start(QStringLiteral("Lucida Grande"));
    start.setPointSize(14);
    fontPanel->setCurrentFont(start);
    fontPanel->show();
    fontPanel->raise();
}

void AppDelegate::changeFont(const QFont &font) {
    if (font.family().isEmpty())
        return;
    currentFontname = font.family();
    currentFontSize = font.pointSize() > 0 ? font.pointSize() : currentFontSize;
    if (showFontlab)
        showFontlab->setText(QStringLiteral("%1 %2").arg(currentFontname).arg(currentFontSize));
}
