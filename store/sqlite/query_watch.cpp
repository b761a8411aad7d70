#include "store/sqlite/query_watch.h"

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

// Every few steps of a statement: nonzero interrupts it.
int QueryWatch::checkEnded(void* watch) { return static_cast<QueryWatch*>(watch)->ended_.load() ? 1 : 0; }

QueryWatch::QueryWatch(sqlite3* db, std::chrono::milliseconds limit, StopSignal* stop)
    : db_(db), signal_(stop ? *stop : own_) {
  // sqlite3_interrupt reaches only the statements running at that moment: a
  // statement begun after it would run unbounded, so every statement of the
  // connection also asks whether the read has ended.
  sqlite3_progress_handler(db_, kStepsBetweenChecks, &QueryWatch::checkEnded, this);
  thread_ = std::thread([this, limit] {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::unique_lock lock(signal_.mutex_);
    const bool stopped = signal_.changed_.wait_until(lock, deadline, [this] { return done_ || signal_.stopped_; });
    if (done_) return;
    timedOut_ = !stopped;
    ended_ = true;
    sqlite3_interrupt(db_);
  });
}

QueryWatch::~QueryWatch() {
  {
    std::lock_guard lock(signal_.mutex_);
    done_ = true;
  }
  signal_.changed_.notify_all();
  thread_.join();
  sqlite3_progress_handler(db_, 0, nullptr, nullptr);
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
