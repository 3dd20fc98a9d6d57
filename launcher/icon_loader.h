// Icon look-ups away from the menu's thread. A look-up reads a file's time
// and asks the shell for its icon; on a share that does not answer that
// takes the network's time-out, which the menu must not wait for. The menu
// hands look-ups to workers and takes the answers when they come.
//
// Look-ups of one place (a drive, a share) run one after the other, those of
// different places side by side, so that a place that does not answer holds
// up its own icons only. A place whose look-up came back without an answer
// is left alone for a while: its look-ups are answered at once without one.
//
// Nothing here waits for a worker. One still blocked when the loader is
// shut down drops its answer when it returns (the icon is freed with it),
// and the process may end meanwhile: the workers share the loader's state,
// so that it lives as long as the last of them.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "launcher/menu_model.h"
#include "launcher/worker_sync.h"

namespace vorlane::launcher {

template <typename Icon>
class IconLoader {
 public:
  using Clock = std::chrono::steady_clock;
  using IconPtr = std::shared_ptr<Icon>;

  struct Job {
    std::uint64_t id = 0;  // given by Submit
    std::string key;
    std::string place;
    IconRequest request;
    // The stamp of the icon the entries show from the cache: a look-up that
    // finds it unchanged does not load the icon again.
    std::optional<std::uint64_t> knownStamp;
  };

  enum class Outcome {
    Loaded,     // stamp and icon (null: the files give none)
    Unchanged,  // the stamp is the known one
    NoAnswer,   // the place did not answer; nothing is known
  };

  struct Answer {
    Outcome outcome = Outcome::NoAnswer;
    std::uint64_t stamp = 0;
    IconPtr icon;
  };

  struct Done {
    Job job;
    Answer answer;
  };

  struct Options {
    // Runs on a worker.
    std::function<Answer(const Job&)> lookUp;
    // Runs when answers begin to wait for TakeAnswers: on a worker, or in
    // Submit for a place left alone.
    std::function<void()> answersWaiting;
    // Run first and last on every worker (COM, say); the second only when
    // the first succeeded.
    std::function<bool()> workerStarts;
    std::function<void()> workerEnds;
    std::function<Clock::time_point()> now = [] { return Clock::now(); };
    // A look-up running longer than this says its place is not answering.
    std::chrono::milliseconds noAnswerAfter{300};
    // How long a place that gave no answer is left alone.
    std::chrono::milliseconds rememberSilence{30000};
    // How long an idle worker waits for more before it ends.
    std::chrono::milliseconds linger{30000};
    std::size_t mostWorkers = 4;
  };

  explicit IconLoader(Options options)
      : shared_(std::make_shared<Shared>(std::move(options))) {}
  ~IconLoader() { Shutdown(); }
  IconLoader(const IconLoader&) = delete;
  IconLoader& operator=(const IconLoader&) = delete;

  // Queues the look-up and returns its id; 0 once shut down. A look-up of a
  // place that is left alone is answered at once, without an answer.
  std::uint64_t Submit(Job job) {
    Shared& shared = *shared_;
    std::uint64_t id = 0;
    bool firstAnswer = false;
    {
      sync::Lock lock(shared.mutex);
      if (shared.stopped) return 0;
      id = job.id = ++shared.lastId;
      const std::string name = job.place;
      Place& place = shared.places[name];
      if (SilentAt(place, shared.options.now())) {
        firstAnswer = shared.done.empty();
        shared.done.push_back({std::move(job), Answer{}});
      } else {
        place.queued.push_back(std::move(job));
        MarkReady(shared, name, place);
        StartWorkers(shared_);
      }
    }
    shared.wake.notify_all();
    if (firstAnswer && shared.options.answersWaiting) {
      shared.options.answersWaiting();
    }
    return id;
  }

  // Drops the look-ups that have not started; those running still answer.
  void Cancel(const std::unordered_set<std::uint64_t>& ids) {
    std::vector<Job> dropped;
    sync::Lock lock(shared_->mutex);
    for (auto& [name, place] : shared_->places) {
      for (auto job = place.queued.begin(); job != place.queued.end();) {
        if (ids.count(job->id) != 0) {
          dropped.push_back(std::move(*job));
          job = place.queued.erase(job);
        } else {
          ++job;
        }
      }
      if (place.queued.empty() && place.ready) {
        std::erase(shared_->ready, name);
        place.ready = false;
      }
    }
  }

  std::vector<Done> TakeAnswers() {
    std::vector<Done> answers;
    sync::Lock lock(shared_->mutex);
    answers.swap(shared_->done);
    return answers;
  }

  // False while a look-up of the place has been running for longer than it
  // should, and while the place is left alone.
  bool Answering(const std::string& name) const {
    sync::Lock lock(shared_->mutex);
    const auto found = shared_->places.find(name);
    if (found == shared_->places.end()) return true;
    const Place& place = found->second;
    const Clock::time_point now = shared_->options.now();
    if (SilentAt(place, now)) return false;
    return !place.busy || now - place.started < shared_->options.noAnswerAfter;
  }

