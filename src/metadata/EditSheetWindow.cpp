// The edit sheet: the metadata of the selected photo in fields the user may change.
#include "metadata/EditSheet.h"

#include "app/AppServices.h"
#include "app/Jobs.h"

#include "platform/MapView.h"

#include <QAction>
#include <QDialog>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Tells the sheet when editing of a field begins.
class BeginEditingFilter : public QObject {
  public:
    explicit BeginEditingFilter(EditSheet &sheet, QObject *parent)
        : QObject(parent), m_sheet(sheet) {}

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::FocusIn)
            m_sheet.control(watched);
        return false;
    }

  private:
    EditSheet &m_sheet;
};

struct FieldRow {
    QLineEdit *EditSheet::*outlet;
    const char *name;
    const char *label;
};

// Wide enough for a date or a lens name; longer values scroll inside the field.
constexpr int kFieldMinimumWidth = 180;

// Labels keep their width and fields take the rest, never less than the minimum: what is
// typed, or the map appearing beside them, must not squeeze a field to a few letters.
QGroupBox *fieldGroup(EditSheet &sheet, QWidget *parent, const QString &title,
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
        QObject::connect(field, &QLineEdit::textEdited, parent,
                         [&sheet, field] { sheet.controlTextDidChange(field); });
        sheet.*(row.outlet) = field;
        auto *label = new QLabel(EditSheet::tr(row.label), box);
        label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(field);
        form->addRow(label, field);
    }
    return box;
}

} // namespace

