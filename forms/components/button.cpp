#include "forms/components/button.h"

#include "forms/component_font.h"
#include "forms/picture_decoder.h"

#include <QFontMetrics>
#include <QPushButton>

namespace tillora {

namespace {
constexpr int kCaption = 5;
// Room a push button keeps between its frame and the caption, per side.
constexpr int kCaptionMargin = 4;

// A caption wider than its button wraps onto further lines when the button is tall enough for
// them, as a multi-line push button shows it; a Latin word or number stays whole. Otherwise the
// caption is shown on one line as it is.
QString shownCaption(const QString& caption, const QFont& font, QSize size) {
    const QFontMetrics metrics(font);
    const int width = size.width() - 2 * kCaptionMargin;
    if (caption.contains(QLatin1Char('\n')) || metrics.horizontalAdvance(caption) <= width) {
        return caption;
    }
    QStringList pieces;
    for (qsizetype i = 0; i < caption.size();) {
        qsizetype end = i + 1;
        if (caption.at(i).unicode() < 0x80 && caption.at(i).isLetterOrNumber()) {
            while (end < caption.size() && caption.at(end).unicode() < 0x80 &&
                   caption.at(end).isLetterOrNumber()) {
                ++end;
            }
        }
        pieces << caption.mid(i, end - i);
        i = end;
    }
    QStringList lines{QString()};
    for (const QString& piece : pieces) {
        if (!lines.last().isEmpty() && metrics.horizontalAdvance(lines.last() + piece) > width) {
            lines << QString();
        }
        lines.last() += piece;
    }
    if (lines.size() * metrics.height() > size.height() - 2 * kCaptionMargin) {
        return caption;
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

QWidget* Button::makeWidget(QWidget* parent) {
    auto* button = new QPushButton(parent);
    // Enter on a focused button presses it, as cashiers expect from the keyboard.
    button->setAutoDefault(pressedByEnter_);
    button->setFont(toQFont(block_.font, button->font()));
    button->setText(shownCaption(block_.caption, button->font(), place().size()));
    if (!block_.picture.isEmpty()) {
        const QImage image = PictureDecoder::decode(block_.picture).value_or(QImage());
        if (!image.isNull()) {
            button->setIcon(QPixmap::fromImage(image));
        }
    }
    connect(button, &QPushButton::clicked, this, [this] { raise(event::kClicked); });
    button_ = button;
    return button;
}

void Button::setText(const QString& text) {
    block_.caption = text;
    if (button_ != nullptr) {
        button_->setText(shownCaption(text, button_->font(), place().size()));
    }
}

void Button::setPressedByEnter(bool pressed) {
    pressedByEnter_ = pressed;
    if (auto* push = qobject_cast<QPushButton*>(button_)) {
        push->setAutoDefault(pressed);
    }
}

QVariant Button::ownProperty(int index) const {
    return index == kCaption ? QVariant(block_.caption) : QVariant();
}

bool Button::setOwnProperty(int index, const QVariant& value) {
    if (index != kCaption) {
        return false;
    }
    setText(value.toString());
    return true;
}

}  // namespace tillora
