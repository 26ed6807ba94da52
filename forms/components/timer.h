#pragma once

#include "forms/components/block_component.h"

class QTimer;

namespace tillora {

// 1/32 timer (invisible). Own property: 8 interval in milliseconds (0 stops it). Events: 0 tick.
class Timer : public BlockComponent<TimerBlock> {
    Q_OBJECT

  public:
    using BlockComponent::BlockComponent;
    ~Timer() override;
    // Ticks every timer whose interval ran out while no event was served (a database wait),
    // so that a clock keeps running.
    static void tickOverdue();
    void windowComplete() override;
    int interval() const { return block_.interval; }
    void setInterval(int milliseconds);

  protected:
    QWidget* makeWidget(QWidget* parent) override;
    QVariant ownProperty(int index) const override;
    bool setOwnProperty(int index, const QVariant& value) override;

  private:
    QTimer* timer_ = nullptr;
};

}  // namespace tillora
