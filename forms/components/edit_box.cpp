#include "forms/components/edit_box.h"

#include "forms/component_font.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextCursor>

namespace tillora {

namespace {

Qt::Alignment alignmentOf(qint32 alignment) {
    switch (alignment) {
        case 1:
            return Qt::AlignHCenter;
        case 2:
            return Qt::AlignRight;
        default:
            return Qt::AlignLeft;
    }
}

}  // namespace

QWidget* EditBox::makeWidget(QWidget* parent) {
    const InputMode mode = inputMode();
    QWidget* w = nullptr;
    if (block_.multiLine != 0) {
        plain_ = new QPlainTextEdit(parent);
        plain_->setPlainText(block_.content);
        plain_->setReadOnly(mode == InputMode::ReadOnly);
        const bool horizontal = (block_.scrollBars & 1) != 0;
        const bool vertical = (block_.scrollBars & 2) != 0;
        plain_->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded
                                                        : Qt::ScrollBarAlwaysOff);
        plain_->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded
                                                    : Qt::ScrollBarAlwaysOff);
        // Without a horizontal scroll bar long lines wrap, as a multi-line edit control does.
        plain_->setLineWrapMode(horizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        plain_->setTabChangesFocus(true);
        if (block_.border == 0) {
            plain_->setFrameShape(QFrame::NoFrame);
        }
        connect(plain_, &QPlainTextEdit::textChanged, this, [this] {
            if (block_.maxLength > 0 && plain_->toPlainText().size() > block_.maxLength) {
                const int at = caret();
                QSignalBlocker blocker(plain_);
                plain_->setPlainText(plain_->toPlainText().left(block_.maxLength));
                setCaret(std::min(at, block_.maxLength));
            }
            applyCase();
            raise(event::kEditTextChanged);
        });
        w = plain_;
    } else {
        line_ = new QLineEdit(parent);
        line_->setText(block_.content);
        line_->setReadOnly(mode == InputMode::ReadOnly);
        if (mode == InputMode::Password) {
            line_->setEchoMode(QLineEdit::Password);
        }
        if (block_.maxLength > 0) {
            line_->setMaxLength(block_.maxLength);
        }
        line_->setFrame(block_.border != 0);
        line_->setAlignment(alignmentOf(block_.alignment) | Qt::AlignVCenter);
        connect(line_, &QLineEdit::textEdited, this, [this] { applyCase(); });
        connect(line_, &QLineEdit::textChanged, this, [this] { raise(event::kEditTextChanged); });
        if (block_.selectionLength > 0) {
            line_->setSelection(block_.selectionStart, block_.selectionLength);
        }
        w = line_;
    }
    w->setFont(toQFont(block_.font, w->font()));
    w->setFocusPolicy(Qt::StrongFocus);
    applyColours();
    return w;
}

QList<QWidget*> EditBox::eventSources() const {
    if (plain_ != nullptr) {
        return {plain_, plain_->viewport()};
    }
    return Component::eventSources();
}

QString EditBox::text() const {
    if (line_ != nullptr) {
        return line_->text();
    }
    if (plain_ == nullptr) {
        return block_.content;
    }
    // Lines come back joined by CR LF, as a multi-line edit control gives them and as the
    // stored texts (the receipt note) keep them.
    QString text = plain_->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void EditBox::setText(const QString& text) {
    if (line_ != nullptr) {
        line_->setText(text);
    } else if (plain_ != nullptr) {
        plain_->setPlainText(text);
    } else {
        block_.content = text;
    }
}

bool EditBox::handlesEnter() const {
    return block_.multiLine != 0 && inputMode() != InputMode::ReadOnly;
}

void EditBox::focusLeft() {
    const QString typed = text();
    const QString canonical = canonicalText(inputMode(), typed);
    // Only a real change rewrites the box, so the caret and the text-changed event stay put
    // otherwise.
    if (canonical != typed) {
        const int at = caret();
        setText(canonical);
        setCaret(std::min(at, static_cast<int>(canonical.size())));
    }
}

int EditBox::caret() const {
    if (line_ != nullptr) {
        return line_->cursorPosition();
    }
    return plain_ != nullptr ? plain_->textCursor().position() : 0;
}

void EditBox::setCaret(int position) {
    if (line_ != nullptr) {
        line_->setCursorPosition(position);
    } else if (plain_ != nullptr) {
        QTextCursor cursor = plain_->textCursor();
        cursor.setPosition(position);
        plain_->setTextCursor(cursor);
    }
}

void EditBox::applyCase() {
    if (block_.caseConversion == 0) {
        return;
    }
    const QString current = text();
    const QString converted = block_.caseConversion == 1 ? current.toLower() : current.toUpper();
    if (converted != current) {
        const int at = caret();
        setText(converted);
        setCaret(at);
    }
}

void EditBox::applyColours() {
    QWidget* w = line_ != nullptr ? static_cast<QWidget*>(line_) : plain_;
    if (w == nullptr) {
        return;
    }
    // The colours are the enabled box's; a disabled box greys out as the style shows it, so that
    // a field closed to the user looks closed.
    QPalette pal = w->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        if (block_.textColour != kDefaultColour) {
            pal.setColor(group, QPalette::Text, toQColor(block_.textColour));
        }
        if (block_.backColour != kDefaultColour) {
            pal.setColor(group, QPalette::Base, toQColor(block_.backColour));
        }
    }
    w->setPalette(pal);
}

void EditBox::setInputMode(InputMode mode) {
    block_.inputMode = static_cast<qint32>(mode);
    const bool readOnly = mode == InputMode::ReadOnly;
    if (line_ != nullptr) {
        line_->setReadOnly(readOnly);
        line_->setEchoMode(mode == InputMode::Password ? QLineEdit::Password : QLineEdit::Normal);
    } else if (plain_ != nullptr) {
        plain_->setReadOnly(readOnly);
    }
}

QVariant EditBox::ownProperty(int index) const {
    switch (index) {
        case 0:
            return block_.border;
        case 1:
            return block_.textColour;
        case 2:
            return block_.backColour;
        case 4:
            return block_.maxLength;
        case 5:
            return block_.multiLine != 0;
        case 7:
            return block_.alignment;
        case 8:
            return block_.inputMode;
        case 14:
            return line_ != nullptr && line_->hasSelectedText() ? line_->selectionStart() : caret();
        case 15:
            return line_ != nullptr ? static_cast<int>(line_->selectedText().size()) : 0;
        case 17:
            return text();
        default:
            return {};
    }
}

bool EditBox::setOwnProperty(int index, const QVariant& value) {
    switch (index) {
        case 1:
            block_.textColour = value.toUInt();
            applyColours();
            return true;
        case 2:
            block_.backColour = value.toUInt();
            applyColours();
            return true;
        case 4:
            block_.maxLength = value.toInt();
            if (line_ != nullptr) {
                line_->setMaxLength(block_.maxLength > 0 ? block_.maxLength : 32767);
            }
            return true;
        case 7:
            block_.alignment = value.toInt();
            if (line_ != nullptr) {
                line_->setAlignment(alignmentOf(block_.alignment) | Qt::AlignVCenter);
            }
            return true;
        case 8:
            setInputMode(static_cast<InputMode>(value.toInt()));
            return true;
        case 14:
            setCaret(value.toInt());
            return true;
        case 15:
            if (line_ != nullptr) {
                line_->setSelection(caret(), value.toInt());
            }
            return true;
        case 17:
            setText(value.toString());
            return true;
        default:
            return false;
    }
}

void EditBox::storeCurrent(EditBoxBlock& out) const {
    out.content = text();
}

}  // namespace tillora
