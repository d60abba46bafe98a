#include "browser/PanelValueLabel.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

PanelValueLabel::PanelValueLabel(QWidget *parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setTextFormat(Qt::PlainText);
}

QSize PanelValueLabel::minimumSizeHint() const {
    return QSize(fontMetrics().averageCharWidth() * 4, QLabel::minimumSizeHint().height());
}

QSize PanelValueLabel::sizeHint() const {
    // One line, even when empty, so the lines below never move.
    return QSize(QLabel::sizeHint().width(), fontMetrics().height() + 2 * margin() + 2);
}

QString PanelValueLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

void PanelValueLabel::paintEvent(QPaintEvent *event) {
    const QString shown = shownText();
    if (shown == text()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()) | Qt::TextSingleLine,
                          palette(), isEnabled(), shown, foregroundRole());
}

bool PanelValueLabel::event(QEvent *event) {
    // A shortened value shows whole where the pointer rests.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && shownText() != text()) {
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}
