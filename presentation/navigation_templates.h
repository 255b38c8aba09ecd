#pragma once

#include <string>
#include <vector>

#include "presentation/swf_tags.h"

namespace presentation {

// What a navigation button does.
enum class NavigationRole { kFirst, kPrevious, kNext, kLast };

// One button picture: premultiplied ARGB pixels, top-down.
struct NavigationTemplate {
  NavigationRole role = NavigationRole::kNext;
  int width = 0;
  int height = 0;
  std::string argb;
};

// The button pictures of a templates folder: "first.bmp", "previous.bmp",
// "next.bmp" and "last.bmp", in that order, each where present and readable
// (a picture that cannot be read is skipped with a message). Pure magenta
// pixels are transparent; 32-bit pictures keep their alpha.
std::vector<NavigationTemplate> LoadNavigationTemplates(const std::string& folder);

}  // namespace presentation
