#include "pdf/page.h"

#include <cassert>
#include <cmath>
#include <utility>

#include "pdf/annotations.h"
#include "pdf/deflate.h"
#include "pdf/document.h"
#include "pdf/number_format.h"
#include "pdf/pdf_exception.h"

namespace pdf {

namespace {

// Halves to even, saturating at the int range.
int RoundToInt(long double value) {
  if (!std::isfinite(static_cast<double>(value))) return 0;
  const long double rounded = std::nearbyint(value);
  if (rounded > 2147483647.0L) return 2147483647;
  if (rounded < -2147483647.0L) return -2147483647;
  return static_cast<int>(rounded);
}

}  // namespace

TPDFPage::TPDFPage(TPDFDocument& document, bool isForm)
    : document_(document), isForm_(isForm), forms_(document, true) {
  objectNumber_ = document_.AllocObjectNumber();
  resolution_ = document_.Resolution() > 0 ? document_.Resolution() : 72;
  factor_ = static_cast<long double>(resolution_) / 72.0L;
  SetSize(psA4);
  GStateSave();
}

TPDFPage::~TPDFPage() = default;

void TPDFPage::RequireNotStarted() const {
  if (drawingStarted_) throw TPDFException(msg::kPageInProgress);
}

void TPDFPage::SetSize(TPDFPageSize size) {
  RequireNotStarted();
  if (size >= kPageSizeCount) size = psA4;
  size_ = size;
  if (size != psUserDefined) {
    const auto dimensions = PageSizeDimensions(size);
    width_ = dimensions.width;
    height_ = dimensions.height;
  }
  SetOrientation(orientation_);
}

void TPDFPage::SetOrientation(TPDFPageOrientation orientation) {
  RequireNotStarted();
  orientation_ = orientation;
  const bool swap = orientation == poPagePortrait ? width_ > height_ : height_ > width_;
  if (swap) std::swap(width_, height_);
}

void TPDFPage::SetWidth(double deviceUnits) {
  RequireNotStarted();
  width_ = RoundToInt(static_cast<long double>(deviceUnits) / factor_);
  size_ = psUserDefined;
}

void TPDFPage::SetHeight(double deviceUnits) {
  RequireNotStarted();
  height_ = RoundToInt(static_cast<long double>(deviceUnits) / factor_);
  size_ = psUserDefined;
}

int TPDFPage::WidthPx() const { return RoundToInt(width_ * factor_); }
int TPDFPage::HeightPx() const { return RoundToInt(height_ * factor_); }

double TPDFPage::ExtX(double x) {
  Start();
  return static_cast<double>(x / factor_);
}

double TPDFPage::ExtY(double y) {
  Start();
  return static_cast<double>(height_ - y / factor_);
}

double TPDFPage::ExtLength(double length) {
  Start();
  return static_cast<double>(length / factor_);
}

double TPDFPage::IntX(double x) {
  Start();
  return static_cast<double>(x * factor_);
}

double TPDFPage::IntY(double y) {
  Start();
  return static_cast<double>((height_ - y) * factor_);
}

void TPDFPage::AppendLine(std::string_view line) {
  content_.append(line);
  content_.append("\r\n");
}

void TPDFPage::EndText() {
  if (!inText_) return;
  AppendLine("ET");
  inText_ = false;
}

void TPDFPage::GStateSave() {
  EndText();
  AppendLine("q");
  levels_.push_back({state_, SavedTextState()});
}

void TPDFPage::GStateRestore() {
  if (levels_.size() <= 1) {
    assert(!"GStateRestore without its GStateSave");
    ++strayRestores_;
    return;
  }
  EndText();
  AppendLine("Q");
  state_ = std::move(levels_.back().graphics);
  RestoreTextState(levels_.back().text);
  levels_.pop_back();
  if (SaveDepth() < fontSaveDepth_) fontSelected_ = false;
}

void TPDFPage::SetFormMatrix(double a, double b, double c, double d, double e, double f) {
  const double values[6] = {a, b, c, d, e, f};
  std::copy(values, values + 6, formMatrix_);
}

void TPDFPage::Write() {
  while (SaveDepth() > 1) GStateRestore();
  WriteUsedImages();
  for (int index : usedPatterns_) document_.Patterns().Write(document_, index);
  WriteShadings();
  NumberAnnotations();

  for (int i = 0; i < forms_.Count(); ++i) forms_.Items(i).Write();
  WriteEmptyForms();

  resourcesNumber_ = document_.AllocObjectNumber();
  if (!isForm_) contentsNumber_ = document_.AllocObjectNumber();

  EndText();
  AppendLine("Q");
  levels_.clear();

  WriteAnnotations();
  WriteResources();
  if (isForm_) {
    WriteFormObject();
  } else {
    WriteContentStream(contentsNumber_);
    WritePageObject();
  }
  ReleaseWritten();
}

// A written page keeps only what later objects ask of it (its number and
// geometry, for go-to-page actions), so a long job's memory stays flat.
void TPDFPage::ReleaseWritten() {
  forms_.Clear();
  annotations_.clear();
  annotations_.shrink_to_fit();
  std::vector<TPDFFont*>().swap(pageFonts_);
  std::vector<int>().swap(usedImages_);
  std::vector<int>().swap(usedPatterns_);
  std::vector<Shading>().swap(shadings_);
  std::vector<Level>().swap(levels_);
  std::string().swap(content_);
}

void TPDFPage::WriteResources() {
  std::string procSet = " /ProcSet [/PDF ";
  if (usesText_) procSet += "/Text ";
  if (usesGreyImage_) procSet += "/ImageB ";
  if (usesColorImage_) procSet += "/ImageC ";
  procSet += "]";

  document_.BeginObject(resourcesNumber_);
  document_.WriteLine(procSet);
  WriteFontResources();
  if (usesDifference_ || usesMultiply_ || usesScreen_) {
    std::string states = " /ExtGState <<";
    if (usesDifference_) states += " /GSDiff << /BM /Difference >>";
    if (usesMultiply_) states += " /GSMul << /BM /Multiply >>";
    if (usesScreen_) states += " /GSScr << /BM /Screen >>";
    document_.WriteLine(states + " >>");
  }
  WritePatternResources();
  WriteShadingResources();
  if (forms_.Count() > 0 || !usedImages_.empty()) {
    document_.WriteLine(" /XObject <<");
    WriteImageResources();
    for (int i = 0; i < forms_.Count(); ++i) {
      std::string line =
          "/IF" + IntToStr(i) + " " + IntToStr(forms_.Items(i).ObjectNumber()) + " 0 R";
      document_.WriteLine(line);
    }
    document_.EndDictionary();
  }
  document_.EndDictionary();
  document_.EndObject();
}

void TPDFPage::WritePatternResources() {
  if (usedPatterns_.empty()) return;
  std::string line = " /Pattern <<";
  for (int index : usedPatterns_) {
    line += " /P";
    AppendInteger(line, index);
    line += ' ';
    AppendInteger(line, document_.Patterns().ObjectNumber(index));
    line += " 0 R";
  }
  line += " >>";
  document_.WriteLine(line);
}

void TPDFPage::WriteContentStream(int64_t number) {
  if (number != objectNumber_) document_.BeginObject(number);
  document_.WriteDeflatedStreamLater(std::exchange(content_, std::string()),
                                     document_.Compression() == ctFlate, kPageContentDeflateLevel,
                                     number);
}

void TPDFPage::WritePageObject() {
  document_.BeginObject(objectNumber_);
  document_.WriteLine("/Type /Page");
  document_.WriteKeyReference("/Parent ", 1);
  document_.WriteKeyReference("/Resources ", resourcesNumber_);
  document_.WriteLine("/Contents [" + IntToStr(contentsNumber_) + " 0 R]");
  document_.WriteLine("/MediaBox [0 0 " + IntToStr(width_) + " " + IntToStr(height_) + "]");
  WriteAnnotsArray();
  document_.EndDictionary();
  document_.EndObject();
}

void TPDFPage::WriteFormObject() {
  document_.BeginObject(objectNumber_);
  document_.WriteLine("/Type /XObject");
  document_.WriteLine("/Subtype /Form");
  document_.WriteKeyReference("/Resources ", resourcesNumber_);
  // Scale factors need more than two decimals: 0.97 for 0.9663 would move
  // the picture by points on a page.
  std::string matrix = "/Matrix [";
  for (int i = 0; i < 6; ++i) {
    AppendNumber(matrix, formMatrix_[i], i < 4);
    matrix += ' ';
  }
  matrix += ']';
  document_.WriteLine(matrix);
  document_.WriteLine("/BBox [0 0 " + IntToStr(width_) + " " + IntToStr(height_) + "]");
  WriteContentStream(objectNumber_);
}

}  // namespace pdf
