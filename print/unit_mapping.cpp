#include "print/unit_mapping.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tillora {

namespace {

double unitsPerInch(int unit, double dpi) {
    switch (unit) {
        case 1:
            return 254.0;
        case 2:
            return 2540.0;
        case 3:
            return 100.0;
        case 4:
            return 1000.0;
        case 5:
            return 1440.0;
        default:
            return dpi;
    }
}

int roundToInt(double v) {
    return static_cast<int>(std::lround(v));
}

}  // namespace

UnitMapping::UnitMapping(int unit, double dpiX, double dpiY)
    : unit_(clampUnit(unit)), dpiX_(dpiX > 0 ? dpiX : 96.0), dpiY_(dpiY > 0 ? dpiY : 96.0) {}

int UnitMapping::clampUnit(int unit) {
    return std::clamp(unit, kMinUnit, kMaxUnit);
}

double UnitMapping::unitsPerInchX() const {
    return unitsPerInch(unit_, dpiX_);
}
double UnitMapping::unitsPerInchY() const {
    return unitsPerInch(unit_, dpiY_);
}

int UnitMapping::toDeviceX(int logical) const {
    return roundToInt(logical * dpiX_ / unitsPerInchX());
}
int UnitMapping::toDeviceY(int logical) const {
    return roundToInt(logical * dpiY_ / unitsPerInchY());
}
int UnitMapping::toLogicalX(double device) const {
    return roundToInt(device * unitsPerInchX() / dpiX_);
}
int UnitMapping::toLogicalY(double device) const {
    return roundToInt(device * unitsPerInchY() / dpiY_);
}

double UnitMapping::fontFactor() const {
    switch (unit_) {
        case 1:
            return 3.5250987027636778;
        case 2:
            return 35.250987027636775;
        case 3:
            return 1.3888888888888888;
        case 4:
            return 13.888888888888888;
        case 5:
            return 20.0;
        default:
            return dpiY_ / 72.0;
    }
}

int UnitMapping::characterHeight(int pixelHeight) const {
    const double points = std::abs(pixelHeight) * 72.0 / kFontDesignDpi;
    return static_cast<int>(points * fontFactor());
}

}  // namespace tillora
