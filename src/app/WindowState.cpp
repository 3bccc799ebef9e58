#include "app/WindowState.h"

namespace qvl::app {

ControlStates ControlsFor(const WindowState& state) {
  const bool idle = state.activity == Activity::Idle;
  // While a load or a merge reads or replaces the open catalogue, nothing else may
  // look at it.
  const bool catalogueBusy = state.activity == Activity::Loading || state.activity == Activity::Importing;
  ControlStates controls;
  controls.createList = !state.listing;
  controls.openCatalogue = idle;
  controls.navigate = idle && state.catalogueOpen;
  controls.enterSearchMode = idle;
  controls.startFind = idle && state.catalogueOpen;
  controls.endSearchMode = idle;
  controls.startSearch = idle;
  controls.changeList = idle;
  controls.showOrigin = state.catalogueOpen && !catalogueBusy;
  return controls;
}

bool StateKeeper::Begin(Activity activity) {
  if (state_.activity != Activity::Idle || activity == Activity::Idle) return false;
  state_.activity = activity;
  Changed();
  return true;
}

void StateKeeper::End(Activity activity) {
  if (state_.activity != activity) return;
  state_.activity = Activity::Idle;
  Changed();
}

void StateKeeper::SetListing(bool listing) {
  state_.listing = listing;
  Changed();
}

void StateKeeper::SetCatalogueOpen(bool open) {
  state_.catalogueOpen = open;
  Changed();
}

void StateKeeper::SetSearchMode(bool on) {
  state_.searchMode = on;
  Changed();
}

}  // namespace qvl::app
