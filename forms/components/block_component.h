#pragma once

#include "forms/component.h"
#include "templates/property_blocks.h"

namespace tillora {

// A component whose property data is one of the typed blocks: an empty block keeps the defaults, a
// block that doesn't read (damaged, or newer than the type's version) fails the creation.
template <typename Block>
class BlockComponent : public Component {
  public:
    using Component::Component;

    const Block& block() const { return block_; }

    QByteArray writeBlock() const override {
        Block current = block_;
        storeCurrent(current);
        return write(current);
    }

  protected:
    bool parseBlock(const QByteArray& data, QString* error) override {
        if (data.isEmpty()) {
            return true;
        }
        if (!parse(data, block_)) {
            *error =
                QStringLiteral("property data can't be read (damaged, or newer than version %1)")
                    .arg(Block::kVersion);
            return false;
        }
        return true;
    }
    // Copies what the user or the program changed in the control into the block to write.
    virtual void storeCurrent(Block& out) const { Q_UNUSED(out); }

    Block block_;
};

}  // namespace tillora
