// The edit sheet: the metadata of the selected photo in fields the user may change.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/WindowDescription.h"
#include "metadata/MetadataMenus.h"

#include "platform/MapView.h"

#include <QDialog>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Tells the application object when editing of a field begins.
class BeginEditingFilter : public QObject {
  public:
    explicit BeginEditingFilter(AppDelegate &d, QObject *parent) : QObject(parent), m_d(d) {}

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::FocusIn)
            m_d.editSheet.control(watched);
        return false;
    }

  private:
    AppDelegate &m_d;
};

struct FieldRow {
    QLineEdit *EditSheetPart::*outlet;
    const char *name;
    const char *label;
};

// Wide enough for a date or a lens name; longer values scroll inside the field.
constexpr int kFieldMinimumWidth = 180;

// Labels keep their width and fields take the rest, never less than the minimum: what is
// typed, or the map appearing beside them, must not squeeze a field to a few letters.
QGroupBox *fieldGroup(AppDelegate &d, QWidget *parent, const QString &title,
                      std::initializer_list<FieldRow> rows, BeginEditingFilter *filter) {
    auto *box = new QGroupBox(title, parent);
    auto *form = new QFormLayout(box);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (const FieldRow &row : rows) {
        auto *field = new QLineEdit(box);
        field->setObjectName(QLatin1String(row.name));
        field->setMinimumWidth(kFieldMinimumWidth);
        field->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        field->installEventFilter(filter);
        QObject::connect(field, &QLineEdit::textEdited, &d,
                         [&d, field] { d.editSheet.controlTextDidChange(field); });
        d.editSheet.*(row.outlet) = field;
        auto *label = new QLabel(AppDelegate::tr(row.label), box);
        label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(field);
        form->addRow(label, field);
    }
    return box;
}

} // namespace

