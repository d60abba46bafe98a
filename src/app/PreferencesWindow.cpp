// The preferences window: storage folder, overwrite choice and the stamp settings. Each set of
// exclusive choices is a group of radio buttons.
#include "app/PreferencesWindow.h"

#include "app/AppServices.h"
#include "app/Jobs.h"
#include "app/WindowDescription.h"

#include "platform/ChoiceButtons.h"
#include "platform/ColorWell.h"

#include <QAction>
#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

PreferencesWindow::PreferencesWindow(AppServices &services) : app(services) {}

PreferencesWindow::~PreferencesWindow() {
    qDeleteAll(ownWindows);
}

QAction *PreferencesWindow::addShowItem(QMenu *edit) {
    QAction *item =
        app.jobs().addMenuItem(edit, tr("Preferences…"), [this] { ShowPreferenceSetting(); });
    item->setShortcut(QKeySequence(QStringLiteral("Ctrl+,")));
    item->setObjectName(QStringLiteral("ShowPreferenceSetting"));
    return item;
}

void PreferencesWindow::build() {
    QWidget *w = newAuxiliaryWindow(ownWindows, "preferenceWindow", tr("Preferences"));
    preferenceWindow = w;
    // Closing the window from its title bar is a Cancel: the features read these controls.
    onWindowClose(w, [this] { CancelPreferenceSetting(); });
    w->setMinimumWidth(560);

    auto *layout = new QVBoxLayout(w);

    // Where changed photos go: two exclusive choices, the folder belonging to the first.
    auto *storage = new QGroupBox(tr("Changed photos"), w);
    auto *storageLayout = new QVBoxLayout(storage);
    unoverwritePhotoBtn =
        new QRadioButton(tr("Save the changed photos to another location:"), storage);
    unoverwritePhotoBtn->setObjectName(QStringLiteral("unoverwritePhotoBtn"));
    auto *pathRow = new QHBoxLayout;
    storePathlab = new QLabel(storage);
    storePathlab->setObjectName(QStringLiteral("storePathlab"));
    storePathlab->setTextInteractionFlags(Qt::TextSelectableByMouse);
    storePathlab->setWordWrap(true);
    auto *choose = new QPushButton(tr("Choose…"), storage);
    choose->setObjectName(QStringLiteral("ChangeStoreLocation"));
    pathRow->addSpacing(24);
    pathRow->addWidget(storePathlab, 1);
    pathRow->addWidget(choose);
    overwritePhotoBtn =
        new QRadioButton(tr("Overwrite original photos with the changed photos"), storage);
    overwritePhotoBtn->setObjectName(QStringLiteral("overwritePhotoBtn"));
    auto *storageChoice = new QButtonGroup(storage);
    storageChoice->addButton(unoverwritePhotoBtn);
    storageChoice->addButton(overwritePhotoBtn);
    storageLayout->addWidget(unoverwritePhotoBtn);
    storageLayout->addLayout(pathRow);
    storageLayout->addWidget(overwritePhotoBtn);
    layout->addWidget(storage);

    auto *stamps = new QGroupBox(tr("Stamps"), w);
    auto *form = new QFormLayout(stamps);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *fontRow = new QHBoxLayout;
    showFontlab = new QLabel(stamps);
    showFontlab->setObjectName(QStringLiteral("showFontlab"));
    auto *fontButton = new QPushButton(tr("Font…"), stamps);
    fontButton->setObjectName(QStringLiteral("ShowFontPanelAction"));
    fontRow->addWidget(showFontlab, 1);
    fontRow->addWidget(fontButton);
    form->addRow(tr("Font:"), fontRow);
    colorwell = new PKColorWell(stamps);
    colorwell->setObjectName(QStringLiteral("colorwell"));
    form->addRow(tr("Colour:"), colorwell);
    // The choices are the stored values. The corners lie as on the photo; each date with a
    // time stands beside the same date without one.
    postionBtn = new PKChoiceButtons(stamps);
    postionBtn->setObjectName(QStringLiteral("postionBtn"));
    postionBtn->setChoices(
        {QStringLiteral("Upper left corner"), QStringLiteral("Upper right corner"),
         QStringLiteral("Lower left corner"), QStringLiteral("Lower right corner")},
        QStringLiteral("Lower left corner"), 2);
    form->addRow(tr("Position:"), postionBtn);
    dateFormatBtn = new PKChoiceButtons(stamps);
    dateFormatBtn->setObjectName(QStringLiteral("dateFormatBtn"));
    dateFormatBtn->setChoices({QStringLiteral("MM/DD/YYYY HH:MM"),
                               QStringLiteral("DD/MM/YYYY HH:MM"),
                               QStringLiteral("YYYY/MM/DD HH:MM"), QStringLiteral("MM.DD.YYYY"),
                               QStringLiteral("DD.MM.YYYY"), QStringLiteral("YYYY.MM.DD")},
                              QStringLiteral("MM/DD/YYYY HH:MM"), 2, Qt::Vertical);
    form->addRow(tr("Date format:"), dateFormatBtn);
    auto *compression = new QVBoxLayout;
    compressStampPhotoBtn = new QRadioButton(tr("Lossless compression of changed photos"), stamps);
    compressStampPhotoBtn->setObjectName(QStringLiteral("compressStampPhotoBtn"));
    uncompressStampPhotoBtn = new QRadioButton(tr("Do not compress the changed photos"), stamps);
    uncompressStampPhotoBtn->setObjectName(QStringLiteral("uncompressStampPhotoBtn"));
    auto *compressChoice = new QButtonGroup(stamps);
    compressChoice->addButton(compressStampPhotoBtn);
    compressChoice->addButton(uncompressStampPhotoBtn);
    compression->addWidget(compressStampPhotoBtn);
    compression->addWidget(uncompressStampPhotoBtn);
    form->addRow(tr("Compression:"), compression);
    layout->addWidget(stamps);

    auto *buttons = new QHBoxLayout;
    auto *cancel = new QPushButton(tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("CancelPreferenceSetting"));
    auto *save = new QPushButton(tr("Save"), w);
    save->setObjectName(QStringLiteral("ResetPreferenceSetting"));
    save->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(save);
    layout->addLayout(buttons);

    QObject::connect(choose, &QPushButton::clicked, w, [this] { ChangeStoreLocation(); });
    QObject::connect(fontButton, &QPushButton::clicked, w, [this] { ShowFontPanelAction(); });
    QObject::connect(overwritePhotoBtn, &QRadioButton::clicked, w,
                     [this] { ClickOverwritePhotosSetting(); });
    QObject::connect(cancel, &QPushButton::clicked, w, [this] { CancelPreferenceSetting(); });
    QObject::connect(save, &QPushButton::clicked, w, [this] { ResetPreferenceSetting(); });
}
