#include "emf2pdf/trace_device.h"

#include <cstdio>

#include "emf2pdf/emw_parser.h"

namespace emf2pdf {

void WriteTraceLine(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

// --- the page's trace ---

PageTrace::PageTrace(TraceMode mode, int page, std::string file, double pagePixelsPerPoint,
                     TraceSink sink)
    : mode_(mode),
      page_(page),
      file_(std::move(file)),
      pagePixelsPerPoint_(pagePixelsPerPoint),
      sink_(std::move(sink)) {}

std::unique_ptr<PageTrace> PageTrace::Start(TraceMode mode, int page, const std::string& file,
                                            double pagePixelsPerPoint) {
  if (mode == TraceMode::kOff) return nullptr;
  return std::make_unique<PageTrace>(mode, page, file, pagePixelsPerPoint);
}

std::string PageTrace::Where() const {
  return "page " + std::to_string(page_) + " (" + file_ + ")";
}

void PageTrace::Line(const std::string& text) const { sink_(text); }

void PageTrace::Finish() {
  if (finished_) return;
  finished_ = true;
  Line("tallowcraft: " + Where() + ": " + std::to_string(dropped_) +
       (dropped_ == 1 ? " record dropped" : " records dropped"));
}

void PageTrace::RecordStarts(size_t offset, uint32_t type) {
  inRecord_ = true;
  offset_ = offset;
  type_ = type;
  calls_.clear();
  marks_ = 0;
  kept_ = 0;
}

void PageTrace::RecordEnds(const RecordOutcome& played) {
  inRecord_ = false;
  RecordOutcome outcome = played;
  // Drawn, but entirely where the clip lets nothing through.
  if (outcome.kind == RecordOutcome::Kind::kPlayed && marks_ > 0 && kept_ == 0)
    outcome.kind = RecordOutcome::Kind::kOutsideClip;
  if (outcome.Dropped()) ++dropped_;
  if (mode_ == TraceMode::kOff || (!Full() && !outcome.Dropped())) return;

  std::string line = "@" + std::to_string(offset_) + " " + RecordTypeName(type_);
  if (outcome.kind != RecordOutcome::Kind::kPlayed) {
    line += outcome.Dropped() ? ": dropped, " : ": ";
    line += OutcomeText(outcome.kind);
    if (!outcome.detail.empty()) line += ": " + outcome.detail;
  }
  if (!Full()) {
    Line("tallowcraft: " + Where() + ": " + line);
    return;
  }
  if (!headed_) {
    headed_ = true;
    Line("tallowcraft: trace of " + Where());
  }
  Line("  " + line);
  for (const std::string& call : calls_) Line("    " + call);
  calls_.clear();
}

void PageTrace::DeviceCall(std::string text, bool marks, bool kept) {
  if (marks) ++marks_;
  if (kept) ++kept_;
  if (!Full()) return;
  if (inRecord_) {
    calls_.push_back(std::move(text));
    return;
  }
  // Calls outside a record: the picture's start and end, and what is drawn
  // between records (the paper, a held-back mask).
  if (!headed_) {
    headed_ = true;
    Line("tallowcraft: trace of " + Where());
  }
  Line("  " + text);
}

// --- the tee ---

namespace {

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

std::string Point(double x, double y) { return Number(x) + "," + Number(y); }

std::string Color(uint32_t colorref) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", colorref & 0xFF, (colorref >> 8) & 0xFF,
                (colorref >> 16) & 0xFF);
  return text;
}

std::string Box(const InkBox& box) {
  if (box.Empty()) return "nothing";
  return Point(box.left, box.top) + " " + Point(box.right, box.bottom);
}

const char* BlendName(Blend blend) {
  switch (blend) {
    case Blend::kCopy:
      return "";
    case Blend::kMultiply:
      return ", multiply";
    case Blend::kScreen:
      return ", screen";
    case Blend::kDifference:
      return ", difference";
    case Blend::kNone:
      return ", no-op";
  }
  return "";
}

std::string FillText(const FillStyle& fill) {
  std::string text = "fill " + Color(fill.color);
  if (fill.pattern != nullptr)
    text = fill.pattern->hatch >= 0 ? "fill hatch " + std::to_string(fill.pattern->hatch) + " in " +
                                          Color(fill.pattern->color)
                                    : std::string("fill pattern");
  if (fill.evenOdd) text += " even-odd";
  return text + BlendName(fill.blend);
}

// "24 x 16", with what shapes its edges and how much shows through.
std::string ImageText(const DeviceImage& image) {
  if (image.translucent != nullptr)
    return std::to_string(image.translucent->width) + " x " +
           std::to_string(image.translucent->height) + " blended, alpha " +
           std::to_string(image.constantAlpha);
  if (image.pixels == nullptr) return "of no pixels";
  return std::to_string(image.pixels->Width()) + " x " + std::to_string(image.pixels->Height()) +
         (image.stencil != nullptr ? " through a stencil" : "");
}

std::string StrokeText(const StrokeStyle& stroke) {
  std::string text = "stroke " + Color(stroke.color) + " width " + Number(stroke.width);
  if (!stroke.dash.empty()) text += " dashed";
  return text + BlendName(stroke.blend);
}

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x20 || c == '"' || c == '\\' || c == 0x7F) {
    char escaped[12];
    std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
    out += escaped;
  } else if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The run's characters, shortened; glyph indices are counted, not shown.
