#pragma once

#include "forms/component.h"

class QDateTimeEdit;

namespace tillora {

// 1/23 date box: a date field with a drop-down calendar, starting at today. Its property data is
// never anything but the defaults, so it keeps whatever block it got. Own property: 8 date-time
// (Jet day number, double). Events: 0 the date changed.
class DateBox : public Component {
    Q_OBJECT

  public:
    using Component::Component;
    QByteArray writeBlock() const override { return raw_; }
    QString text() const override;
    // Jet day number of the date shown (midnight).
    double jetDay() const;
    void setJetDay(double day);

  protected:
    bool parseBlock(const QByteArray& block, QString* error) override;
    QWidget* makeWidget(QWidget* parent) override;
    QVariant ownProperty(int index) const override;
    bool setOwnProperty(int index, const QVariant& value) override;

  private:
    QDateTimeEdit* edit_ = nullptr;
    QByteArray raw_;
};

}  // namespace tillora
