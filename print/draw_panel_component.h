#pragma once

#include <QPointer>

#include "forms/component.h"
#include "print/draw_panel.h"
#include "templates/draw_panel_block.h"

namespace tillora {

// 1/8 draw panel. Own properties 8.. are the panel's in its slot order: 8 Border, 9 BackColour,
// ... 24 DrawHeight (DrawPanel::Property + 8).
class DrawPanelComponent : public Component {
    Q_OBJECT
  public:
    using Component::Component;

    // The panel, or null before the window built it.
    DrawPanel* panel() const { return panel_; }
    QByteArray writeBlock() const override;

  protected:
    bool parseBlock(const QByteArray& block, QString* error) override;
    QWidget* makeWidget(QWidget* parent) override;
    QVariant ownProperty(int index) const override;
    bool setOwnProperty(int index, const QVariant& value) override;

  private:
    DrawPanelBlock initial_;
    QPointer<DrawPanel> panel_;
};

}  // namespace tillora