std::string RunText(const TextRun& run) {
  constexpr size_t kShown = 40;
  std::string text = "\"";
  size_t count = 0;
  if (run.encoding == TextRun::Encoding::kGlyphs)
    return std::to_string(run.glyphs.size()) + " glyphs";
  if (run.encoding == TextRun::Encoding::kBytes) {
    count = run.bytes.size();
    for (size_t i = 0; i < count && i < kShown; ++i)
      AppendUtf8(text, static_cast<unsigned char>(run.bytes[i]));
  } else {
    // Surrogates stand for themselves: enough to tell a run by.
    count = run.units.size();
    for (size_t i = 0; i < count && i < kShown; ++i) AppendUtf8(text, run.units[i]);
  }
  return text + (count > kShown ? "...\"" : "\"");
}

}  // namespace

void TraceDevice::Marked(std::string text) {
  trace_.DeviceCall(std::move(text), !bounds_.LastCovered().Empty(), !bounds_.LastKept().Empty());
}

void TraceDevice::DoBegin(const StrokeStyle& pen) {
  target_.Begin(pen);
  bounds_.Begin(pen);
  trace_.DeviceCall(trace_.Full()
                        ? "begin: pen width " + Number(pen.width) + ", cap " +
                              std::to_string(pen.cap) + ", join " + std::to_string(pen.join)
                        : std::string());
}

void TraceDevice::DoEnd() {
  target_.End();
  bounds_.End();
  trace_.DeviceCall(trace_.Full() ? "end" : std::string());
}

void TraceDevice::DrawPath(const DevicePath& path, const FillStyle* fill,
                           const StrokeStyle* stroke) {
  target_.DrawPath(path, fill, stroke);
  bounds_.DrawPath(path, fill, stroke);
  std::string text;
  if (trace_.Full()) {
    text = "path " + Box(PathBox(path));
    if (fill != nullptr) text += ": " + FillText(*fill);
    if (stroke != nullptr) text += (fill != nullptr ? ", " : ": ") + StrokeText(*stroke);
  }
  Marked(std::move(text));
}

void TraceDevice::FillDifference(const DevicePath& path, uint32_t color) {
  target_.FillDifference(path, color);
  bounds_.FillDifference(path, color);
  Marked(trace_.Full() ? "path " + Box(PathBox(path)) + ": fill " + Color(color) + ", difference"
                       : std::string());
}

void TraceDevice::SetClip(const ClipState& clip) {
  target_.SetClip(clip);
  bounds_.SetClip(clip);
  if (!trace_.Full()) return trace_.DeviceCall({});
  std::string text = "clip";
  if (clip.whole) {
    text += ": everything";
  } else {
    if (clip.hasRegion) text += ": " + std::to_string(clip.region.size()) + " rectangles";
    if (!clip.paths.empty()) text += ": " + std::to_string(clip.paths.size()) + " paths";
    text += ", within " + Box(ClipBox(clip));
  }
  trace_.DeviceCall(std::move(text));
}

void TraceDevice::DoPushClip(const DevicePath& path, const FillStyle* fill) {
  target_.PushClip(path, fill);
  bounds_.PushClip(path, fill);
  std::string text;
  if (trace_.Full()) {
    text = "push clip " + Box(PathBox(path));
    if (fill != nullptr) text += ": " + FillText(*fill);
  }
  if (fill != nullptr)
    Marked(std::move(text));
  else
    trace_.DeviceCall(std::move(text));
}

void TraceDevice::DoPopClip() {
  target_.PopClip();
  bounds_.PopClip();
  trace_.DeviceCall(trace_.Full() ? "pop clip" : std::string());
}

void TraceDevice::ShowText(const TextRun& run) {
  target_.ShowText(run);
  bounds_.ShowText(run);
  std::string text;
  if (trace_.Full()) {
    text = "text " + RunText(run) + " at " + Point(run.x, run.y);
    if (run.font != nullptr) text += ", " + run.font->name + " " + Number(run.font->size);
    if (run.angle != 0) text += ", turned " + Number(run.angle);
    if (run.axes) {
      text += ", glyph axes";
      for (double v : *run.axes) text += " " + Number(v);
    }
    text += ", " + Color(run.color);
  }
  Marked(std::move(text));
}

void TraceDevice::DrawImage(const DeviceImage& image, const ImagePlacement& at) {
  target_.DrawImage(image, at);
  bounds_.DrawImage(image, at);
  Marked(trace_.Full() ? "image " + ImageText(image) + " in " + Box(ImageBox(at)) : std::string());
}

void TraceDevice::ShadeAxial(const ShadedVertex& from, const ShadedVertex& to) {
  target_.ShadeAxial(from, to);
  bounds_.ShadeAxial(from, to);
  Marked(trace_.Full() ? "axial shading " + Point(from.x, from.y) + " to " + Point(to.x, to.y)
                       : std::string());
}

void TraceDevice::ShadeTriangles(std::span<const ShadedVertex> vertices) {
  target_.ShadeTriangles(vertices);
  bounds_.ShadeTriangles(vertices);
  Marked(trace_.Full() ? "triangle shading, " + std::to_string(vertices.size()) + " corners"
                       : std::string());
}

}  // namespace emf2pdf
