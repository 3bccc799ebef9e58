#pragma once

#include <functional>

namespace qvl::app {

// What the window does with its list. One activity at a time fills the list; a
// listing on the Save tab runs beside any of them.
enum class Activity { Idle, Loading, Importing, QuickFind, Searching };

struct WindowState {
  Activity activity = Activity::Idle;
  bool listing = false;        // the Save tab lists a drive
  bool catalogueOpen = false;  // a catalogue is open for browsing
  bool searchMode = false;     // the Browse view shows its search tool bar
};

// Every control whose use depends on what the window does. A control that is off
// is disabled, and its handler, called anyway, does nothing.
struct ControlStates {
  bool createList = true;       // Create List and the method choice
  bool openCatalogue = true;    // the Browse tab's file box and its button
  bool navigate = false;        // Back, the path box, the import button
  bool enterSearchMode = true;  // the search-mode button
  bool startFind = false;       // the quick find's button and Enter in its box
  bool endSearchMode = true;
  bool startSearch = true;      // the Search tab's button and Enter in its text box
  bool changeList = true;       // double clicks and header clicks
  bool showOrigin = false;      // a click on the Browse view's status bar
  bool operator==(const ControlStates&) const = default;
};

ControlStates ControlsFor(const WindowState& state);

// The window's state, held by the main window: work starts and ends through it,
// and every change is reported so that the controls follow.
class StateKeeper {
 public:
  explicit StateKeeper(std::function<void()> changed) : changed_(std::move(changed)) {}

  const WindowState& State() const { return state_; }
  ControlStates Controls() const { return ControlsFor(state_); }

  // Starts an activity that fills the list; false, changing nothing, while another
  // owns it.
  bool Begin(Activity activity);
  void End(Activity activity);
  void SetListing(bool listing);
  void SetCatalogueOpen(bool open);
  void SetSearchMode(bool on);

 private:
  void Changed() const {
    if (changed_) changed_();
  }

  WindowState state_;
  std::function<void()> changed_;
};

}  // namespace qvl::app
