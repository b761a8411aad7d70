#include "app/history_loader.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QPointer>
#include <utility>

namespace km {

HistoryLoader::HistoryLoader(ConnectString cs, std::chrono::milliseconds timeLimit, Start start)
    : go_(start == Start::Now), thread_([this, cs = std::move(cs), timeLimit] {
        {
          std::unique_lock lock(mutex_);
          released_.wait(lock, [this] { return go_; });
        }
        // A little below the user-interface thread: on a machine with few
        // cores the toolkit's start comes first (this thread's few
        // milliseconds still come long before the history is wanted), and
        // under a heavy load the window is up, busy, until the history comes.
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 5);
        LoadResult r = loadHistory(cs, false, ReadLimits{timeLimit, &stop_});
        {
          std::lock_guard lock(mutex_);
          result_ = std::move(r);
          ready_ = true;
        }
        emit finished();
      }) {}

HistoryLoader::~HistoryLoader() {
  stop_.stop();
  release();
  if (thread_.joinable()) thread_.join();
}

void HistoryLoader::whenLoaded(QObject* receiver, std::function<void(LoadResult)> done) {
  done_ = std::move(done);
  // The signal comes from the reading thread, so the call is queued to the
  // receiver's thread; a read that has already ended is delivered the same
  // way.  Whichever call comes first delivers, the other finds nothing to do.
  const QPointer<HistoryLoader> self(this);
  connect(
      this, &HistoryLoader::finished, receiver,
      [self] {
        if (self) self->deliver();
      },
      Qt::QueuedConnection);
  bool ready;
  {
    std::lock_guard lock(mutex_);
    ready = ready_;
  }
  if (ready)
    QMetaObject::invokeMethod(
        receiver,
        [self] {
          if (self) self->deliver();
        },
        Qt::QueuedConnection);
}

void HistoryLoader::release() {
  {
    std::lock_guard lock(mutex_);
    go_ = true;
  }
  released_.notify_all();
}

bool HistoryLoader::ready() {
  std::lock_guard lock(mutex_);
  return ready_;
}

std::optional<LoadResult> HistoryLoader::takeIfReadWell() {
  if (delivered_) return std::nullopt;
  std::lock_guard lock(mutex_);
  if (!ready_ || !result_ || !*result_) return std::nullopt;
  delivered_ = true;
  done_ = nullptr;
  return std::move(result_);
}

void HistoryLoader::deliver() {
  if (delivered_ || !done_) return;
  std::optional<LoadResult> r;
  {
    std::lock_guard lock(mutex_);
    if (!ready_ || !result_) return;
    r = std::move(result_);
  }
  delivered_ = true;
  auto done = std::move(done_);
  done_ = nullptr;
  done(std::move(*r));
}

}  // namespace km
