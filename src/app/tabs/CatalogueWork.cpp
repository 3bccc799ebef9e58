#include "app/tabs/CatalogueWork.h"

#include <memory>

#include "app/ErrorReport.h"
#include "app/QtText.h"
#include "app/work/ListingTask.h"
#include "browse/Import.h"
#include "platform/File.h"

namespace qvl::app {

CatalogueWork::CatalogueWork(Shared shared) : shared_(shared) {}

void CatalogueWork::Ended(Activity activity, const QString& error) {
  shared_.state.End(activity);
  shared_.state.SetCatalogueOpen(shared_.catalogue.Reader().CatalogueOpen());
  if (!error.isEmpty()) ShowError(shared_.window, error);
}

bool CatalogueWork::Open(const std::string& name) {
  if (!shared_.state.Begin(Activity::Loading)) return false;
  progress_.Reset();
  Catalogue& catalogue = shared_.catalogue;
  worker_.Start([&catalogue, name, this] { catalogue.LoadCatalogue(name, true, progress_, LoadCheck::CatalogueOnly); },
                [this, name](const QString& error) {
                  emit LoadEnded();
                  Ended(Activity::Loading, error);
                  if (!error.isEmpty()) return;
                  emit Opened();
                  if (!shared_.catalogue.Complete())
                    ShowMessage(shared_.window, QMessageBox::Warning, MessageText(CutShortText(name)));
                });
  return true;
}

bool CatalogueWork::Import(const std::string& source, const std::optional<CommentLines>& comment) {
  Catalogue& open = shared_.catalogue;
  const std::string destination = open.Reader().OpenCatalogueName();
  if (!shared_.state.Begin(Activity::Importing)) return false;
  shared_.model.ClearListView();
  progress_.Reset();
  worker_.Start(
      [&open, source, destination, comment, this] {
        Catalogue sourceCatalogue;
        ImportCatalogueFile(sourceCatalogue, source, destination, false, comment, progress_);
        open.LoadCatalogue(destination, true, progress_);
        IndexCatalogue(destination);
      },
      [this](const QString& error) {
        Ended(Activity::Importing, error);
        emit Imported();
      });
  return true;
}

bool CatalogueWork::QuickFind(const std::string& text) {
  if (!shared_.state.Begin(Activity::QuickFind)) return false;
  progress_.Reset();
  auto result = std::make_shared<std::optional<QuickFindResult>>();
  Catalogue& catalogue = shared_.catalogue;
  RowFeed& feed = shared_.feed;
  worker_.Start(
      [&catalogue, &feed, text, result, this] {
        RowFeed::Writer rows(feed);
        *result = qvl::QuickFind(catalogue, text, rows, progress_);
      },
      [this, result](const QString& error) {
        // The closing text once the last rows are in.
        shared_.feed.WhenIdle([this, result, error] {
          Ended(Activity::QuickFind, error);
          emit Found(error.isEmpty() && *result ? FromCore(QuickFindText(**result)) : QString());
        });
      });
  return true;
}

}  // namespace qvl::app
