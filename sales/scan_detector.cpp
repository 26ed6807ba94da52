#include "sales/scan_detector.h"

namespace tillora {

bool ScanDetector::continues(quint64 timestamp) const {
    return !run_.isEmpty() && timestamp != 0 && timestamp >= last_ && timestamp - last_ <= maxGap_;
}

bool ScanDetector::character(QStringView text, quint64 timestamp) {
    if (timestamp == 0 || text.isEmpty()) {
        reset();
        return false;
    }
    const bool fresh = !continues(timestamp);
    if (fresh) {
        run_.clear();
    }
    run_ += text;
    last_ = timestamp;
    return fresh;
}

std::optional<QString> ScanDetector::end(quint64 timestamp) {
    std::optional<QString> code;
    if (continues(timestamp) && run_.size() >= minLength_) {
        code = run_;
    }
    reset();
    return code;
}

void ScanDetector::reset() {
    run_.clear();
    last_ = 0;
}

}  // namespace tillora
