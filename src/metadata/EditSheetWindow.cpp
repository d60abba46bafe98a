// The edit sheet: the metadata of the selected photo in fields the user may change.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

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
            m_d.control(watched);
        return false;
    }

  private:
    AppDelegate &m_d;
};

struct FieldRow {
    QLineEdit *AppDelegate::*outlet;
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
                         [&d, field] { d.controlTextDidChange(field); });
        d.*(row.outlet) = field;
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
    d.eidtMetaWindow = sheet;
    // Until its menu item opens it, the sheet's jobs are named with that item's words.
    d.setJobActionTitle(sheet, AppDelegate::tr("Edit Photo Metadata"));
    auto *filter = new BeginEditingFilter(d, sheet);

    auto *columns = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    QGroupBox *description =
        fieldGroup(d, sheet, AppDelegate::tr("Description"),
                   {{&AppDelegate::titlelab, "titlelab", "Title:"},
                    {&AppDelegate::artistlab, "artistlab", "Artist:"},
                    {&AppDelegate::imageDescrilab, "imageDescrilab", "Description:"},
                    {&AppDelegate::copyrightlab, "copyrightlab", "Copyright:"},
                    {&AppDelegate::commentslab, "commentslab", "Comments:"},
                    {&AppDelegate::keywordslab, "keywordslab", "Keywords:"}},
                   filter);
    QGroupBox *position = fieldGroup(d, sheet, AppDelegate::tr("Position"),
                                     {{&AppDelegate::gpsLatilab, "gpsLatilab", "Latitude:"},
                                      {&AppDelegate::gpsLongtlab, "gpsLongtlab", "Longitude:"},
                                      {&AppDelegate::gpsAitlab, "gpsAitlab", "Altitude:"}},
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
    d.gpsLatilab->setPlaceholderText(AppDelegate::tr("decimal degrees, negative for south"));
    d.gpsLongtlab->setPlaceholderText(AppDelegate::tr("decimal degrees, negative for west"));
    // The altitude is shown for reference; an apply keeps the photo's own.
    d.gpsAitlab->setReadOnly(true);
    d.gpsAitlab->setToolTip(AppDelegate::tr("The altitude is kept as the photo has it."));
    d.sheetLocationCitylab = new QLabel(sheet);
    d.sheetLocationCitylab->setObjectName(QStringLiteral("sheetLocationCitylab"));
    d.sheetLocationCitylab->setWordWrap(true);
    // A long place name wraps within the column instead of widening it.
    d.sheetLocationCitylab->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    left->addWidget(d.sheetLocationCitylab);
    d.editMetaMapView = new PKMapView(sheet);
    d.editMetaMapView->setObjectName(QStringLiteral("editMetaMapView"));
    d.editMetaMapView->setMinimumSize(320, 180);
    // The map shows once a position is typed; its place is kept meanwhile, so the fields
    // beside it do not move.
    QSizePolicy mapPolicy = d.editMetaMapView->sizePolicy();
    mapPolicy.setRetainSizeWhenHidden(true);
    d.editMetaMapView->setSizePolicy(mapPolicy);
    left->addWidget(d.editMetaMapView, 1);

    auto *right = new QVBoxLayout;
    right->addWidget(
        fieldGroup(d, sheet, AppDelegate::tr("Camera"),
                   {{&AppDelegate::cameraMakelab, "cameraMakelab", "Camera make:"},
                    {&AppDelegate::cameraModelab, "cameraModelab", "Camera model:"},
                    {&AppDelegate::cameraDatelab, "cameraDatelab", "Camera date:"},
                    {&AppDelegate::sheetLensMakelab, "lensMakelab", "Lens make:"},
                    {&AppDelegate::sheetLensModellab, "lensModellab", "Lens model:"},
                    {&AppDelegate::lensSerialNumlab, "lensSerialNumlab", "Lens serial number:"},
                    {&AppDelegate::imageOrientationlab, "imageOrientationlab", "Orientation:"},
                    {&AppDelegate::imageISOSpeedlab, "imageISOSpeedlab", "ISO speed:"},
                    {&AppDelegate::imageFNumberlab, "imageFNumberlab", "F-number:"},
                    {&AppDelegate::imageFlen35mmlab, "imageFlen35mmlab", "Focal length (35 mm):"},
                    {&AppDelegate::imageBrightlab, "imageBrightlab", "Brightness:"},
                    {&AppDelegate::imageAperturelab, "imageAperturelab", "Aperture value:"},
                    {&AppDelegate::imageWhiteBalancelab, "imageWhiteBalancelab", "White balance:"},
                    {&AppDelegate::imageExpotimelab, "imageExpotimelab", "Exposure time:"}},
                   filter));
    d.cameraDatelab->setPlaceholderText(QStringLiteral("YYYY:MM:DD HH:MM:SS"));
    d.imageExpotimelab->setPlaceholderText(AppDelegate::tr("seconds, e.g. 1/125"));
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
    QObject::connect(templateButton, &QPushButton::clicked, &d,
                     &AppDelegate::ExportTemplateDataToPlist);
    buttons->addWidget(templateButton);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(apply);

    auto *outer = new QVBoxLayout(sheet);
    outer->addLayout(columns, 1);
    outer->addLayout(buttons);
    QObject::connect(cancel, &QPushButton::clicked, &d, &AppDelegate::HideEditViewAction);
    QObject::connect(apply, &QPushButton::clicked, &d, &AppDelegate::ClickApplyChangeAction);
    // Escape and the window's close button cancel, as Cancel does.
    QObject::connect(sheet, &QDialog::rejected, &d, &AppDelegate::HideEditViewAction);
}
