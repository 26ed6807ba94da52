#include "values/value.h"

namespace tillora {

bool Value::isNumber() const {
    switch (kind()) {
        case Kind::Byte:
        case Kind::Short:
        case Kind::Int:
        case Kind::Long:
        case Kind::Float:
        case Kind::Double:
            return true;
        default:
            return false;
    }
}

bool Value::toNumber(double* out) const {
    double v = 0;
    switch (kind()) {
        case Kind::Byte:
            v = byteValue();
            break;
        case Kind::Short:
            v = shortValue();
            break;
        case Kind::Int:
            v = intValue();
            break;
        case Kind::Long:
            v = static_cast<double>(longValue());
            break;
        case Kind::Float:
            v = floatValue();
            break;
        case Kind::Double:
            v = doubleValue();
            break;
        default:
            if (out) {
                *out = 0;
            }
            return false;
    }
    if (out) {
        *out = v;
    }
    return true;
}

}  // namespace tillora
