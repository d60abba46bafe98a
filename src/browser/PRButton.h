#pragma once

#include <QPushButton>
#include <functional>

// The image button of every window. It acts when the mouse button goes down (or Space or
// Return is pressed while it has the focus), and only through the notifications it posts
// ("MybuttonMouseDown", "PRbuttonMouseEntered", "PRbuttonMouseExited"): it never emits
// clicked(). Its effect comes from the click router, or from the piece that owns it
// (whenPressed).
class PRButton : public QPushButton {
    Q_OBJECT
  public:
    explicit PRButton(QWidget *parent = nullptr);
    explicit PRButton(const QString &text, QWidget *parent = nullptr);

    // The picture the button shows, by name; a name without a drawn picture leaves the
    // button's text alone.
    void setImageName(const QString &name);
    QString imageName() const { return m_imageName; }
    // A label that may be long (an album's title): drawn whole while the bar has room for
    // it, else shortened in the middle to the width the bar gives; never wider than `widest`
    // pixels of text, so it never pushes the bar's other buttons out of the window. text()
    // keeps it whole ("&" escaped).
    void setFittedText(const QString &text, int widest = kBarLabelWidest);
    // The label as drawn now.
    QString shownText() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static constexpr int kBarLabelWidest = 260;

    // Gives `button` its effect: `action` runs at each of its presses, for as long as it lives.
    static void whenPressed(PRButton *button, std::function<void()> action);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

  private:
    QSize hintForText(const QString &shown) const;
    QString fitted(int room) const;

    QString m_imageName;
    QString m_fittedText;
    int m_widest = 0;
};

// The main window's own close button: posts "MyClosebuttonMouseDown" on mouse down.
class PRClosedButton : public QPushButton {
    Q_OBJECT
  public:
    explicit PRClosedButton(QWidget *parent = nullptr) : QPushButton(parent) {}

  protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
