#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace emw_test {

// Plays the metafile `emf` into a form of a fresh document at `resolution`
// and returns the form's content lines after its opening "q" and the line
// cap and join every picture starts with.
std::vector<std::string> PlayLines(const std::vector<uint8_t>& emf, int resolution = 72,
                                   int* droppedRecords = nullptr);

// The same lines joined by "\n", for compact expectations.
std::string PlayText(const std::vector<uint8_t>& emf, int resolution = 72);

}  // namespace emw_test
