#include "platform/qt/qt_main_queue.h"

#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

namespace calyxa {
namespace {

int milliseconds(double seconds) {
  if (!(seconds > 0.0)) return 0;
  const double ms = std::ceil(seconds * 1000.0);
  return ms >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                               : static_cast<int>(ms);
}

// Runs `work` on the context's thread: at once when already there, else as a queued call.
void onContextThread(QObject* context, Work work) {
  if (QThread::currentThread() == context->thread()) {
    work();
  } else {
    QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
  }
}

}  // namespace

QtMainQueue::QtMainQueue() : context_(std::make_unique<QObject>()) {}

QtMainQueue::~QtMainQueue() = default;

void QtMainQueue::async(Work work) {
  QMetaObject::invokeMethod(context_.get(), std::move(work), Qt::QueuedConnection);
}

Cancellable QtMainQueue::asyncAfter(double seconds, Work work) {
  Cancellable handle;
  QObject* context = context_.get();
  onContextThread(context, [context, handle, work = std::move(work), ms = milliseconds(seconds)] {
    auto* timer = new QTimer(context);  // owned by the context, deleted after its one shot
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, handle, work] {
      timer->deleteLater();
      if (!handle.isCancelled()) work();
    });
    timer->start(ms);
  });
  return handle;
}

Cancellable QtMainQueue::scheduleRepeating(double interval, Work work) {
  Cancellable handle;
  QObject* context = context_.get();
  onContextThread(
      context, [context, handle, work = std::move(work), ms = std::max(1, milliseconds(interval))] {
        auto* timer = new QTimer(context);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, handle, work] {
          if (handle.isCancelled()) {
            timer->stop();
            timer->deleteLater();
            return;
          }
          work();
        });
        timer->start(ms);
      });
  return handle;
}

int QtMainQueue::liveTimerCount() const {
  const auto timers = context_->findChildren<QTimer*>(Qt::FindDirectChildrenOnly);
  return static_cast<int>(std::count_if(timers.begin(), timers.end(),
                                        [](const QTimer* timer) { return timer->isActive(); }));
}

}  // namespace calyxa
