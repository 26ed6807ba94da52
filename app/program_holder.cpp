#include "app/program_holder.h"

namespace tillora {

namespace {
ProgramHolder* current = nullptr;
}

ProgramHolder::ProgramHolder(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("程序持有者"));
    current = this;
}

ProgramHolder::~ProgramHolder() {
    database_.CloseDatabase();
    if (current == this) {
        current = nullptr;
    }
}

ProgramHolder* ProgramHolder::instance() {
    return current;
}

}  // namespace tillora
