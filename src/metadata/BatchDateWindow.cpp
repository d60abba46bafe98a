// The batch date window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

#include <QComboBox>
#include <QPushButton>

void buildBatchDateWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.mutiDateWindow, "mutiDateWindow",
                                          AppDelegate::tr("Batch Change Dates"));
    QWidget *w = d.mutiDateWindow;
    PK_OUTLET(column, w, d, dateCustomView);
    d.dateCustomView->setMinimumSize(160, 120);
    d.dateChoosePhotoBtn = new QPushButton(AppDelegate::tr("Choose a photo"), d.dateCustomView);
    d.dateChoosePhotoBtn->setObjectName(QStringLiteral("dateChoosePhotoBtn"));
    d.dateImageview = new PKImageView(d.dateCustomView);
    d.dateImageview->setObjectName(QStringLiteral("dateImageview"));
    PK_OUTLET(column, w, d, AddDateUnitBtn);
    PK_OUTLET(column, w, d, AddTimeBtn);
    PK_OUTLET(column, w, d, RemoveTimeBtn);
    column->addStretch(1);
}
