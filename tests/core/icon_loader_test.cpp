// Icon look-ups on workers: answers, a place that blocks, a place that gave
// no answer, cancelling, the number of workers, and shutting down without
// waiting for a look-up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "launcher/icon_loader.h"

namespace vorlane::launcher {
namespace {

using namespace std::chrono_literals;

struct FakeIcon {
  static inline std::atomic<int> live{0};
  FakeIcon() { ++live; }
  ~FakeIcon() { --live; }
  FakeIcon(const FakeIcon&) = delete;
  FakeIcon& operator=(const FakeIcon&) = delete;
};

using Loader = IconLoader<FakeIcon>;
using Outcome = Loader::Outcome;

constexpr std::uint64_t kStamp = 7;
// Look-ups of these places wait at the gate; those of "silent" come back
// without an answer; every other one loads an icon.
const std::set<std::string> kBlockedPlaces = {"\\\\blocked\\a", "\\\\blocked\\b",
                                              "\\\\blocked\\c"};
constexpr char kSilent[] = "\\\\silent\\share";

bool WaitFor(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

class IconLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { FakeIcon::live = 0; }
  void TearDown() override {
    Open();
    EXPECT_TRUE(WaitFor([] { return FakeIcon::live == 0; }))
        << FakeIcon::live << " icons left";
    EXPECT_TRUE(WaitFor([this] { return workersEnded_ == workersStarted_; }))
        << workersStarted_ << " workers started, " << workersEnded_ << " ended";
  }

  Loader::Options Options() {
    Loader::Options options;
    options.lookUp = [this](const Loader::Job& job) { return LookUp(job); };
    options.answersWaiting = [this] { ++wakes_; };
    // A worker made just before its loader was shut down may begin after
    // the test has ended: the counts it touches outlive the test.
    options.workerStarts = [counts = workerCounts_] {
      ++counts->started;
      return true;
    };
    options.workerEnds = [counts = workerCounts_] { ++counts->ended; };
    options.now = [this] { return Loader::Clock::time_point(clock_.load()); };
    options.noAnswerAfter = 300ms;
    options.rememberSilence = 30s;
    options.linger = 50ms;
    return options;
  }

  Loader::Job Job(const std::string& place, const std::string& key = "k") {
    return {0, key, place, IconRequest{IconSource::ShellFile, place, "", 0},
            std::nullopt};
  }

  // Collects answers until there are `count` of them.
  std::vector<Loader::Done> Answers(Loader& loader, std::size_t count) {
    std::vector<Loader::Done> answers;
    WaitFor([&] {
      for (Loader::Done& done : loader.TakeAnswers()) {
        answers.push_back(std::move(done));
      }
      return answers.size() >= count;
    });
    return answers;
  }

  void Advance(std::chrono::milliseconds by) { clock_ = clock_.load() + by; }

  void Open() {
    std::lock_guard lock(gateMutex_);
    gateOpen_ = true;
    gate_.notify_all();
  }

  int LookUpsOf(const std::string& place) {
    std::lock_guard lock(recordMutex_);
    int count = 0;
    for (const std::string& looked : lookedUp_) count += looked == place ? 1 : 0;
    return count;
  }

  std::atomic<int> wakes_{0};
  std::atomic<int> running_{0};
  std::atomic<int> mostRunning_{0};
  struct WorkerCounts {
    std::atomic<int> started{0};
    std::atomic<int> ended{0};
  };
  std::shared_ptr<WorkerCounts> workerCounts_ = std::make_shared<WorkerCounts>();
  std::atomic<int>& workersStarted_ = workerCounts_->started;
  std::atomic<int>& workersEnded_ = workerCounts_->ended;
  std::mutex recordMutex_;
  std::set<std::thread::id> lookUpThreads_;
  std::vector<std::string> lookedUp_;

 private:
  Loader::Answer LookUp(const Loader::Job& job) {
    {
      std::lock_guard lock(recordMutex_);
      lookUpThreads_.insert(std::this_thread::get_id());
      lookedUp_.push_back(job.place);
    }
    const int running = ++running_;
    for (int most = mostRunning_; running > most &&
                                  !mostRunning_.compare_exchange_weak(most, running);) {
    }
    if (kBlockedPlaces.count(job.place) != 0) {
      std::unique_lock lock(gateMutex_);
      gate_.wait_for(lock, 10s, [this] { return gateOpen_; });
    }
    --running_;
    if (job.place == kSilent) return {Outcome::NoAnswer, 0, nullptr};
    if (job.knownStamp == kStamp) return {Outcome::Unchanged, kStamp, nullptr};
    return {Outcome::Loaded, kStamp, std::make_shared<FakeIcon>()};
  }

  std::atomic<Loader::Clock::duration> clock_{Loader::Clock::duration(1h)};
  std::mutex gateMutex_;
  std::condition_variable gate_;
  bool gateOpen_ = false;
};

TEST_F(IconLoaderTest, AnswersComeFromWorkersInTheOrderOfTheirPlace) {
  Loader loader(Options());
  const std::uint64_t first = loader.Submit(Job("c:", "a"));
  const std::uint64_t second = loader.Submit(Job("c:", "b"));
  Loader::Job known = Job("c:", "c");
  known.knownStamp = kStamp;
  const std::uint64_t third = loader.Submit(known);
  EXPECT_NE(first, 0u);

  const std::vector<Loader::Done> answers = Answers(loader, 3);
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(answers[0].job.id, first);
  EXPECT_EQ(answers[1].job.id, second);
  EXPECT_EQ(answers[2].job.id, third);
  EXPECT_EQ(answers[0].answer.outcome, Outcome::Loaded);
  EXPECT_NE(answers[0].answer.icon, nullptr);
  EXPECT_EQ(answers[2].answer.outcome, Outcome::Unchanged)
      << "the known stamp loaded again";
  EXPECT_GE(wakes_, 1);
  std::lock_guard lock(recordMutex_);
  EXPECT_EQ(lookUpThreads_.count(std::this_thread::get_id()), 0u)
      << "looked up on the caller's thread";
}

TEST_F(IconLoaderTest, ABlockedPlaceHoldsUpItsOwnLookUpsOnly) {
  Loader loader(Options());
  const std::uint64_t blocked = loader.Submit(Job("\\\\blocked\\a"));
  const std::uint64_t behind = loader.Submit(Job("\\\\blocked\\a"));
  loader.Submit(Job("c:"));
  loader.Submit(Job("d:"));
  ASSERT_TRUE(WaitFor([&] { return LookUpsOf("\\\\blocked\\a") == 1; }));

  const std::vector<Loader::Done> others = Answers(loader, 2);
  ASSERT_EQ(others.size(), 2u) << "other places waited for the blocked one";
  for (const Loader::Done& done : others) {
    EXPECT_NE(done.job.place, "\\\\blocked\\a");
  }
  EXPECT_EQ(LookUpsOf("\\\\blocked\\a"), 1) << "two look-ups of one place at once";
  EXPECT_EQ(loader.Queued(), 1u);

  EXPECT_TRUE(loader.Answering("\\\\blocked\\a"));
  Advance(299ms);
  EXPECT_TRUE(loader.Answering("\\\\blocked\\a"));
  Advance(1ms);
  EXPECT_FALSE(loader.Answering("\\\\blocked\\a"));
  EXPECT_TRUE(loader.Answering("c:"));
  EXPECT_TRUE(loader.Answering("never seen"));
  EXPECT_FALSE(loader.Silent("\\\\blocked\\a")) << "slow is not silent";

  Open();
  const std::vector<Loader::Done> late = Answers(loader, 2);
  ASSERT_EQ(late.size(), 2u);
  EXPECT_EQ(late[0].job.id, blocked);
  EXPECT_EQ(late[1].job.id, behind);
  EXPECT_TRUE(loader.Answering("\\\\blocked\\a"));
}

TEST_F(IconLoaderTest, APlaceThatGaveNoAnswerIsLeftAloneForAWhile) {
  Loader loader(Options());
  loader.Submit(Job(kSilent));
  ASSERT_EQ(Answers(loader, 1).size(), 1u);
  EXPECT_TRUE(loader.Silent(kSilent));
  EXPECT_FALSE(loader.Answering(kSilent));
  EXPECT_FALSE(loader.Silent("c:"));

  const std::uint64_t meanwhile = loader.Submit(Job(kSilent));
  EXPECT_NE(meanwhile, 0u);
  const std::vector<Loader::Done> answers = Answers(loader, 1);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].job.id, meanwhile);
  EXPECT_EQ(answers[0].answer.outcome, Outcome::NoAnswer);
  EXPECT_EQ(LookUpsOf(kSilent), 1) << "asked again while left alone";

