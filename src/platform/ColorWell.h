#pragma once

#include <QColor>
#include <QPushButton>

// A swatch that shows a colour and lets the user pick another.
class PKColorWell : public QPushButton {
    Q_OBJECT
  public:
    explicit PKColorWell(QWidget *parent = nullptr);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);

  signals:
    void colorChanged(const QColor &color);

  private:
    void pick();
    QColor m_color = Qt::white;
};
