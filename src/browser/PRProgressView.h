#pragma once

#include <QWidget>

// A drawn progress bar: a grey rounded bezel and a light bar for the fraction done.
// Values of 0 or above 1 show the bezel alone.
class PRProgressView : public QWidget {
    Q_OBJECT
  public:
    explicit PRProgressView(QWidget *parent = nullptr) : QWidget(parent) {}
    void setProgressValue(float value) {
        this->value = value;
        update();
    }
    // The bar's rectangle for the current value; empty when only the bezel is drawn.
    QRectF barRect() const;

    float value = 0;

  protected:
    void paintEvent(QPaintEvent *event) override;
};