  // Whether the place is left alone after it gave no answer.
  bool Silent(const std::string& name) const {
    sync::Lock lock(shared_->mutex);
    const auto found = shared_->places.find(name);
    return found != shared_->places.end() &&
           SilentAt(found->second, shared_->options.now());
  }

  // Look-ups waiting for a worker.
  std::size_t Queued() const {
    sync::Lock lock(shared_->mutex);
    std::size_t queued = 0;
    for (const auto& [name, place] : shared_->places) {
      queued += place.queued.size();
    }
    return queued;
  }

  // Drops every look-up and answer and lets the workers go, without waiting
  // for one that is blocked.
  void Shutdown() {
    std::vector<Done> answers;
    std::vector<std::deque<Job>> queued;
    {
      sync::Lock lock(shared_->mutex);
      if (shared_->stopped) return;
      shared_->stopped = true;
      answers.swap(shared_->done);
      for (auto& [name, place] : shared_->places) {
        queued.push_back(std::move(place.queued));
      }
      shared_->ready.clear();
    }
    shared_->wake.notify_all();
  }

 private:
  struct Place {
    std::deque<Job> queued;
    bool ready = false;  // listed in Shared::ready
    bool busy = false;   // a worker is looking up one of its icons
    Clock::time_point started{};
    std::optional<Clock::time_point> silentUntil;
  };

  struct Shared {
    explicit Shared(Options given) : options(std::move(given)) {}

    const Options options;
    sync::Mutex mutex;
    sync::ConditionVariable wake;
    std::unordered_map<std::string, Place> places;
    // Places with queued look-ups and none running, in the order they came.
    std::deque<std::string> ready;
    std::vector<Done> done;
    std::uint64_t lastId = 0;
    std::size_t workers = 0;
    std::size_t idle = 0;  // workers not in a look-up
    bool stopped = false;
  };

  static bool SilentAt(const Place& place, Clock::time_point now) {
    return place.silentUntil && now < *place.silentUntil;
  }

  static void MarkReady(Shared& shared, const std::string& name, Place& place) {
    if (!place.ready && !place.busy && !place.queued.empty()) {
      shared.ready.push_back(name);
      place.ready = true;
    }
  }

  // One worker for each ready place that no idle worker will take, up to
  // the limit. Called with the lock held.
  static void StartWorkers(const std::shared_ptr<Shared>& shared) {
    while (shared->ready.size() > shared->idle &&
           shared->workers < shared->options.mostWorkers) {
      ++shared->workers;
      ++shared->idle;
      if (!sync::StartDetached([shared] { Work(shared); })) {
        --shared->workers;
        --shared->idle;
        return;
      }
    }
  }

  static Answer LookUp(const Options& options, const Job& job) {
    try {
      return options.lookUp(job);
    } catch (...) {
      return Answer{};
    }
  }

  static void Work(std::shared_ptr<Shared> shared) {
    const Options& options = shared->options;
    const bool started = !options.workerStarts || options.workerStarts();
    sync::Lock lock(shared->mutex);
    while (!shared->stopped) {
      if (shared->ready.empty()) {
        if (!shared->wake.wait_for(shared->mutex, options.linger, [&] {
              return shared->stopped || !shared->ready.empty();
            })) {
          break;
        }
        continue;
      }
      const std::string name = std::move(shared->ready.front());
      shared->ready.pop_front();
      // Places are never erased, so the reference outlives the unlocking.
      Place& place = shared->places[name];
      place.ready = false;
      if (place.queued.empty()) continue;
      Job job = std::move(place.queued.front());
      place.queued.pop_front();
      place.busy = true;
      place.started = options.now();
      --shared->idle;

      lock.unlock();
      Answer answer = LookUp(options, job);
      lock.lock();

      ++shared->idle;
      place.busy = false;
      if (shared->stopped) {
        lock.unlock();
        answer = Answer{};  // frees the icon outside the lock
        lock.lock();
        break;
      }
      const bool first = shared->done.empty();
      if (answer.outcome == Outcome::NoAnswer) {
        place.silentUntil = options.now() + options.rememberSilence;
        for (Job& waiting : place.queued) {
          shared->done.push_back({std::move(waiting), Answer{}});
        }
        place.queued.clear();
      }
      shared->done.push_back({std::move(job), std::move(answer)});
      MarkReady(*shared, name, place);
      if (first && options.answersWaiting) {
        lock.unlock();
        options.answersWaiting();
        lock.lock();
      }
    }
    --shared->workers;
    --shared->idle;
    lock.unlock();
    if (started && options.workerEnds) options.workerEnds();
  }

  std::shared_ptr<Shared> shared_;
};

}  // namespace vorlane::launcher
