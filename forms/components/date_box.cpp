#include "forms/components/date_box.h"

#include "platform/clock.h"
#include "values/value_format.h"

#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace tillora {

namespace {

// A date picker is one tab stop, as on the desktop the templates come from: Tab leaves it, and the
// arrow keys (and Left/Right) move between its year, month and day.
class DatePicker : public QDateEdit {
  public:
    using QDateEdit::QDateEdit;

  protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }

    // A digit that starts typing goes into the part under the caret, however the caret got there
    // (a click, the arrows): the part is selected first, as Tab selects it. Without that the
    // digit lands beside the part's own and the date refuses it.
    void keyPressEvent(QKeyEvent* event) override {
        const QString text = event->text();
        const bool digit = text.size() == 1 && text.front().isDigit();
        if (digit && !typing_ && !lineEdit()->hasSelectedText()) {
            setSelectedSection(currentSection());
        }
        QDateEdit::keyPressEvent(event);
        typing_ = digit;
    }
    void focusInEvent(QFocusEvent* event) override {
        typing_ = false;
        QDateEdit::focusInEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override {
        typing_ = false;
        QDateEdit::mousePressEvent(event);
    }

  private:
    // The last key typed a digit: the next one carries on in the same part.
    bool typing_ = false;
};

}  // namespace

bool DateBox::parseBlock(const QByteArray& block, QString* /*error*/) {
    raw_ = block;
    return true;
}

QWidget* DateBox::makeWidget(QWidget* parent) {
    edit_ = new DatePicker(Clock::now().date(), parent);
    edit_->setCalendarPopup(true);
    edit_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    connect(edit_, &QDateTimeEdit::dateChanged, this, [this] { raise(event::kDateChanged); });
    return edit_;
}

QString DateBox::text() const {
    return edit_ != nullptr ? edit_->text() : QString();
}

double DateBox::jetDay() const {
    const QDate date = edit_ != nullptr ? edit_->date() : Clock::now().date();
    return jetDayFromDateTime(QDateTime(date, QTime(0, 0)));
}

void DateBox::setJetDay(double day) {
    if (edit_ != nullptr) {
        edit_->setDate(dateTimeFromJetDay(day).date());
    }
}

QVariant DateBox::ownProperty(int index) const {
    return index == 0 ? QVariant(jetDay()) : QVariant();
}

bool DateBox::setOwnProperty(int index, const QVariant& value) {
    if (index != 0) {
        return false;
    }
    setJetDay(value.toDouble());
    return true;
}

}  // namespace tillora
