// The preferences window: storage folder, overwrite choice and the stamp settings.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ColorWell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Closing the window from its title bar is a Cancel: the features read these controls.
class CloseIsCancel : public QObject {
  public:
    CloseIsCancel(AppDelegate &d, QObject *parent) : QObject(parent), m_d(d) {}
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Close)
            m_d.CancelPreferenceSetting();
        return false;
    }

  private:
    AppDelegate &m_d;
};
} // namespace

void buildPreferencesWindow(AppDelegate &d) {
    QWidget *w = newAuxiliaryWindow(d, "preferenceWindow", AppDelegate::tr("Preferences"));
    d.preferenceWindow = w;
    w->installEventFilter(new CloseIsCancel(d, w));
    w->setMinimumWidth(560);

    auto *layout = new QVBoxLayout(w);

    auto *storage = new QGroupBox(AppDelegate::tr("Changed photos"), w);
    auto *storageLayout = new QVBoxLayout(storage);
    d.unoverwritePhotoBtn = new QCheckBox(storage);
    d.unoverwritePhotoBtn->setObjectName(QStringLiteral("unoverwritePhotoBtn"));
    auto *pathRow = new QHBoxLayout;
    d.storePathlab = new QLabel(storage);
    d.storePathlab->setObjectName(QStringLiteral("storePathlab"));
    d.storePathlab->setTextInteractionFlags(Qt::TextSelectableByMouse);
    d.storePathlab->setWordWrap(true);
    auto *choose = new QPushButton(AppDelegate::tr("Choose…"), storage);
    choose->setObjectName(QStringLiteral("ChangeStoreLocation"));
    pathRow->addSpacing(24);
    pathRow->addWidget(d.storePathlab, 1);
    pathRow->addWidget(choose);
    d.overwritePhotoBtn = new QCheckBox(storage);
    d.overwritePhotoBtn->setObjectName(QStringLiteral("overwritePhotoBtn"));
    storageLayout->addWidget(d.unoverwritePhotoBtn);
    storageLayout->addLayout(pathRow);
    storageLayout->addWidget(d.overwritePhotoBtn);
    layout->addWidget(storage);

    auto *stamps = new QGroupBox(AppDelegate::tr("Stamps"), w);
    auto *form = new QFormLayout(stamps);
    auto *fontRow = new QHBoxLayout;
    d.showFontlab = new QLabel(stamps);
    d.showFontlab->setObjectName(QStringLiteral("showFontlab"));
    auto *fontButton = new QPushButton(AppDelegate::tr("Font…"), stamps);
    fontButton->setObjectName(QStringLiteral("ShowFontPanelAction"));
    fontRow->addWidget(d.showFontlab, 1);
    fontRow->addWidget(fontButton);
    form->addRow(AppDelegate::tr("Font:"), fontRow);
    d.colorwell = new PKColorWell(stamps);
    d.colorwell->setObjectName(QStringLiteral("colorwell"));
    form->addRow(AppDelegate::tr("Colour:"), d.colorwell);
    d.postionBtn = new QComboBox(stamps);
    d.postionBtn->setObjectName(QStringLiteral("postionBtn"));
    form->addRow(AppDelegate::tr("Position:"), d.postionBtn);
    d.dateFormatBtn = new QComboBox(stamps);
    d.dateFormatBtn->setObjectName(QStringLiteral("dateFormatBtn"));
    form->addRow(AppDelegate::tr("Date format:"), d.dateFormatBtn);
    d.compressStampPhotoBtn = new QCheckBox(stamps);
    d.compressStampPhotoBtn->setObjectName(QStringLiteral("compressStampPhotoBtn"));
    d.uncompressStampPhotoBtn = new QCheckBox(stamps);
    d.uncompressStampPhotoBtn->setObjectName(QStringLiteral("uncompressStampPhotoBtn"));
    form->addRow(d.compressStampPhotoBtn);
    form->addRow(d.uncompressStampPhotoBtn);
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

    QObject::connect(choose, &QPushButton::clicked, &d, &AppDelegate::ChangeStoreLocation);
    QObject::connect(fontButton, &QPushButton::clicked, &d, &AppDelegate::ShowFontPanelAction);
    QObject::connect(d.compressStampPhotoBtn, &QCheckBox::clicked, &d,
                     &AppDelegate::ClickCompressStampPhotosSetting);
    QObject::connect(d.uncompressStampPhotoBtn, &QCheckBox::clicked, &d,
                     &AppDelegate::ClickUnCompressStampPhotosSetting);
    QObject::connect(d.overwritePhotoBtn, &QCheckBox::clicked, &d,
                     &AppDelegate::ClickOverwritePhotosSetting);
    QObject::connect(d.unoverwritePhotoBtn, &QCheckBox::clicked, &d,
                     &AppDelegate::ClickUnOverwritePhotosSetting);
    QObject::connect(cancel, &QPushButton::clicked, &d, &AppDelegate::CancelPreferenceSetting);
    QObject::connect(save, &QPushButton::clicked, &d, &AppDelegate::ResetPreferenceSetting);
}
