// The preferences window's actions: show, cancel, folder choice, the overwrite confirmation,
// save, and the stamp font.
#include "app/PreferencesWindow.h"

#include "app/AppServices.h"
#include "app/Sheets.h"

#include "app/core/Settings.h"
#include "platform/ChoiceButtons.h"
#include "platform/ColorWell.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

void PreferencesWindow::ShowPreferenceSetting() {
    if (!preferenceWindow)
        return;
    if (!preferenceWindow->isVisible() && app.mainWindow()) {
        preferenceWindow->adjustSize();
        preferenceWindow->move(app.mainWindow()->geometry().center() -
                               preferenceWindow->rect().center());
    }
    preferenceWindow->show();
    preferenceWindow->raise();
    preferenceWindow->activateWindow();
}

void PreferencesWindow::showPreferencesInWindow() {
    const Preferences &p = app.preferences();
    if (storePathlab)
        storePathlab->setText(p.storagelocation);
    // In a group of radio buttons only ticking one unticks the other.
    if (compressStampPhotoBtn && uncompressStampPhotoBtn)
        (p.compress ? compressStampPhotoBtn : uncompressStampPhotoBtn)->setChecked(true);
    if (overwritePhotoBtn && unoverwritePhotoBtn)
        (p.overwrite ? overwritePhotoBtn : unoverwritePhotoBtn)->setChecked(true);
    if (postionBtn)
        postionBtn->setCurrentText(p.postion);
    if (dateFormatBtn)
        dateFormatBtn->setCurrentText(p.dateformat);
    if (showFontlab)
        showFontlab->setText(QStringLiteral("%1 %2").arg(p.currentFontname).arg(p.currentFontSize));
    if (colorwell)
        colorwell->setColor(p.currentFontColor);
}

void PreferencesWindow::CancelPreferenceSetting() {
    if (fontPanel)
        fontPanel->hide();
    // A cancelled change must not stay in the window: put back what the program runs with.
    // The font panel changes the font as it goes, so the font comes back from the store.
    auto defaults = userDefaults();
    if (defaults->contains(QLatin1String(SettingsKey::fontName))) {
        app.preferences().currentFontname =
            installedFontFamily(defaults->value(QLatin1String(SettingsKey::fontName)).toString());
        bool ok = false;
        const int size = defaults->value(QLatin1String(SettingsKey::fontsize)).toInt(&ok);
        app.preferences().currentFontSize = (ok && size > 0) ? size : kDefaultFontSize;
    }
    showPreferencesInWindow();
    if (preferenceWindow)
        preferenceWindow->hide();
}

void PreferencesWindow::ChangeStoreLocation() {
    auto *panel = new QFileDialog(preferenceWindow);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly, true);
    panel->setWindowModality(Qt::WindowModal);
    theChangePanel = panel;
    QObject::connect(panel, &QFileDialog::finished, panel, [this, panel](int result) {
        openPanelDidEnd5(panel, result == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void PreferencesWindow::openPanelDidEnd5(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList chosen = panel->selectedFiles();
    if (!chosen.isEmpty() && storePathlab)
        storePathlab->setText(chosen.first());
}

void PreferencesWindow::ClickOverwritePhotosSetting() {
    // Asked only when the tick turns overwriting on, and only until the user has confirmed
    // it once; a setting already on was chosen before.
    if (!overwritePhotoBtn->isChecked() || app.preferences().overwrite ||
        userDefaults()->value(QLatin1String(SettingsKey::OverwriteOriginalsConfirmed)).toBool())
        return;
    auto *question = new QMessageBox(preferenceWindow);
    question->setWindowModality(Qt::WindowModal);
    question->setIcon(QMessageBox::Warning);
    question->setText(tr("Overwrite the original photos?"));
    question->setInformativeText(
        tr("Every edit will then replace the original file of the photo. No copy of the photo as "
           "it was is kept."));
    QPushButton *confirm = question->addButton(tr("Overwrite Originals"), QMessageBox::AcceptRole);
    QPushButton *cancel = question->addButton(tr("Cancel"), QMessageBox::RejectRole);
    // Return and Escape keep the originals.
    question->setDefaultButton(cancel);
    question->setEscapeButton(cancel);
    QObject::connect(question, &QMessageBox::finished, question, [this, question, confirm] {
        if (question->clickedButton() == confirm)
            userDefaults()->setValue(QLatin1String(SettingsKey::OverwriteOriginalsConfirmed), true);
        else if (unoverwritePhotoBtn)
            unoverwritePhotoBtn->setChecked(true);
        question->deleteLater();
    });
    question->open();
}

void PreferencesWindow::ResetPreferenceSetting() {
    if (fontPanel)
        fontPanel->hide();
    if (colorwell)
        app.preferences().currentFontColor = colorwell->color();
    app.preferences().postion = postionBtn->currentText();
    app.preferences().dateformat = dateFormatBtn->currentText();
    app.preferences().storagelocation = storePathlab->text();
    app.preferences().compress = compressStampPhotoBtn->isChecked();
    app.preferences().overwrite = overwritePhotoBtn->isChecked();
    storePreferences(*userDefaults(), app.preferences());
    QString why;
    if (!createFolder(app.preferences().storagelocation, &why))
        app.sheets().reportFolderFailure(tr("The folder for changed photos could not be created."),
                                         app.preferences().storagelocation, why);
    if (preferenceWindow)
        preferenceWindow->hide();
}

void PreferencesWindow::ShowFontPanelAction() {
    if (!fontPanel) {
        fontPanel = new QFontDialog(preferenceWindow);
        fontPanel->setOption(QFontDialog::NoButtons, true);
        QObject::connect(fontPanel, &QFontDialog::currentFontChanged, fontPanel,
                         [this](const QFont &font) { changeFont(font); });
    }
    QFont start(installedFontFamily(app.preferences().currentFontname));
    start.setPointSize(app.preferences().currentFontSize);
    fontPanel->setCurrentFont(start);
    fontPanel->show();
    fontPanel->raise();
}

void PreferencesWindow::changeFont(const QFont &font) {
    if (font.family().isEmpty())
        return;
    app.preferences().currentFontname = font.family();
    app.preferences().currentFontSize =
        font.pointSize() > 0 ? font.pointSize() : app.preferences().currentFontSize;
    if (showFontlab)
        showFontlab->setText(QStringLiteral("%1 %2")
                                 .arg(app.preferences().currentFontname)
                                 .arg(app.preferences().currentFontSize));
}

QFileDialog *PreferencesWindow::folderPanel() const {
    return theChangePanel;
}

QFontDialog *PreferencesWindow::fontDialog() const {
    return fontPanel;
}
