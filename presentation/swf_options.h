#pragma once

#include <string>

#include "platform/registry_store.h"

namespace presentation {

// The movie settings the component keeps in its registry key.
struct SwfOptions {
  int resolution = 96;         // dots per inch the slides are drawn at
  int imageQuality = 90;       // 1..100, for JPEG slides
  bool losslessSlides = true;  // lossless slides keep text sharp; JPEG ones are smaller
  bool navigationButtons = true;

  bool operator==(const SwfOptions&) const = default;
};

inline constexpr int kMinResolution = 36;
inline constexpr int kMaxResolution = 600;

// What a stored value of the wrong type does: stop the movie with a
// platform::RegistryError naming it, or read as its default (in the options
// dialog, which then stores it with the right type).
enum class WrongType { kRaise, kDefault };

// Reads the key; every value is a 32-bit number. A missing value, or a
// number out of range, keeps the default, so a hand-edited number never stops
// a movie.
SwfOptions LoadSwfOptions(platform::RegistryStore& store, const std::string& key,
                          WrongType wrongType);
void SaveSwfOptions(platform::RegistryStore& store, const std::string& key,
                    const SwfOptions& options);

}  // namespace presentation
