#pragma once
// HistoryLoader: reads the history on a thread of its own, so that the key
// derivation and the read run while the toolkit starts and the main window
// is built.  The result reaches the user-interface thread as a queued call:
// nothing waits for it and no event is handled half-way through anything.
#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "store/sqlite/database.h"

namespace km {

class HistoryLoader : public QObject {
  Q_OBJECT

 public:
  // Starts reading at once.  May be made before the application object.  A
  // read that takes longer than `timeLimit` ends as a failure.
  // With `Start::WhenReleased` the read waits for release(): what happens
  // while the history has not come can then be seen at leisure.
  enum class Start { Now, WhenReleased };
  explicit HistoryLoader(ConnectString cs, std::chrono::milliseconds timeLimit = kReadTimeLimit,
                         Start start = Start::Now);
  // Stops the read and waits for it to end.
  ~HistoryLoader() override;
  HistoryLoader(const HistoryLoader&) = delete;
  HistoryLoader& operator=(const HistoryLoader&) = delete;

  // Calls `done` once, on `receiver`'s thread from its event loop, with the
  // result; at the next turn of the loop when the read has already ended.
  // Nothing is called once `receiver` is gone.
  void whenLoaded(QObject* receiver, std::function<void(LoadResult)> done);
  // Lets a read made with Start::WhenReleased begin (any thread).
  void release();
  // The read has ended (any thread).
  bool ready();
  // The history, taken now, when the read has already ended well; nothing
  // otherwise (a failed read, or one still running, is for whenLoaded).
  // After a take whenLoaded delivers nothing.  User-interface thread.
  std::optional<LoadResult> takeIfReadWell();

 signals:
  void finished();  // emitted on the reading thread

 private:
  void deliver();

  std::mutex mutex_;
  std::condition_variable released_;
  bool go_ = true;
  bool ready_ = false;
  std::optional<LoadResult> result_;
  // user-interface thread only
  bool delivered_ = false;
  std::function<void(LoadResult)> done_;
  StopSignal stop_;
  std::thread thread_;  // last: starts when everything above is built
};

}  // namespace km
