// The duplicate finder window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

#include <QLabel>
#include <QProgressBar>

void buildDuplicateWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.dupWindow, "dupWindow",
                                          AppDelegate::tr("Find Duplicates"), &d.dupGroudImageView);
    QWidget *w = d.dupWindow;
    PK_OUTLET(column, w, d, scanDupProcesser);
    PK_OUTLET(column, w, d, scanningDupinfolab);
    PK_OUTLET(column, w, d, previewDupContentView);
    d.previewDupContentView->setMinimumSize(200, 150);
    d.previewDupImageView = new PKImageView(d.previewDupContentView);
    d.previewDupImageView->setObjectName(QStringLiteral("previewDupImageView"));
    d.previewDupplayerView = new QWidget(d.previewDupContentView);
    d.previewDupplayerView->setObjectName(QStringLiteral("previewDupplayerView"));
    column->addStretch(1);
}
