#pragma once
// TTimer: a repeating timer with the classic component's semantics. Setting Enabled or Interval
// to the value it already has changes nothing; any real change restarts the countdown; an
// interval of 0 gives no ticks. Ticks arrive while a modal loop opened by a tick runs, as the
// message-driven original did.

#include <QObject>
#include <functional>

#include "framework/Time.h"

namespace ostrivo {

class TTimer : public QObject {
 public:
  explicit TTimer(Scheduler& scheduler, QObject* parent = nullptr);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);

  // Called with this timer as sender.
  std::function<void(QObject* sender)> OnTimer;

 private:
  void Restart();
  void Fire();

  Scheduler& scheduler_;
  bool enabled_ = true;
  unsigned interval_ = 1000;
  Scheduler::Id pending_ = 0;
};

}  // namespace ostrivo
