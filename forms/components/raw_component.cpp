#include "forms/components/raw_component.h"

#include <QFrame>
#include <QtEndian>

namespace tillora {

RawComponent::RawComponent(FormWindow* window, const ComponentRecord& record, int controlId,
                           bool visual, qint32 latestVersion)
    : Component(window, record, controlId), visual_(visual), latestVersion_(latestVersion) {}

bool RawComponent::parseBlock(const QByteArray& block, QString* error) {
    if (!block.isEmpty()) {
        if (block.size() < 4) {
            *error = QStringLiteral("property data too short");
            return false;
        }
        const qint32 version = qFromLittleEndian<qint32>(block.constData());
        if (version > latestVersion_) {
            *error = QStringLiteral("property data version %1 is newer than %2")
                         .arg(version)
                         .arg(latestVersion_);
            return false;
        }
    }
    raw_ = block;
    return true;
}

QWidget* RawComponent::makeWidget(QWidget* parent) {
    if (!visual_) {
        return nullptr;
    }
    auto* frame = new QFrame(parent);
    frame->setFocusPolicy(Qt::NoFocus);
    return frame;
}

}  // namespace tillora
