#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

#include "sales/scan_detector.h"

class QWidget;

namespace tillora {

// Watches every key that reaches one window, wherever its focus is, for a barcode scanner's
// codes (ScanDetector). A finished scan takes its characters back out of the box they went into,
// swallows its Enter, Tab or line feed, and is handed on. Keys typed at a person's pace pass
// untouched.
class BarcodeScanner : public QObject {
    Q_OBJECT

  public:
    using Scanned = std::function<void(const QString& code)>;
    // Milliseconds of a steady clock.
    using Clock = std::function<qint64()>;

    // Installs itself on the application (so that no widget's own handling sees a scan's keys
    // first); removed with it. `clock` times what an input method hands over (the monotonic
    // clock when not given).
    BarcodeScanner(QWidget* window, Scanned scanned, quint64 maxGapMs = ScanDetector::kMaxGapMs,
                   Clock clock = {});
    ~BarcodeScanner() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool inWindow(QObject* watched) const;
    void remember(QWidget* box);
    void takeBack();

    QWidget* window_;
    Scanned scanned_;
    ScanDetector detector_;
    // An input method hands over text without a time stamp: it is timed by this clock, moved
    // onto the key events' time base by the distance last seen between the two.
    Clock clock_;
    qint64 keyTimeOffset_ = 0;
    // The box the run began in and its text before it.
    QPointer<QWidget> box_;
    QString before_;
    int cursor_ = 0;
    // A key event that bubbles up to the parents is offered to the filter again.
    const QEvent* lastEvent_ = nullptr;
    quint64 lastStamp_ = 0;
};

}  // namespace tillora
