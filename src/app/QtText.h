#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace qvl::app {

// The core keeps names, comments and captions as bytes. They are shown as UTF-8 when
// they are valid UTF-8, and otherwise as Windows-1252, the code page of catalogues
// written on other systems.
QString FromCore(std::string_view bytes);

// Text the user typed, as the core's bytes (UTF-8).
std::string ToCore(const QString& text);

// A message written for a message box with CR LF between its lines.
QString MessageText(std::string_view text);

}  // namespace qvl::app
