#pragma once

#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

// A small set of exclusive choices shown all at once, as radio buttons in a grid. The texts
// are the values: a setting stores the chosen text as it is.
class PKChoiceButtons : public QWidget {
    Q_OBJECT
  public:
    explicit PKChoiceButtons(QWidget *parent = nullptr);

    // Replaces the choices and ticks `selected` (none when it is not one of them). The grid
    // has `columns` columns, filled row by row (Qt::Horizontal) or column by column.
    void setChoices(const QStringList &choices, const QString &selected, int columns = 1,
                    Qt::Orientation fill = Qt::Horizontal);
    QStringList choices() const { return m_choices; }
    // The ticked choice, or an empty text when none is.
    QString currentText() const;
    // Ticks `text`; a text that is no choice leaves the tick where it is, as a pop-up would.
    void setCurrentText(const QString &text);
    QRadioButton *button(const QString &text) const;

  signals:
    void currentTextChanged(const QString &text);

  private:
    QStringList m_choices;
    QList<QRadioButton *> m_buttons;
    QButtonGroup *m_group;
    QGridLayout *m_grid;
};
