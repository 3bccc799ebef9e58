#pragma once

#include <QButtonGroup>
#include <QToolBar>
#include <QToolButton>
#include <array>

namespace qvl::app {

// The three view-style buttons of a tool bar (small icons, list, report), grouped so
// that pressing one releases the others, with the ids 1, 2 and 3. Their object names
// end in `suffix`, one tool bar's set told from the other's.
void AddStyleButtons(QToolBar& bar, std::array<QToolButton, 3>& buttons, QButtonGroup& group,
                     const QString& suffix);

}  // namespace qvl::app
