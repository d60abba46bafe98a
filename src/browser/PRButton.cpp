#include "browser/PRButton.h"

#include "browser/core/DragRules.h"
#include "platform/Artwork.h"
#include "platform/core/NotificationCenter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace {
bool pressesTheButton(const QKeyEvent *event) {
    return event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
           event->key() == Qt::Key_Enter;
}
} // namespace

PRButton::PRButton(QWidget *parent) : QPushButton(parent) {
    setAttribute(Qt::WA_Hover);
}

PRButton::PRButton(const QString &text, QWidget *parent) : QPushButton(text, parent) {
    setAttribute(Qt::WA_Hover);
}

void PRButton::setImageName(const QString &name) {
    m_imageName = name;
    const QPixmap picture = namedImage(name);
    if (!picture.isNull()) {
        setIcon(QIcon(picture));
        setIconSize(picture.size());
    }
}

void PRButton::setFittedText(const QString &text, int widest) {
    m_fittedText = text;
    m_widest = widest;
    // The bar may give it less than its whole label, down to a few letters.
    setSizePolicy(QSizePolicy::Preferred, sizePolicy().verticalPolicy());
    // "&" is drawn as itself, not as a mnemonic mark.
    setText(QString(text).replace(QLatin1Char('&'), QLatin1String("&&")));
    updateGeometry();
}

QString PRButton::fitted(int room) const {
    return fontMetrics()
        .elidedText(m_fittedText, Qt::ElideMiddle, std::min(m_widest, room))
        .replace(QLatin1Char('&'), QLatin1String("&&"));
}

// The size the style gives the button with `shown` as its text (as QPushButton measures it).
QSize PRButton::hintForText(const QString &shown) const {
    QStyleOptionButton option;
    initStyleOption(&option);
    int w = 0, h = 0;
    if (!icon().isNull()) {
        w = option.iconSize.width() + 4;
        h = option.iconSize.height();
    }
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, shown);
    w += text.width();
    h = std::max(h, text.height());
    option.rect.setSize(QSize(w, h));
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, QSize(w, h), this);
}

QSize PRButton::sizeHint() const {
    if (m_fittedText.isEmpty())
        return QPushButton::sizeHint();
    return hintForText(fitted(m_widest));
}

QSize PRButton::minimumSizeHint() const {
    if (m_fittedText.isEmpty())
        return QPushButton::minimumSizeHint();
    // A few letters and the ellipsis.
    return hintForText(fitted(8 * fontMetrics().averageCharWidth()));
}

QString PRButton::shownText() const {
    if (m_fittedText.isEmpty())
        return text();
    // The style's room around the text, measured on a text long enough to pass any least
    // width it sets.
    const QString sample(40, QLatin1Char('x'));
    const int around =
        hintForText(sample).width() - fontMetrics().size(Qt::TextShowMnemonic, sample).width();
    return fitted(width() - around);
}

void PRButton::paintEvent(QPaintEvent *event) {
    if (m_fittedText.isEmpty()) {
        QPushButton::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = shownText();
    painter.drawControl(QStyle::CE_PushButton, option);
}

void PRButton::whenPressed(PRButton *button, std::function<void()> action) {
    NotificationCenter::defaultCenter().addObserver(
        button, QLatin1String(kMybuttonMouseDown),
        [button, action = std::move(action)](QObject *sender) {
            if (sender == button)
                action();
        });
}

void PRButton::mousePressEvent(QMouseEvent *event) {
    event->accept();
    NotificationCenter::defaultCenter().postNotificationName(QLatin1String(kMybuttonMouseDown),
                                                             this);
}

void PRButton::mouseReleaseEvent(QMouseEvent *event) {
    event->accept();
}

void PRButton::keyPressEvent(QKeyEvent *event) {
    if (!pressesTheButton(event))
        return QPushButton::keyPressEvent(event);
    event->accept();
    // A key held down presses once.
    if (!event->isAutoRepeat())
        NotificationCenter::defaultCenter().postNotificationName(QLatin1String(kMybuttonMouseDown),
                                                                 this);
}

void PRButton::keyReleaseEvent(QKeyEvent *event) {
    if (!pressesTheButton(event))
        return QPushButton::keyReleaseEvent(event);
    event->accept();
}

void PRButton::enterEvent(QEnterEvent *event) {
    QPushButton::enterEvent(event);
    NotificationCenter::defaultCenter().postNotificationName(QLatin1String(kPRbuttonMouseEntered),
                                                             this);
}

void PRButton::leaveEvent(QEvent *event) {
    QPushButton::leaveEvent(event);
    NotificationCenter::defaultCenter().postNotificationName(QLatin1String(kPRbuttonMouseExited),
                                                             this);
}

void PRClosedButton::mousePressEvent(QMouseEvent *event) {
    event->accept();
    NotificationCenter::defaultCenter().postNotificationName(QLatin1String(kMyClosebuttonMouseDown),
                                                             this);
}

void PRClosedButton::mouseReleaseEvent(QMouseEvent *event) {
    event->accept();
}
