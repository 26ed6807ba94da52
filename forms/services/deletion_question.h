#pragma once

#include "forms/services/message_service.h"

namespace tillora {

// Asked before a product, payment method or customer is deleted, of every user; 否 is the
// default, so a stray Enter deletes nothing.
inline bool confirmDeletion() {
    return showMessage(
               QStringLiteral("真的要删除选中的这一行吗？删除后不能恢复。"),
               MessageFlags::YesNo | MessageFlags::IconQuestion | MessageFlags::DefaultButton2,
               QStringLiteral("注意")) == MessageResult::Yes;
}

}  // namespace tillora
