#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "emf2pdf/bounds_device.h"
#include "emf2pdf/drawing_device.h"
#include "emf2pdf/record_trace.h"

namespace emf2pdf {

class TEMWParser;

// Takes the trace one line at a time, without its newline.
using TraceSink = std::function<void(const std::string& line)>;
void WriteTraceLine(const std::string& line);  // to standard error

// The trace of one page. The interpreter tells it of every record, the tee
// (TraceDevice) of every device call; it prints, as its mode asks, every
// record with the calls it made, or the dropped records alone, and the
// count of dropped records at the end.
//
//   tallowcraft: trace of page 1 (job/page1.emf)
//     @0 EMR_HEADER
//     @108 EMR_RECTANGLE
//       path 10,10 50,40: fill #0000FF, stroke #000000 width 1
//     @132 type 200: dropped, unsupported
//   tallowcraft: page 1 (job/page1.emf): 1 record dropped
class PageTrace final : public RecordObserver {
 public:
  // `page` counts from 1; `file` names the page file; the page has
  // `pagePixelsPerPoint` pixels to a point (its resolution / 72).
  PageTrace(TraceMode mode, int page, std::string file, double pagePixelsPerPoint,
            TraceSink sink = WriteTraceLine);
  // The trace of a page, or null when `mode` asks for none.
  static std::unique_ptr<PageTrace> Start(TraceMode mode, int page, const std::string& file,
                                          double pagePixelsPerPoint);

  // Prints the count of dropped records; once.
  void Finish();

  bool Full() const { return mode_ == TraceMode::kFull; }
  int Dropped() const { return dropped_; }
  double PagePixelsPerPoint() const { return pagePixelsPerPoint_; }

  void RecordStarts(size_t offset, uint32_t type) override;
  void RecordEnds(const RecordOutcome& outcome) override;

  // One device call; `text` says what it was (only in the full trace).
  // `marks`: it draws something; `kept`: the clip left some of it.
  void DeviceCall(std::string text, bool marks = false, bool kept = false);

 private:
  void Line(const std::string& text) const;
  std::string Where() const;  // "page 1 (file)"

  TraceMode mode_;
  int page_;
  std::string file_;
  double pagePixelsPerPoint_;
  TraceSink sink_;
  bool headed_ = false;
  bool finished_ = false;
  int dropped_ = 0;
  // The record being played.
  bool inRecord_ = false;
  size_t offset_ = 0;
  uint32_t type_ = 0;
  std::vector<std::string> calls_;  // its calls, printed after it
  int marks_ = 0;                   // its calls that draw
  int kept_ = 0;                    // ... of which the clip left something
};

// Passes every call on to the device it tees, unchanged, and tells the
// page's trace what the call was and whether the clip in force lets any of
// it through (measured by a bounds device of its own).
class TraceDevice final : public DrawingDevice {
 public:
  TraceDevice(DrawingDevice& target, PageTrace& trace)
      : target_(target), trace_(trace), bounds_(trace.PagePixelsPerPoint()) {}
  TraceDevice(std::unique_ptr<DrawingDevice> target, PageTrace& trace)
      : owned_(std::move(target)),
        target_(*owned_),
        trace_(trace),
        bounds_(trace.PagePixelsPerPoint()) {}

  void DrawPath(const DevicePath& path, const FillStyle* fill, const StrokeStyle* stroke) override;
  void FillDifference(const DevicePath& path, uint32_t color) override;
  bool DrawsBlendModes() const override { return target_.DrawsBlendModes(); }
  void SetClip(const ClipState& clip) override;
  void ShowText(const TextRun& run) override;
  void DrawImage(const DeviceImage& image, const ImagePlacement& at) override;
  void ShadeAxial(const ShadedVertex& from, const ShadedVertex& to) override;
  void ShadeTriangles(std::span<const ShadedVertex> vertices) override;

 protected:
  void DoBegin(const StrokeStyle& pen) override;
  void DoEnd() override;
  void DoPushClip(const DevicePath& path, const FillStyle* fill) override;
  void DoPopClip() override;

 private:
  // Tells the trace of a call that draws, as the bounds device measured it.
  void Marked(std::string text);

  std::unique_ptr<DrawingDevice> owned_;
  DrawingDevice& target_;
  PageTrace& trace_;
  BoundsDevice bounds_;
};

}  // namespace emf2pdf
