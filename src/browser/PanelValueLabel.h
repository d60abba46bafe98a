#pragma once

#include <QLabel>

// One value of the information lines: a single line that never widens the panel. A text
// longer than the line is drawn shortened in the middle, whole in its tooltip; text() stays
// the whole value.
class PanelValueLabel : public QLabel {
    Q_OBJECT
  public:
    explicit PanelValueLabel(QWidget *parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    // What the line shows at its current width.
    QString shownText() const;

  protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
};
