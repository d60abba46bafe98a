#include "platform/AlertSheet.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <algorithm>

namespace {

// Under the texts, above the buttons; before the alert is shown, which fixes its size then.
void addAccessory(QMessageBox *alert, QWidget *accessory) {
    accessory->setParent(alert);
    auto *grid = qobject_cast<QGridLayout *>(alert->layout());
    auto *buttons = alert->findChild<QDialogButtonBox *>();
    if (!grid || !buttons)
        return;
    int row = 0, column = 0, rows = 1, columns = 1;
    grid->getItemPosition(grid->indexOf(buttons), &row, &column, &rows, &columns);
    grid->removeWidget(buttons);
    // In the texts' column, right of the icon.
    grid->addWidget(accessory, row, 1, 1, std::max(1, grid->columnCount() - 1));
    grid->addWidget(buttons, row + 1, column, rows, columns);
}

} // namespace

QMessageBox *beginAlertSheet(QWidget *window, const QString &messageText,
                             const QString &informativeText, const QStringList &buttons,
                             AlertCompletion completion, const QString &suppressionText,
                             QWidget *accessory) {
    auto *alert = new QMessageBox(window);
    alert->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    alert->setIcon(QMessageBox::Warning);
    alert->setText(messageText);
    alert->setInformativeText(informativeText);
    QList<QAbstractButton *> order;
    const QStringList titles = buttons.isEmpty() ? QStringList{QObject::tr(" Ok ")} : buttons;
    for (int i = 0; i < titles.size(); ++i) {
        QPushButton *b = alert->addButton(titles.at(i), i == 0 ? QMessageBox::AcceptRole
                                                               : QMessageBox::RejectRole);
        order << b;
        if (i == 0)
            alert->setDefaultButton(b);
    }
    if (!suppressionText.isEmpty())
        alert->setCheckBox(new QCheckBox(suppressionText, alert));
    if (accessory)
        addAccessory(alert, accessory);
    QObject::connect(alert, &QMessageBox::buttonClicked, alert,
                     [alert, order, completion](QAbstractButton *clicked) {
                         const int index = int(order.indexOf(clicked));
                         const int code = index == 0 ? 1 : index == 1 ? 0 : -1;
                         if (completion)
                             completion(alert, code);
                     });
    // Deleted once the completion has run, never inside it.
    QObject::connect(alert, &QDialog::finished, alert, &QObject::deleteLater);
    alert->open();
    return alert;
}

QCheckBox *suppressionButton(QMessageBox *alert) {
    return alert ? alert->checkBox() : nullptr;
}

QMessageBox *markOutcome(QMessageBox *alert, bool allDone) {
    if (alert)
        alert->setIcon(allDone ? QMessageBox::Information : QMessageBox::Warning);
    return alert;
}
