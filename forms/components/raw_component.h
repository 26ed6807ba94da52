#pragma once

#include "forms/component.h"

namespace tillora {

// A component this library keeps only as data: the invisible database and spreadsheet components
// (their work is done by program classes) and the printer and the draw panel until the printing
// code registers its own. The block is kept as read and written back unchanged; a visible type gets
// an empty frame in its place.
class RawComponent : public Component {
    Q_OBJECT

  public:
    RawComponent(FormWindow* window, const ComponentRecord& record, int controlId, bool visual,
                 qint32 latestVersion);

    QByteArray writeBlock() const override { return raw_; }

  protected:
    bool parseBlock(const QByteArray& block, QString* error) override;
    QWidget* makeWidget(QWidget* parent) override;

  private:
    bool visual_;
    qint32 latestVersion_;
    QByteArray raw_;
};

}  // namespace tillora
