#pragma once

#include <QLabel>
#include <QPixmap>

// An image view that scales its picture to fill it, each axis on its own (the
// background panels are drawn this way), or whole in its proportions (a preview).
class PKImageView : public QLabel {
    Q_OBJECT
  public:
    explicit PKImageView(QWidget *parent = nullptr) : QLabel(parent) {
        setScaledContents(true);
        setMinimumSize(1, 1);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    }
    void setImage(const QPixmap &pixmap) { setPixmap(pixmap); }
    QPixmap image() const { return pixmap(); }
    // A view whose size follows the window shows its picture whole and centred, never
    // stretched out of its proportions.
    void setKeepsProportions(bool keeps) {
        m_keepsProportions = keeps;
        update();
    }

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    bool m_keepsProportions = false;
};
