#include "sales/barcode_scanner.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace tillora {

namespace {

bool endsScan(const QKeyEvent& key) {
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter || key.key() == Qt::Key_Tab ||
           key.text() == QStringLiteral("\n");
}

bool isModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_AltGr || key == Qt::Key_CapsLock;
}

bool printable(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        if (!c.isPrint()) {
            return false;
        }
    }
    return true;
}

QLineEdit* lineEditOf(QWidget* box) {
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        return line;
    }
    auto* combo = qobject_cast<QComboBox*>(box);
    return combo != nullptr ? combo->lineEdit() : nullptr;
}

}  // namespace

BarcodeScanner::BarcodeScanner(QWidget* window, Scanned scanned, quint64 maxGapMs, Clock clock)
    : QObject(window),
      window_(window),
      scanned_(std::move(scanned)),
      detector_(maxGapMs),
      clock_(std::move(clock)) {
    if (!clock_) {
        clock_ = [] {
            QElapsedTimer now;
            now.start();
            return now.msecsSinceReference();
        };
    }
    qApp->installEventFilter(this);
}

BarcodeScanner::~BarcodeScanner() {
    qApp->removeEventFilter(this);
}

bool BarcodeScanner::inWindow(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget != nullptr && (widget == window_ || window_->isAncestorOf(widget));
}

void BarcodeScanner::remember(QWidget* box) {
    box_ = box;
    before_.clear();
    cursor_ = 0;
    if (QLineEdit* line = lineEditOf(box)) {
        before_ = line->text();
        cursor_ = line->cursorPosition();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) {
        before_ = plain->toPlainText();
        cursor_ = plain->textCursor().position();
    } else if (auto* rich = qobject_cast<QTextEdit*>(box)) {
        before_ = rich->toPlainText();
        cursor_ = rich->textCursor().position();
    }
}

void BarcodeScanner::takeBack() {
    QWidget* box = box_.data();
    if (box == nullptr) {
        return;
    }
    if (QLineEdit* line = lineEditOf(box)) {
        if (line->text() != before_) {
            line->setText(before_);
        }
        line->setCursorPosition(cursor_);
        return;
    }
    auto restore = [this](auto* edit) {
        if (edit->toPlainText() != before_) {
            edit->setPlainText(before_);
        }
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(std::min<int>(cursor_, static_cast<int>(before_.size())));
        edit->setTextCursor(cursor);
    };
    if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) {
        restore(plain);
    } else if (auto* rich = qobject_cast<QTextEdit*>(box)) {
        restore(rich);
    }
}

bool BarcodeScanner::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::InputMethod) || !inWindow(watched)) {
        return false;
    }
    if (type == QEvent::InputMethod) {
        // Composing (pinyin, say) is a person; text committed without composing is typed.
        const auto* im = static_cast<QInputMethodEvent*>(event);
        if (!im->preeditString().isEmpty() || !printable(im->commitString())) {
            return false;
        }
        const auto now = static_cast<quint64>(std::max<qint64>(clock_() + keyTimeOffset_, 1));
        if (detector_.character(im->commitString(), now)) {
            remember(qobject_cast<QWidget*>(watched));  // the box with the focus
        }
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    // The same event again, bubbling up to a parent: it was judged the first time.
    if (event == lastEvent_ && key->timestamp() == lastStamp_) {
        return false;
    }
    lastEvent_ = event;
    lastStamp_ = key->timestamp();
    if (key->timestamp() != 0) {
        keyTimeOffset_ = static_cast<qint64>(key->timestamp()) - clock_();
    }
    if (isModifierKey(key->key())) {
        return false;  // a scanner presses Shift for capitals
    }
    if (endsScan(*key)) {
        const std::optional<QString> code = detector_.end(key->timestamp());
        if (!code) {
            return false;
        }
        takeBack();
        box_.clear();
        scanned_(*code);
        return true;
    }
    const Qt::KeyboardModifiers chord = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (chord == Qt::NoModifier && !key->isAutoRepeat() && printable(key->text())) {
        if (detector_.character(key->text(), key->timestamp())) {
            remember(qobject_cast<QWidget*>(watched));  // the box with the focus
        }
    } else {
        detector_.reset();
    }
    return false;
}

}  // namespace tillora
