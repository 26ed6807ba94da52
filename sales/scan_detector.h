#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tillora {

// Tells a barcode scanner from a person at the same keyboard. A scanner in keyboard mode types
// the whole code within a few milliseconds per key and ends it with Enter, Tab or a line feed;
// nobody types four keys in a row that fast. Times are the key events' own time stamps in
// milliseconds, so a busy program that handles the keys late still sees the scanner's pace.
// Qt Core only: it knows no widget.
class ScanDetector {
  public:
    static constexpr quint64 kMaxGapMs = 30;
    static constexpr int kMinLength = 4;

    explicit ScanDetector(quint64 maxGapMs = kMaxGapMs, int minLength = kMinLength)
        : maxGap_(maxGapMs), minLength_(minLength) {}

    // Printable text arrived. True when it begins a new run (the one before, if any, was too
    // slow to be a scan): the caller remembers where the run started. A time stamp of 0 is an
    // event made by software, which carries no time: it belongs to no run.
    bool character(QStringView text, quint64 timestamp);
    // Enter, Tab or a line feed arrived: the code when it ends a scan, and the run is over
    // either way.
    std::optional<QString> end(quint64 timestamp);
    // Any other key: whatever run there was is not a scan.
    void reset();

    bool inRun() const { return !run_.isEmpty(); }
    const QString& run() const { return run_; }

  private:
    bool continues(quint64 timestamp) const;

    quint64 maxGap_;
    int minLength_;
    QString run_;
    quint64 last_ = 0;
};

}  // namespace tillora
