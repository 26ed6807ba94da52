#include "forms/components/date_box.h"

#include "platform/clock.h"
#include "values/value_format.h"

#include <QDateEdit>

namespace tillora {

namespace {

// A date picker is one tab stop, as on the desktop the templates come from: Tab leaves it, and the
// arrow keys (and Left/Right) move between its year, month and day.
class DatePicker : public QDateEdit {
  public:
    using QDateEdit::QDateEdit;

  protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
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