void EditSheet::build() {
    auto *sheet = new QDialog(app.mainWindow());
    sheet->setObjectName(QStringLiteral("eidtMetaWindow"));
    sheet->setWindowTitle(tr("Edit Metadata"));
    sheet->setWindowModality(Qt::WindowModal);
    eidtMetaWindow = sheet;
    // Until its menu item opens it, the sheet's jobs are named with that item's words.
    app.jobs().setJobActionTitle(sheet, tr("Edit Photo Metadata"));
    auto *filter = new BeginEditingFilter(*this, sheet);

    auto *columns = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    QGroupBox *description =
        fieldGroup(*this, sheet, tr("Description"),
                   {{&EditSheet::titlelab, "titlelab", "Title:"},
                    {&EditSheet::artistlab, "artistlab", "Artist:"},
                    {&EditSheet::imageDescrilab, "imageDescrilab", "Description:"},
                    {&EditSheet::copyrightlab, "copyrightlab", "Copyright:"},
                    {&EditSheet::commentslab, "commentslab", "Comments:"},
                    {&EditSheet::keywordslab, "keywordslab", "Keywords:"}},
                   filter);
    QGroupBox *position = fieldGroup(*this, sheet, tr("Position"),
                                     {{&EditSheet::gpsLatilab, "gpsLatilab", "Latitude:"},
                                      {&EditSheet::gpsLongtlab, "gpsLongtlab", "Longitude:"},
                                      {&EditSheet::gpsAitlab, "gpsAitlab", "Altitude:"}},
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
    gpsLatilab->setPlaceholderText(tr("decimal degrees, negative for south"));
    gpsLongtlab->setPlaceholderText(tr("decimal degrees, negative for west"));
    // The altitude is shown for reference; an apply keeps the photo's own.
    gpsAitlab->setReadOnly(true);
    gpsAitlab->setToolTip(tr("The altitude is kept as the photo has it."));
    sheetLocationCitylab = new QLabel(sheet);
    sheetLocationCitylab->setObjectName(QStringLiteral("sheetLocationCitylab"));
    sheetLocationCitylab->setWordWrap(true);
    // A long place name wraps within the column instead of widening it.
    sheetLocationCitylab->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    left->addWidget(sheetLocationCitylab);
    editMetaMapView = new PKMapView(sheet);
    editMetaMapView->setObjectName(QStringLiteral("editMetaMapView"));
    editMetaMapView->setMinimumSize(320, 180);
    // The map shows once a position is typed; its place is kept meanwhile, so the fields
    // beside it do not move.
    QSizePolicy mapPolicy = editMetaMapView->sizePolicy();
    mapPolicy.setRetainSizeWhenHidden(true);
    editMetaMapView->setSizePolicy(mapPolicy);
    left->addWidget(editMetaMapView, 1);

    auto *right = new QVBoxLayout;
    right->addWidget(
        fieldGroup(*this, sheet, tr("Camera"),
                   {{&EditSheet::cameraMakelab, "cameraMakelab", "Camera make:"},
                    {&EditSheet::cameraModelab, "cameraModelab", "Camera model:"},
                    {&EditSheet::cameraDatelab, "cameraDatelab", "Camera date:"},
                    {&EditSheet::sheetLensMakelab, "lensMakelab", "Lens make:"},
                    {&EditSheet::sheetLensModellab, "lensModellab", "Lens model:"},
                    {&EditSheet::lensSerialNumlab, "lensSerialNumlab", "Lens serial number:"},
                    {&EditSheet::imageOrientationlab, "imageOrientationlab", "Orientation:"},
                    {&EditSheet::imageISOSpeedlab, "imageISOSpeedlab", "ISO speed:"},
                    {&EditSheet::imageFNumberlab, "imageFNumberlab", "F-number:"},
                    {&EditSheet::imageFlen35mmlab, "imageFlen35mmlab", "Focal length (35 mm):"},
                    {&EditSheet::imageBrightlab, "imageBrightlab", "Brightness:"},
                    {&EditSheet::imageAperturelab, "imageAperturelab", "Aperture value:"},
                    {&EditSheet::imageWhiteBalancelab, "imageWhiteBalancelab", "White balance:"},
                    {&EditSheet::imageExpotimelab, "imageExpotimelab", "Exposure time:"}},
                   filter));
    cameraDatelab->setPlaceholderText(QStringLiteral("YYYY:MM:DD HH:MM:SS"));
    imageExpotimelab->setPlaceholderText(tr("seconds, e.g. 1/125"));
    right->addStretch(1);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto *buttons = new QHBoxLayout;
    auto *cancel = new QPushButton(tr("Cancel"), sheet);
    cancel->setObjectName(QStringLiteral("HideEditViewAction"));
    auto *apply = new QPushButton(tr("Apply"), sheet);
    apply->setObjectName(QStringLiteral("ClickApplyChangeAction"));
    apply->setDefault(true);
    // Saves the fields as they stand as a template for the template import.
    auto *templateButton = new QPushButton(tr("Save as Template"), sheet);
    templateButton->setObjectName(QStringLiteral("editTemplateBtn"));
    templateButton->setAutoDefault(false);
    QObject::connect(templateButton, &QPushButton::clicked, &app.jobs(),
                     [this] { saveTemplate(); });
    buttons->addWidget(templateButton);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(apply);

    auto *outer = new QVBoxLayout(sheet);
    outer->addLayout(columns, 1);
    outer->addLayout(buttons);
    QObject::connect(cancel, &QPushButton::clicked, &app.jobs(), [this] { HideEditViewAction(); });
    QObject::connect(apply, &QPushButton::clicked, &app.jobs(),
                     [this] { ClickApplyChangeAction(); });
    // Escape and the window's close button cancel, as Cancel does.
    QObject::connect(sheet, &QDialog::rejected, &app.jobs(), [this] { HideEditViewAction(); });
}

void EditSheet::addActionsItem(QMenu *actions) {
    QAction *item = app.jobs().addMenuItem(actions, tr("Edit Photo Metadata…"),
                                           [this] { ClickEditPhotoExifDataMenuAction(); });
    item->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
    item->setObjectName(QStringLiteral("ClickEditPhotoExifDataMenuAction"));
}

void EditSheet::addEditItem(QMenu *menu) {
    app.jobs().addMenuItem(menu, tr("Edit Photo Metadata…"),
                           [this] { ClickEditPhotoExifDataMenuAction(); });
}