  Advance(30s);
  EXPECT_FALSE(loader.Silent(kSilent));
  loader.Submit(Job(kSilent));
  ASSERT_EQ(Answers(loader, 1).size(), 1u);
  EXPECT_EQ(LookUpsOf(kSilent), 2) << "not asked again after a while";
}

TEST_F(IconLoaderTest, LookUpsQueuedBehindOneWithoutAnswerGetNoneEither) {
  Loader::Options options = Options();
  // The blocked share of this test answers with nothing once let go.
  options.lookUp = [look = options.lookUp](const Loader::Job& job) {
    Loader::Answer answer = look(job);
    if (job.place == "\\\\blocked\\a") answer = {};
    return answer;
  };
  Loader loader(std::move(options));
  loader.Submit(Job("\\\\blocked\\a"));
  loader.Submit(Job("\\\\blocked\\a"));
  loader.Submit(Job("\\\\blocked\\a"));
  ASSERT_TRUE(WaitFor([&] { return LookUpsOf("\\\\blocked\\a") == 1; }));
  Open();
  const std::vector<Loader::Done> answers = Answers(loader, 3);
  ASSERT_EQ(answers.size(), 3u);
  for (const Loader::Done& done : answers) {
    EXPECT_EQ(done.answer.outcome, Outcome::NoAnswer);
  }
  EXPECT_EQ(LookUpsOf("\\\\blocked\\a"), 1);
}

