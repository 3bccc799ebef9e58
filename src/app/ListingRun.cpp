#include "app/ListingRun.h"

#include <chrono>

#include "app/BackgroundTask.h"
#include "app/QtText.h"
#include "browse/Import.h"
#include "platform/Locale.h"

namespace qvl::app {
namespace {

constexpr auto kStatusInterval = std::chrono::milliseconds(100);

// The walk's status texts, a few a second at most; the rest are dropped.
class StatusProgress final : public Progress {
 public:
  StatusProgress(ListingRun& run, std::vector<std::string>& unreadable) : run_(run), unreadable_(unreadable) {}
  void FolderUnreadable(std::string_view listPath, std::string_view reason) override {
    unreadable_.push_back(std::string(listPath) + ": " + std::string(reason));
  }
  void Status(std::string_view text) override {
    auto now = std::chrono::steady_clock::now();
    if (now - last_ < kStatusInterval) return;
    last_ = now;
    emit run_.Status(FromCore(text));
  }

 private:
  ListingRun& run_;
  std::vector<std::string>& unreadable_;
  std::chrono::steady_clock::time_point last_{};
};

// A catalogue written is recorded once the command has ended, on the window's thread.
struct LaterHistory final : CatalogueHistory {
  void AddCatalogue(const std::string& catalogue) override { name = catalogue; }
  std::optional<std::string> name;
};

}  // namespace

ListingRun::ListingRun(QWidget* window, DialogAnswers::ReleaseCheck releaseOutput)
    : QObject(window), answers_(window, std::move(releaseOutput)) {
  qRegisterMetaType<qvl::app::ListingRun::Outcome>();
}

ListingRun::~ListingRun() {
  if (thread_) thread_->wait();
}

bool ListingRun::Start(CreateListRequest request) {
  if (thread_) return false;
  outcome_ = {};
  thread_.reset(QThread::create([this, request = std::move(request)] { Run(request); }));
  connect(thread_.get(), &QThread::finished, this, &ListingRun::Done);
  thread_->start();
  return true;
}

void ListingRun::Run(const CreateListRequest& request) {
  YieldToWindow();
  try {
    Collator collator;
    auto source = MakeLinuxDirectorySource(request.list.drive.rootDirectory);
    StatusProgress progress(*this, outcome_.unreadable);
    LaterHistory history;
    auto importListing = [&collator](const std::string& listed, const std::string& destination,
                                     const std::optional<CommentLines>& comment, Progress& importProgress) {
      Catalogue catalogue;
      ImportCatalogueFile(catalogue, listed, destination, true, comment, importProgress);
    };
    auto result = RunCreateList(request, answers_, *source, collator, history, importListing, progress);
    outcome_.complete = result == CreateListResult::Complete;
    outcome_.catalogue = history.name;
  } catch (const LockedOutputError& error) {
    outcome_.lockedOutput = true;
    outcome_.error = error.what();
    outcome_.reason = error.Reason();
  } catch (const std::exception& error) {
    outcome_.error = error.what();
  } catch (...) {
    outcome_.error = "The listing stopped with an unknown error";
  }
}

void ListingRun::Done() {
  thread_->wait();
  thread_.reset();
  emit Finished(outcome_);
}

}  // namespace qvl::app
