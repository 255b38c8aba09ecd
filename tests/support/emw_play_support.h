#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emf2pdf/record_trace.h"

namespace emw_test {

// Plays the metafile `emf` into a form of a fresh document at `resolution`
// and returns the form's content lines after its opening "q" and the line
// cap and join every picture starts with.
std::vector<std::string> PlayLines(const std::vector<uint8_t>& emf, int resolution = 72,
                                   int* droppedRecords = nullptr);

// The same lines joined by "\n", for compact expectations.
std::string PlayText(const std::vector<uint8_t>& emf, int resolution = 72);

// Plays `emf` as PlayLines does, traced as page 1 "page.emf" in `mode`, and
// returns the trace's lines; `formLines` receives all of the form's content.
std::vector<std::string> TraceLines(const std::vector<uint8_t>& emf,
                                    emf2pdf::TraceMode mode = emf2pdf::TraceMode::kFull,
                                    std::vector<std::string>* formLines = nullptr);
// The trace's lines of the records and the calls they made, without the
// picture's start and end: what was drawn, not how it is written.
std::vector<std::string> RecordTrace(const std::vector<uint8_t>& emf);
// All of the form's content lines of `emf` played without a trace.
std::vector<std::string> FormLines(const std::vector<uint8_t>& emf);

}  // namespace emw_test
