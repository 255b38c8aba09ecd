#pragma once

namespace pdf::msg {

// Failures of outlines, actions and link annotations.
inline constexpr const char* kOutlineWithoutOwner = "Outline node must have owner";
inline constexpr const char* kEmptyUrl = "URL cannot be empty";
inline constexpr const char* kNegativePageIndex = "PageIndex cannot be negative";
inline constexpr const char* kNegativeTopOffset = "Top Offset cannot be negative";
inline constexpr const char* kAnnotationWithoutPage = "Annotation must have TPDFPage as owner";

}  // namespace pdf::msg
