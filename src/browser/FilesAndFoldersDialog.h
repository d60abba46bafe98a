#pragma once

#include <QFileDialog>

// An open panel in which files and folders alike can be chosen. Qt's dialog opens a
// folder when it is chosen; here the folders selected in the list are taken as they are,
// while a typed path still works as in any file dialog.
class FilesAndFoldersDialog : public QFileDialog {
    Q_OBJECT
  public:
    FilesAndFoldersDialog(QWidget *parent, const QString &caption);

    // What was chosen; valid once the dialog was accepted.
    QStringList chosenPaths() const { return m_chosen; }

  public slots:
    void accept() override;

  private:
    QStringList selectedInView() const;
    QStringList m_chosen;
};
