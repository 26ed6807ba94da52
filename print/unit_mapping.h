#pragma once

namespace tillora {

// Logical units of the drawing surfaces: 0 device pixel, 1 0.1 mm, 2 0.01 mm, 3 0.01 inch,
// 4 0.001 inch, 5 twip. y grows downward from the top-left of the drawable area.
class UnitMapping {
  public:
    static constexpr int kMinUnit = 0;
    static constexpr int kMaxUnit = 5;
    // The screen resolution fonts are designed against; fixed so that layouts do not depend
    // on the machine they run on.
    static constexpr double kFontDesignDpi = 96.0;

    UnitMapping(int unit, double dpiX, double dpiY);

    int unit() const { return unit_; }
    double dpiX() const { return dpiX_; }
    double dpiY() const { return dpiY_; }

    // Logical units per inch along each axis (the device dpi for unit 0).
    double unitsPerInchX() const;
    double unitsPerInchY() const;

    int toDeviceX(int logical) const;
    int toDeviceY(int logical) const;
    int toLogicalX(double device) const;
    int toLogicalY(double device) const;

    // Points to logical units for font heights; the metric factors are slightly below
    // 254/72 because that is what fonts were built with on the original devices.
    double fontFactor() const;
    // Character height in logical units of a font whose design height is |pixelHeight|
    // pixels at kFontDesignDpi.
    int characterHeight(int pixelHeight) const;

    static int clampUnit(int unit);

  private:
    int unit_;
    double dpiX_;
    double dpiY_;
};

}  // namespace tillora
