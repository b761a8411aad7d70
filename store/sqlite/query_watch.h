#pragma once
// A wall-clock bound on the queries of one connection: a watch thread calls
// sqlite3_interrupt when the time is up, or at once when the reader is told
// to stop (the user cancelled).  An interrupted statement fails with
// SQLITE_INTERRUPT; what a single SQL function call does between two steps
// cannot be interrupted, so connections on files this program did not write
// also get tight limits on value sizes and LIKE patterns (guardConnection).
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

struct sqlite3;

namespace km {

// How long the reading of a database may take: the start-up read, the read
// of a downloaded database and of the history the update replaces.  Reading
// the largest possible history (32767 draws) takes well under a second.
inline constexpr std::chrono::milliseconds kReadTimeLimit{10000};

// Told to stop from any thread; watches and readers look at it.
class StopSignal {
 public:
  // False when the work had already passed its point of no return: it then
  // ends as it would have.
  bool stop();
  bool stopped() const;
  // The work passes its point of no return (it begins to write): true unless
  // it was stopped before.
  bool beginCommit();

 private:
  friend class QueryWatch;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool stopped_ = false;
  bool committing_ = false;
};

// Interrupts the queries of `db` once `limit` has passed or `stop` (when
// given) is told to stop, and every statement after that, until the watch
// goes.  The connection must outlive the watch, and has no other progress
// handler meanwhile.
class QueryWatch {
 public:
  QueryWatch(sqlite3* db, std::chrono::milliseconds limit, StopSignal* stop = nullptr);
  ~QueryWatch();
  QueryWatch(const QueryWatch&) = delete;
  QueryWatch& operator=(const QueryWatch&) = delete;

  // The time ran out (as opposed to a stop or no interruption at all).
  bool timedOut() const;

 private:
  static constexpr int kStepsBetweenChecks = 1000;
  static int checkEnded(void* watch);
  sqlite3* db_;
  std::atomic<bool> ended_{false};
  StopSignal own_;
  StopSignal& signal_;
  bool done_ = false;  // under signal_.mutex_
  bool timedOut_ = false;
  std::thread thread_;  // started when everything above is set
};

// Limits for a connection on a file this program did not write: values of at
// most 64 KiB and no LIKE or GLOB pattern longer than one character (this
// program's queries use neither), so that no single function call in a view
// runs for long.
void guardConnection(sqlite3* db);

}  // namespace km
