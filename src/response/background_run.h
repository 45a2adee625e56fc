#pragma once

// One long computation at a time on a thread of its own, for the pages whose work takes longer
// than a frame: the page starts it, reads its progress, cancels it, and takes the result once
// it is there. No toolkit: the window polls (a timer) and the tests wait on it directly.
//
//   BackgroundRun<int> run;
//   run.Start([](std::stop_token stop, std::atomic<int>& done) -> std::optional<int> {
//     for (int i = 0; i < 100; ++i) {
//       if (stop.stop_requested()) return std::nullopt;  // cancelled: nothing handed over
//       done = i + 1;
//     }
//     return 42;
//   }, 100);
//   ... run.Progress() -> 0 .. 100 ...
//   if (std::optional<int> r = run.Take()) -> 42, once; the run is then over.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>

namespace corvantile {

template <typename Result>
class BackgroundRun {
 public:
  // The work: it looks at `stop` often, counts what it has done into `progress` (0 up to the
  // total Start was given) and returns its result, or none when it stopped early.
  using Work =
      std::function<std::optional<Result>(std::stop_token stop, std::atomic<int>& progress)>;

  BackgroundRun() = default;
  BackgroundRun(const BackgroundRun&) = delete;
  BackgroundRun& operator=(const BackgroundRun&) = delete;
  // Cancels a run still going and waits for its thread.
  ~BackgroundRun() { Cancel(); }

  // Cancels the run still going (its result is never handed over), then starts `work`.
  void Start(Work work, int total) {
    Cancel();
    auto shared = std::make_shared<Shared>();
    shared_ = shared;
    total_ = total;
    thread_ = std::jthread([shared, work = std::move(work)](std::stop_token stop) {
      std::optional<Result> result = work(stop, shared->progress);
      if (stop.stop_requested()) result.reset();
      const std::lock_guard<std::mutex> lock(shared->mutex);
      shared->result = std::move(result);
      shared->done = true;
    });
  }

  // Asks the run to stop and waits for it: promptly, as long as the work looks at its stop
  // token. Whatever it had computed is dropped. False when no run was going.
  bool Cancel() {
    if (!shared_) return false;
    thread_.request_stop();
    if (thread_.joinable()) thread_.join();
    shared_.reset();
    return true;
  }

  // A run was started and its result has not been taken (it may have finished already).
  bool Running() const { return shared_ != nullptr; }
  // The run's thread has returned: Take hands over its result (none if it stopped early).
  bool Finished() const {
    if (!shared_) return false;
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->done;
  }
  // What the run has done, 0 to Total(); 0 without a run.
  int Progress() const { return shared_ ? shared_->progress.load() : 0; }
  int Total() const { return total_; }

  // The finished run's result, handed over once, which ends the run; none while it is still
  // going (the run goes on), or when it stopped early (the run is then over too).
  std::optional<Result> Take() {
    if (!Finished()) return std::nullopt;
    if (thread_.joinable()) thread_.join();
    std::optional<Result> result;
    {
      const std::lock_guard<std::mutex> lock(shared_->mutex);
      result = std::move(shared_->result);
    }
    shared_.reset();
    return result;
  }

 private:
  // What the thread and the owner share; the thread holds it too, so that neither outlives it.
  struct Shared {
    std::atomic<int> progress{0};
    std::mutex mutex;
    bool done = false;
    std::optional<Result> result;
  };

  std::shared_ptr<Shared> shared_;
  std::jthread thread_;
  int total_ = 0;
};

// Runs a computation that watches an atomic flag (as the tolerance and band searches do) with
// a stop token: the flag is raised the moment a stop is asked for.
template <typename Function>
auto WithCancelFlag(std::stop_token stop, Function&& function) {
  std::atomic<bool> cancel{false};
  const std::stop_callback raise(stop, [&cancel] { cancel = true; });
  return std::forward<Function>(function)(static_cast<const std::atomic<bool>*>(&cancel));
}

}  // namespace corvantile
