// The preferences window: storage folder, overwrite choice and the stamp settings. Each set of
// exclusive choices is a group of radio buttons.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ChoiceButtons.h"
#include "platform/ColorWell.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

void buildPreferencesWindow(AppDelegate &d) {
    QWidget *w = newAuxiliaryWindow(d, "preferenceWindow", AppDelegate::tr("Preferences"));
    d.preferencesWindow.preferenceWindow = w;
    // Closing the window from its title bar is a Cancel: the features read these controls.
    onWindowClose(w, [&d] { d.preferencesWindow.CancelPreferenceSetting(); });
    w->setMinimumWidth(560);

    auto *layout = new QVBoxLayout(w);

    // Where changed photos go: two exclusive choices, the folder belonging to the first.
    auto *storage = new QGroupBox(AppDelegate::tr("Changed photos"), w);
    auto *storageLayout = new QVBoxLayout(storage);
    d.preferencesWindow.unoverwritePhotoBtn =
        new QRadioButton(AppDelegate::tr("Save the changed photos to another location:"), storage);
    d.preferencesWindow.unoverwritePhotoBtn->setObjectName(QStringLiteral("unoverwritePhotoBtn"));
    auto *pathRow = new QHBoxLayout;
    d.preferencesWindow.storePathlab = new QLabel(storage);
    d.preferencesWindow.storePathlab->setObjectName(QStringLiteral("storePathlab"));
    d.preferencesWindow.storePathlab->setTextInteractionFlags(Qt::TextSelectableByMouse);
    d.preferencesWindow.storePathlab->setWordWrap(true);
    auto *choose = new QPushButton(AppDelegate::tr("Choose…"), storage);
    choose->setObjectName(QStringLiteral("ChangeStoreLocation"));
    pathRow->addSpacing(24);
    pathRow->addWidget(d.preferencesWindow.storePathlab, 1);
    pathRow->addWidget(choose);
    d.preferencesWindow.overwritePhotoBtn = new QRadioButton(
        AppDelegate::tr("Overwrite original photos with the changed photos"), storage);
    d.preferencesWindow.overwritePhotoBtn->setObjectName(QStringLiteral("overwritePhotoBtn"));
    auto *storageChoice = new QButtonGroup(storage);
    storageChoice->addButton(d.preferencesWindow.unoverwritePhotoBtn);
    storageChoice->addButton(d.preferencesWindow.overwritePhotoBtn);
    storageLayout->addWidget(d.preferencesWindow.unoverwritePhotoBtn);
    storageLayout->addLayout(pathRow);
    storageLayout->addWidget(d.preferencesWindow.overwritePhotoBtn);
    layout->addWidget(storage);

    auto *stamps = new QGroupBox(AppDelegate::tr("Stamps"), w);
    auto *form = new QFormLayout(stamps);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *fontRow = new QHBoxLayout;
    d.preferencesWindow.showFontlab = new QLabel(stamps);
    d.preferencesWindow.showFontlab->setObjectName(QStringLiteral("showFontlab"));
    auto *fontButton = new QPushButton(AppDelegate::tr("Font…"), stamps);
    fontButton->setObjectName(QStringLiteral("ShowFontPanelAction"));
    fontRow->addWidget(d.preferencesWindow.showFontlab, 1);
    fontRow->addWidget(fontButton);
    form->addRow(AppDelegate::tr("Font:"), fontRow);
    d.preferencesWindow.colorwell = new PKColorWell(stamps);
    d.preferencesWindow.colorwell->setObjectName(QStringLiteral("colorwell"));
    form->addRow(AppDelegate::tr("Colour:"), d.preferencesWindow.colorwell);
    // The choices are the stored values. The corners lie as on the photo; each date with a
    // time stands beside the same date without one.
    d.preferencesWindow.postionBtn = new PKChoiceButtons(stamps);
    d.preferencesWindow.postionBtn->setObjectName(QStringLiteral("postionBtn"));
    d.preferencesWindow.postionBtn->setChoices(
        {QStringLiteral("Upper left corner"), QStringLiteral("Upper right corner"),
         QStringLiteral("Lower left corner"), QStringLiteral("Lower right corner")},
        QStringLiteral("Lower left corner"), 2);
    form->addRow(AppDelegate::tr("Position:"), d.preferencesWindow.postionBtn);
    d.preferencesWindow.dateFormatBtn = new PKChoiceButtons(stamps);
    d.preferencesWindow.dateFormatBtn->setObjectName(QStringLiteral("dateFormatBtn"));
    d.preferencesWindow.dateFormatBtn->setChoices(
        {QStringLiteral("MM/DD/YYYY HH:MM"), QStringLiteral("DD/MM/YYYY HH:MM"),
         QStringLiteral("YYYY/MM/DD HH:MM"), QStringLiteral("MM.DD.YYYY"),
         QStringLiteral("DD.MM.YYYY"), QStringLiteral("YYYY.MM.DD")},
        QStringLiteral("MM/DD/YYYY HH:MM"), 2, Qt::Vertical);
    form->addRow(AppDelegate::tr("Date format:"), d.preferencesWindow.dateFormatBtn);
    auto *compression = new QVBoxLayout;
    d.preferencesWindow.compressStampPhotoBtn =
        new QRadioButton(AppDelegate::tr("Lossless compression of changed photos"), stamps);
    d.preferencesWindow.compressStampPhotoBtn->setObjectName(
        QStringLiteral("compressStampPhotoBtn"));
    d.preferencesWindow.uncompressStampPhotoBtn =
        new QRadioButton(AppDelegate::tr("Do not compress the changed photos"), stamps);
    d.preferencesWindow.uncompressStampPhotoBtn->setObjectName(
        QStringLiteral("uncompressStampPhotoBtn"));
    auto *compressChoice = new QButtonGroup(stamps);
    compressChoice->addButton(d.preferencesWindow.compressStampPhotoBtn);
    compressChoice->addButton(d.preferencesWindow.uncompressStampPhotoBtn);
    compression->addWidget(d.preferencesWindow.compressStampPhotoBtn);
    compression->addWidget(d.preferencesWindow.uncompressStampPhotoBtn);
    form->addRow(AppDelegate::tr("Compression:"), compression);
    layout->addWidget(stamps);

    auto *buttons = new QHBoxLayout;
    auto *cancel = new QPushButton(AppDelegate::tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("CancelPreferenceSetting"));
    auto *save = new QPushButton(AppDelegate::tr("Save"), w);
    save->setObjectName(QStringLiteral("ResetPreferenceSetting"));
    save->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(save);
    layout->addLayout(buttons);

    QObject::connect(choose, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&PreferencesWindowPart::ChangeStoreLocation>);
    QObject::connect(fontButton, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&PreferencesWindowPart::ShowFontPanelAction>);
    QObject::connect(d.preferencesWindow.overwritePhotoBtn, &QRadioButton::clicked, &d,
                     &AppDelegate::forward<&PreferencesWindowPart::ClickOverwritePhotosSetting>);
    QObject::connect(cancel, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&PreferencesWindowPart::CancelPreferenceSetting>);
    QObject::connect(save, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&PreferencesWindowPart::ResetPreferenceSetting>);
}
