#include "platform/ChoiceButtons.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

PKChoiceButtons::PKChoiceButtons(QWidget *parent)
    : QWidget(parent), m_group(new QButtonGroup(this)), m_grid(new QGridLayout(this)) {
    m_group->setExclusive(true);
    m_grid->setContentsMargins(0, 0, 0, 0);
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit currentTextChanged(m_choices.value(id));
    });
}

void PKChoiceButtons::setChoices(const QStringList &choices, const QString &selected, int columns,
                                 Qt::Orientation fill) {
    qDeleteAll(m_buttons);
    m_buttons.clear();
    m_choices = choices;
    columns = qMax(1, columns);
    const int rows = (int(choices.size()) + columns - 1) / columns;
    for (int i = 0; i < choices.size(); ++i) {
        auto *b = new QRadioButton(choices.at(i), this);
        b->setObjectName(choices.at(i));
        m_group->addButton(b, i);
        if (fill == Qt::Horizontal)
            m_grid->addWidget(b, i / columns, i % columns);
        else
            m_grid->addWidget(b, i % rows, i / rows);
        m_buttons << b;
    }
    setCurrentText(selected);
}

QString PKChoiceButtons::currentText() const {
    return m_choices.value(m_group->checkedId());
}

void PKChoiceButtons::setCurrentText(const QString &text) {
    if (QRadioButton *b = button(text))
        b->setChecked(true);
}

QRadioButton *PKChoiceButtons::button(const QString &text) const {
    const qsizetype i = m_choices.indexOf(text);
    return i < 0 ? nullptr : m_buttons.value(i);
}
