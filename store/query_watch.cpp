#include "store/query_watch.h"

#include <sqlite3.h>

namespace km {

bool StopSignal::stop() {
  {
    std::lock_guard lock(mutex_);
    if (committing_) return false;
    stopped_ = true;
  }
  changed_.notify_all();
  return true;
}

bool StopSignal::beginCommit() {
  std::lock_guard lock(mutex_);
  committing_ = !stopped_;
  return committing_;
}

bool StopSignal::stopped() const {
  std::lock_guard lock(mutex_);
  return stopped_;
}

QueryWatch::QueryWatch(sqlite3* db, std::chrono::milliseconds limit, StopSignal* stop)
    : signal_(stop ? *stop : own_), thread_([this, db, limit] {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        std::unique_lock lock(signal_.mutex_);
        const bool ended = signal_.changed_.wait_until(lock, deadline, [this] { return done_ || signal_.stopped_; });
        if (done_) return;
        timedOut_ = !ended;
        sqlite3_interrupt(db);
      }) {}

QueryWatch::~QueryWatch() {
  {
    std::lock_guard lock(signal_.mutex_);
    done_ = true;
  }
  signal_.changed_.notify_all();
  thread_.join();
}

bool QueryWatch::timedOut() const {
  std::lock_guard lock(signal_.mutex_);
  return timedOut_;
}

void guardConnection(sqlite3* db) {
  sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 64 * 1024);
  sqlite3_limit(db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 1);
}

}  // namespace km
