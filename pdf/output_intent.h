#pragma once

#include <string>

namespace pdf {

// An sRGB ICC profile (version 2, as PDF 1.4 readers know them) made by
// Little CMS, which is opened the first time a profile is asked for so that
// other jobs never load it. The profile is made once per process. Raises
// TPDFException when the library cannot be loaded or fails.
const std::string& SrgbIccProfile();

// The name the output intent gives its condition.
inline constexpr const char* kSrgbConditionName = "sRGB IEC61966-2.1";

}  // namespace pdf