void buildEditSheetWindow(AppDelegate &d) {
    auto *sheet = new QDialog(d.window);
    sheet->setObjectName(QStringLiteral("eidtMetaWindow"));
    sheet->setWindowTitle(AppDelegate::tr("Edit Metadata"));
    sheet->setWindowModality(Qt::WindowModal);
    d.editSheet.eidtMetaWindow = sheet;
    // Until its menu item opens it, the sheet's jobs are named with that item's words.
    d.jobs().setJobActionTitle(sheet, AppDelegate::tr("Edit Photo Metadata"));
    auto *filter = new BeginEditingFilter(d, sheet);

    auto *columns = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    QGroupBox *description =
        fieldGroup(d, sheet, AppDelegate::tr("Description"),
                   {{&EditSheetPart::titlelab, "titlelab", "Title:"},
                    {&EditSheetPart::artistlab, "artistlab", "Artist:"},
                    {&EditSheetPart::imageDescrilab, "imageDescrilab", "Description:"},
                    {&EditSheetPart::copyrightlab, "copyrightlab", "Copyright:"},
                    {&EditSheetPart::commentslab, "commentslab", "Comments:"},
                    {&EditSheetPart::keywordslab, "keywordslab", "Keywords:"}},
                   filter);
    QGroupBox *position = fieldGroup(d, sheet, AppDelegate::tr("Position"),
                                     {{&EditSheetPart::gpsLatilab, "gpsLatilab", "Latitude:"},
                                      {&EditSheetPart::gpsLongtlab, "gpsLongtlab", "Longitude:"},
                                      {&EditSheetPart::gpsAitlab, "gpsAitlab", "Altitude:"}},
                                     filter);
    // The two groups of the column share one label width, so their fields line up.
    int labelWidth = 0;
    const QList<QGroupBox *> leftGroups{description, position};
    for (QGroupBox *group : leftGroups)
        for (QLabel *label : group->findChildren<QLabel *>())
            labelWidth = qMax(labelWidth, label->sizeHint().width());
    for (QGroupBox *group : leftGroups) {
        for (QLabel *label : group->findChildren<QLabel *>())
            label->setMinimumWidth(labelWidth);
        left->addWidget(group);
    }
    d.editSheet.gpsLatilab->setPlaceholderText(
        AppDelegate::tr("decimal degrees, negative for south"));
    d.editSheet.gpsLongtlab->setPlaceholderText(
        AppDelegate::tr("decimal degrees, negative for west"));
    // The altitude is shown for reference; an apply keeps the photo's own.
    d.editSheet.gpsAitlab->setReadOnly(true);
    d.editSheet.gpsAitlab->setToolTip(AppDelegate::tr("The altitude is kept as the photo has it."));
    d.editSheet.sheetLocationCitylab = new QLabel(sheet);
    d.editSheet.sheetLocationCitylab->setObjectName(QStringLiteral("sheetLocationCitylab"));
    d.editSheet.sheetLocationCitylab->setWordWrap(true);
    // A long place name wraps within the column instead of widening it.
    d.editSheet.sheetLocationCitylab->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    left->addWidget(d.editSheet.sheetLocationCitylab);
    d.editSheet.editMetaMapView = new PKMapView(sheet);
    d.editSheet.editMetaMapView->setObjectName(QStringLiteral("editMetaMapView"));
    d.editSheet.editMetaMapView->setMinimumSize(320, 180);
    // The map shows once a position is typed; its place is kept meanwhile, so the fields
    // beside it do not move.
    QSizePolicy mapPolicy = d.editSheet.editMetaMapView->sizePolicy();
    mapPolicy.setRetainSizeWhenHidden(true);
    d.editSheet.editMetaMapView->setSizePolicy(mapPolicy);
    left->addWidget(d.editSheet.editMetaMapView, 1);

    auto *right = new QVBoxLayout;
    right->addWidget(fieldGroup(
        d, sheet, AppDelegate::tr("Camera"),
        {{&EditSheetPart::cameraMakelab, "cameraMakelab", "Camera make:"},
         {&EditSheetPart::cameraModelab, "cameraModelab", "Camera model:"},
         {&EditSheetPart::cameraDatelab, "cameraDatelab", "Camera date:"},
         {&EditSheetPart::sheetLensMakelab, "lensMakelab", "Lens make:"},
         {&EditSheetPart::sheetLensModellab, "lensModellab", "Lens model:"},
         {&EditSheetPart::lensSerialNumlab, "lensSerialNumlab", "Lens serial number:"},
         {&EditSheetPart::imageOrientationlab, "imageOrientationlab", "Orientation:"},
         {&EditSheetPart::imageISOSpeedlab, "imageISOSpeedlab", "ISO speed:"},
         {&EditSheetPart::imageFNumberlab, "imageFNumberlab", "F-number:"},
         {&EditSheetPart::imageFlen35mmlab, "imageFlen35mmlab", "Focal length (35 mm):"},
         {&EditSheetPart::imageBrightlab, "imageBrightlab", "Brightness:"},
         {&EditSheetPart::imageAperturelab, "imageAperturelab", "Aperture value:"},
         {&EditSheetPart::imageWhiteBalancelab, "imageWhiteBalancelab", "White balance:"},
         {&EditSheetPart::imageExpotimelab, "imageExpotimelab", "Exposure time:"}},
        filter));
    d.editSheet.cameraDatelab->setPlaceholderText(QStringLiteral("YYYY:MM:DD HH:MM:SS"));
    d.editSheet.imageExpotimelab->setPlaceholderText(AppDelegate::tr("seconds, e.g. 1/125"));
    right->addStretch(1);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto *buttons = new QHBoxLayout;
    auto *cancel = new QPushButton(AppDelegate::tr("Cancel"), sheet);
    cancel->setObjectName(QStringLiteral("HideEditViewAction"));
    auto *apply = new QPushButton(AppDelegate::tr("Apply"), sheet);
    apply->setObjectName(QStringLiteral("ClickApplyChangeAction"));
    apply->setDefault(true);
    // Saves the fields as they stand as a template for the template import.
    auto *templateButton = new QPushButton(AppDelegate::tr("Save as Template"), sheet);
    templateButton->setObjectName(QStringLiteral("editTemplateBtn"));
    templateButton->setAutoDefault(false);
    QObject::connect(templateButton, &QPushButton::clicked, &d.jobs(),
                     [&menus = d.metadataMenus()] { menus.ExportTemplateDataToPlist(); });
    buttons->addWidget(templateButton);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(apply);

    auto *outer = new QVBoxLayout(sheet);
    outer->addLayout(columns, 1);
    outer->addLayout(buttons);
    QObject::connect(cancel, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&EditSheetPart::HideEditViewAction>);
    QObject::connect(apply, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&EditSheetPart::ClickApplyChangeAction>);
    // Escape and the window's close button cancel, as Cancel does.
    QObject::connect(sheet, &QDialog::rejected, &d,
                     &AppDelegate::forward<&EditSheetPart::HideEditViewAction>);
}