TEST_F(IconLoaderTest, CancelledLookUpsDoNotRunWhileARunningOneStillAnswers) {
  Loader loader(Options());
  const std::uint64_t running = loader.Submit(Job("\\\\blocked\\a"));
  const std::uint64_t cancelled = loader.Submit(Job("\\\\blocked\\a"));
  const std::uint64_t kept = loader.Submit(Job("\\\\blocked\\a"));
  ASSERT_TRUE(WaitFor([&] { return LookUpsOf("\\\\blocked\\a") == 1; }));
  loader.Cancel({running, cancelled});
  EXPECT_EQ(loader.Queued(), 1u);
  Open();
  const std::vector<Loader::Done> answers = Answers(loader, 2);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0].job.id, running);
  EXPECT_EQ(answers[1].job.id, kept);
  EXPECT_EQ(LookUpsOf("\\\\blocked\\a"), 2);
}

TEST_F(IconLoaderTest, WorkersAreBoundedSetUpAndEndWhenIdle) {
  Loader::Options options = Options();
  options.mostWorkers = 2;
  Loader loader(std::move(options));
  loader.Submit(Job("\\\\blocked\\a"));
  loader.Submit(Job("\\\\blocked\\b"));
  loader.Submit(Job("\\\\blocked\\c"));
  ASSERT_TRUE(WaitFor([&] { return running_ == 2; }));
  EXPECT_EQ(loader.Queued(), 1u) << "more workers than allowed";
  Open();
  EXPECT_EQ(Answers(loader, 3).size(), 3u);
  EXPECT_EQ(mostRunning_, 2);
  EXPECT_EQ(workersStarted_, 2);
  EXPECT_TRUE(WaitFor([&] { return workersEnded_ == 2; }))
      << "idle workers did not end";
}

