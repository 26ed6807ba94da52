#include "forms/handler_registry.h"

namespace tillora {

void HandlerRegistry::add(const QString& name, Handler handler) {
    handlers_.insert(name, std::move(handler));
}

void HandlerRegistry::remove(const QString& name) {
    handlers_.remove(name);
}

const Handler* HandlerRegistry::find(const QString& name) const {
    const auto it = handlers_.constFind(name);
    return it == handlers_.constEnd() ? nullptr : &it.value();
}

QStringList HandlerRegistry::missing(const QStringList& names) const {
    QStringList result;
    for (const QString& name : names) {
        if (!handlers_.contains(name) && !result.contains(name)) {
            result.append(name);
        }
    }
    return result;
}

int intArgument(const EventArgs& args, qsizetype index) {
    double number = 0;
    return args.arg(index).toNumber(&number) ? static_cast<int>(number) : -1;
}

}  // namespace tillora
