#include "forms/components/date_box.h"

#include "forms/value_format.h"

#include <QDateEdit>

namespace tillora {

bool DateBox::parseBlock(const QByteArray& block, QString* /*error*/) {
    raw_ = block;
    return true;
}

QWidget* DateBox::makeWidget(QWidget* parent) {
    edit_ = new QDateEdit(QDate::currentDate(), parent);
    edit_->setCalendarPopup(true);
    edit_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    connect(edit_, &QDateTimeEdit::dateChanged, this, [this] { raise(event::kDateChanged); });
    return edit_;
}

QString DateBox::text() const {
    return edit_ != nullptr ? edit_->text() : QString();
}

double DateBox::jetDay() const {
    const QDate date = edit_ != nullptr ? edit_->date() : QDate::currentDate();
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