TEST_F(IconLoaderTest, ShutdownDoesNotWaitAndTheLateAnswerIsFreed) {
  std::uint64_t late = 0;
  {
    Loader loader(Options());
    late = loader.Submit(Job("\\\\blocked\\a"));
    ASSERT_TRUE(WaitFor([&] { return running_ == 1; }));
    const int wakes = wakes_;
    loader.Shutdown();
    EXPECT_EQ(running_, 1) << "the shutdown waited for the look-up";
    EXPECT_TRUE(loader.TakeAnswers().empty());
    EXPECT_EQ(loader.Submit(Job("c:")), 0u) << "taken after the shutdown";
    Open();
    ASSERT_TRUE(WaitFor([&] { return running_ == 0; }));
    EXPECT_TRUE(WaitFor([] { return FakeIcon::live == 0; }))
        << "the late answer's icon was kept";
    EXPECT_EQ(wakes_, wakes) << "answers announced after the shutdown";
  }
  EXPECT_NE(late, 0u);
}

TEST_F(IconLoaderTest, TheLoaderMayGoWhileALookUpIsBlocked) {
  {
    Loader loader(Options());
    loader.Submit(Job("\\\\blocked\\a"));
    ASSERT_TRUE(WaitFor([&] { return running_ == 1; }));
  }
  Open();
  EXPECT_TRUE(WaitFor([&] { return workersEnded_ == 1; }));
}

TEST(IconPlaces, TheShareOrDriveALookUpReads) {
  const auto place = [](IconSource source, std::string location,
                        std::string file = "") {
    return IconPlace({source, std::move(location), std::move(file), 0});
  };
  EXPECT_EQ(place(IconSource::ShellFile, "C:\\Tools\\a.exe"), "c:");
  EXPECT_EQ(place(IconSource::ShellFile, "\\\\Server\\Share\\a.exe"),
            "\\\\server\\share");
  EXPECT_EQ(place(IconSource::ShellFile, "\\\\server\\share"), "\\\\server\\share");
  EXPECT_EQ(place(IconSource::ShellFile, "//server/share/dir/a.exe"),
            "//server/share");
  EXPECT_EQ(place(IconSource::ShellFile, "notepad.exe"), "");
  EXPECT_EQ(place(IconSource::ShellFile, ""), "");
  EXPECT_EQ(place(IconSource::WebShortcut, "\\\\server\\share\\a.htm"), "");
  // A custom icon reads two files: the share is the one that may block.
  EXPECT_EQ(place(IconSource::Custom, "C:\\a.exe", "\\\\srv\\icons\\i.dll"),
            "\\\\srv\\icons");
  EXPECT_EQ(place(IconSource::Custom, "\\\\srv\\apps\\a.exe", "D:\\i.dll"),
            "\\\\srv\\apps");
  EXPECT_EQ(place(IconSource::Custom, "C:\\a.exe", "D:\\i.dll"), "d:");
  EXPECT_EQ(place(IconSource::Custom, "C:\\a.exe", ""), "c:");
}

TEST(IconPlaces, GenericKindFromTheNameAlone) {
  const auto kind = [](std::string location, std::string file = "") {
    return GenericIconKind(
        {IconSource::Custom, std::move(location), std::move(file), 0});
  };
  EXPECT_EQ(kind("\\\\srv\\share\\Tool.EXE"), ".exe");
  EXPECT_EQ(kind("C:\\dir.d\\notes.txt"), ".txt");
  EXPECT_EQ(kind("C:\\dir.d\\Documents"), "") << "a folder";
  EXPECT_EQ(kind("C:\\"), "");
  EXPECT_EQ(kind("\\\\srv\\share"), "");
  EXPECT_EQ(kind("C:notes."), "");
  EXPECT_EQ(kind("", "\\\\srv\\icons\\set.dll"), ".dll");
}

}  // namespace
}  // namespace vorlane::launcher
