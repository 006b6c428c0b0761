// Message boxes of the browser build: the page's own alert and confirm,
// which block the program until answered. A browser has nothing system
// modal: the box is modal to the page only.
#pragma once

#include <string>

namespace plat::web {

// Shows a UTF-8 text under a UTF-8 caption; with `question`, OK/Cancel
// (confirm) and returns true for OK, else only OK (alert) and returns true.
bool ShowBox(const std::string& caption, const std::string& text, bool question);

}  // namespace plat::web
