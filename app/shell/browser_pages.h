#pragma once
// What the commands that show a page in the browser dialog ask it for: the
// address, the title, the error text and the placement value, or a message
// instead when there is nothing to show.
#include <string>

#include "shell/update_offer.h"

namespace vemo {

struct BrowserPage {
  std::string url;
  std::string title;
  std::string error_text;
  int placement_value_id = 4117;  // "Window 1"
  // When not empty, no page: this message is shown instead.
  std::string message;
};

// The information page "Informace.htm" beside the program (its name
// matched without regard to case).
BrowserPage InformationPage(std::string const& program_dir);
// The update-offer page for the query; `address` as UpdateOfferAddress
// gives it.
BrowserPage UpdateOfferPage(std::string const& address, OfferFacts const& facts);

}  // namespace vemo
