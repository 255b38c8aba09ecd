#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace emf2pdf {

// The record type's name as the format publishes it ("EMR_RECTANGLE"), or
// "type N" for a number it does not define.
std::string RecordTypeName(uint32_t type);

// What became of one record when the picture was played.
struct RecordOutcome {
  enum class Kind : uint8_t {
    kPlayed,       // its handler ran: what it drew, if anything, went to the device
    kIgnored,      // draws nothing by its nature (the end, comments)
    kUnsupported,  // the interpreter has no way to draw it
    kMalformed,    // its data did not fit it or held unusable values
    kOverBudget,   // its picture was left out: the page's pictures are too large together
    kOutsideClip,  // it drew only where the clip in force lets nothing through
  };
  Kind kind = Kind::kPlayed;
  std::string detail;  // why, for the dropped kinds; may be empty

  // The kinds that lose something the picture meant to draw.
  bool Dropped() const { return kind != Kind::kPlayed && kind != Kind::kIgnored; }
};

// Record types the interpreter leaves out on purpose, as they change nothing
// a page shows: the end, comments, colour management, font-mapping hints,
// printer escapes and pixel formats.
bool IgnoredByDesign(uint32_t type);

// "unsupported", "malformed", ...: the reason's words in messages.
const char* OutcomeText(RecordOutcome::Kind kind);

// Told of every record of a picture as it is played, in file order: the
// start, then (after the device calls it made) the outcome.
class RecordObserver {
 public:
  virtual ~RecordObserver() = default;
  virtual void RecordStarts(size_t offset, uint32_t type) = 0;
  virtual void RecordEnds(const RecordOutcome& outcome) = 0;
};

// How much of the playing is reported on standard error.
enum class TraceMode : uint8_t {
  kOff,
  kDropped,  // the dropped records and a count per page (--verbose)
  kFull,     // every record with the device calls it made (--trace)
};

// The environment variable that asks for a trace; the options --trace and
// --verbose set it for the run and the programs it starts.
inline constexpr const char* kTraceVariable = "TALLOWCRAFT_TRACE";

// "verbose" (any case) asks for kDropped; empty, "0", "off" and "no" for
// nothing; any other value for kFull.
TraceMode ParseTraceMode(std::string_view value);
// The mode TALLOWCRAFT_TRACE asks for; kOff when it is not set.
TraceMode TraceModeFromEnvironment();

}  // namespace emf2pdf
