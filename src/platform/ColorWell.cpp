#include "platform/ColorWell.h"

#include <QColorDialog>

PKColorWell::PKColorWell(QWidget *parent) : QPushButton(parent) {
    setFixedSize(44, 22);
    setColor(Qt::white);
    connect(this, &QPushButton::clicked, this, &PKColorWell::pick);
}

void PKColorWell::setColor(const QColor &color) {
    m_color = color;
    setStyleSheet(QStringLiteral("QPushButton { background: %1; border: 1px solid #888; }")
                      .arg(color.name()));
    emit colorChanged(color);
}

void PKColorWell::pick() {
    auto *dialog = new QColorDialog(m_color, window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QColorDialog::colorSelected, this, &PKColorWell::setColor);
    dialog->open();
}
