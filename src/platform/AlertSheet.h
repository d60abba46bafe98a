#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

// A window-modal alert ("sheet") on `window`. Buttons are given in order, the first being
// the default; the completion gets the alert and a return code: 1 for the first button,
// 0 for the second, -1 for the third. With `suppressionText` the alert shows a check box
// the completion can read through suppressionButton(). An `accessory` (a choice the alert
// asks for, taken over by the alert) stands under the texts, above the buttons.
using AlertCompletion = std::function<void(QMessageBox *alert, int returnCode)>;

QMessageBox *beginAlertSheet(QWidget *window, const QString &messageText,
                             const QString &informativeText, const QStringList &buttons,
                             AlertCompletion completion, const QString &suppressionText = QString(),
                             QWidget *accessory = nullptr);

QCheckBox *suppressionButton(QMessageBox *alert);

// A job's ending: the information icon when everything was done, the warning icon when
// something was not. Returns the alert.
QMessageBox *markOutcome(QMessageBox *alert, bool allDone);
