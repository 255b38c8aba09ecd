#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/pages.h"
#include "pdf/patterns.h"
#include "pdf/pdf_types.h"

namespace pdf {

class TPDFDocument;
class TPDFFont;
class TPDFMetafilePlayer;
class TPDFAction;
class TPDFActionAnnotation;

// A point in device units (page pixels).
struct TPDFDevicePoint {
  double x = 0;
  double y = 0;
};

// A corner of a shaded shape: device units and colour components 0..1.
struct TPDFShadedVertex {
  double x = 0;
  double y = 0;
  double r = 0;
  double g = 0;
  double b = 0;
};

// What a page has in force at its current q level, as far as it is known:
// colours as given (components 0..1), the width in device units, the dash
// as written ("" when not known), cap and join. A new page or form starts
// from PDF's initial colours and solid line; a form is drawn where they
// are in force.
struct TPDFGraphicsState {
  std::optional<std::array<double, 3>> fill = std::array<double, 3>{0, 0, 0};
  std::optional<std::array<double, 3>> stroke = std::array<double, 3>{0, 0, 0};
  std::optional<double> width;
  std::string dash = "[] 0";
  std::optional<int> cap;
  std::optional<int> join;
};

// One page of the document, or one form XObject drawn by a page. Content is
// kept as text, one operator per line, until the page is written.
class TPDFPage {
 public:
  TPDFPage(TPDFDocument& document, bool isForm);
  ~TPDFPage();
  TPDFPage(const TPDFPage&) = delete;
  TPDFPage& operator=(const TPDFPage&) = delete;

  TPDFDocument& Document() { return document_; }
  int64_t ObjectNumber() const { return objectNumber_; }
  bool IsForm() const { return isForm_; }

  // Geometry. Changes are refused ("Page in progress") once drawing started.
  void SetSize(TPDFPageSize size);
  void SetOrientation(TPDFPageOrientation orientation);
  void SetWidth(double deviceUnits);
  void SetHeight(double deviceUnits);
  int Width() const { return width_; }    // points
  int Height() const { return height_; }  // points
  TPDFPageSize Size() const { return size_; }
  TPDFPageOrientation Orientation() const { return orientation_; }
  int WidthPx() const;
  int HeightPx() const;
  double Factor() const { return static_cast<double>(factor_); }
  long double ExactFactor() const { return factor_; }
  // A picture's form: how many of the page's device units one of its own
  // becomes, the smaller of the two axes (1 for pages): a raster of so many
  // pixels per inch of this scale has no more than that along either axis.
  double PlacedScale() const { return placedScale_; }

  // Device units -> points, and back. Every conversion starts the drawing.
  double ExtX(double x);
  double ExtY(double y);
  double ExtLength(double length);
  double IntX(double x);
  double IntY(double y);

  // Graphics state stack. The page's own level (depth 1) is closed only
  // when the page is written: a restore there is a fault of the caller,
  // refused (an assertion in debug builds) and counted.
  void GStateSave();
  void GStateRestore();
  int SaveDepth() const { return static_cast<int>(levels_.size()); }
  int StrayRestores() const { return strayRestores_; }
  // The state in force at the current level; restores bring back that of
  // the matching save.
  const TPDFGraphicsState& GraphicsState() const { return state_; }

  // Content text, each line followed by CR LF.
  const std::string& Content() const { return content_; }
  void AppendLine(std::string_view line);
  // Closes an open text object ("ET") before an operation that must not be inside one.
  void EndText();
  bool InText() const { return inText_; }

  // --- Page graphics operations (page_graphics.cpp) ---
  // Primitives in page space (points, y upwards).
  void MoveToPt(double x, double y);
  void LineToPt(double x, double y);
  void CurveToPt(double x1, double y1, double x2, double y2, double x3, double y3);
  void RectanglePt(double x, double y, double w, double h);
  void ConcatMatrix(double a, double b, double c, double d, double e, double f);
  void Translate(double x, double y);
  void Rotate(double angle);
  // Construction in device units.
  void MoveTo(double x, double y);
  void LineTo(double x, double y);
  void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void Rectangle(double x1, double y1, double x2, double y2);
  void Ellipse(double x1, double y1, double x2, double y2);
  void RoundRect(double x1, double y1, double x2, double y2, double w, double h);
  TPDFDevicePoint Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                      double y4);
  TPDFDevicePoint ArcAngles(double x1, double y1, double x2, double y2, double a5, double a6);
  void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4);
  // Painting and clipping.
  void Fill();
  void EoFill();
  void Stroke();
  void FillAndStroke();
  void EoFillAndStroke();
  void ClosePath();
  void NewPath();
  void Clip();
  void EoClip();
  // Graphics state (colour components 0..1; widths in device units).
  void SetLineWidth(double width);
  void SetDash(const std::string& pattern);
  void NoDash();
  void SetLineCap(int cap);
  void SetLineJoin(int join);
  void SetRGBFillColor(double r, double g, double b);
  void SetRGBStrokeColor(double r, double g, double b);
  void SetRGBColor(double r, double g, double b);
  // Fills from here on with a tiling pattern whose cell (`pattern.width` x
  // `pattern.height` units, content y downwards) has its top-left corner at
  // `origin` and units of `unitX` x `unitY`, device units; the pattern's own
  // matrix is worked out here. Until the next fill colour or GStateRestore.
  void SetFillPattern(TPDFTilingPattern pattern, TPDFDevicePoint origin, double unitX,
                      double unitY);
  // Smooth shadings (page_shading.cpp), painted over the whole clip: axial
  // from one vertex's colour to the other's, extended past both ends; and
  // Gouraud triangles, three vertices each (a rest of one or two is left out).
  void ShadeAxial(const TPDFShadedVertex& from, const TPDFShadedVertex& to);
  void ShadeTriangles(std::span<const TPDFShadedVertex> vertices);
  // Paints from here on in the Difference blend mode (PDF 1.4: older readers
  // paint normally), until the next GStateRestore.
  void SetDifferenceBlend();
  // Likewise in the Multiply or the Screen blend mode.
  void SetMultiplyBlend();
  void SetScreenBlend();

  // --- Page text operations (page_text.cpp) ---
  // Font request: style bits 1 bold, 2 italic, 4 underline, 8 strike-out;
  // size in points; charset a Windows character set (1 = system default).
  void SetActiveFont(const std::string& name, uint8_t style, int charset, double size);
  void SetTextRenderingMode(int mode);
  void SetCharacterSpacing(double deviceUnits);
  void SetWordSpacing(double deviceUnits);
  void SetHorizontalScaling(double percent);
  void SetBaselineOrigin(bool baseline) { baselineOrigin_ = baseline; }
  // Mirrored or unevenly scaled text: the text space's x and y axes on the
  // page (y upwards) in units of the font size, in place of the angle of the
  // output calls; nullopt for upright text.
  void SetTextAxes(const std::optional<std::array<double, 4>>& axes) { textAxes_ = axes; }
  // A span of text objects whose characters are `text` (UTF-16, or bytes
  // in the font's character set) for extraction, whatever order or shape
  // the glyphs take on the page.
  void BeginActualText(std::u16string_view text);
  void BeginActualText(std::string_view bytes);
  void EndActualText();
  // Text output at (x, y) device units, angle in degrees counter-clockwise;
  // advances in device units per character (empty: the font's own).
  void TextOut(std::string_view text, double x, double y, double angle);
  void UnicodeTextOut(std::u16string_view text, double x, double y, double angle);
  void ExtTextOut(std::string_view text, std::span<const double> advances, double x, double y,
                  double angle);
  void UnicodeExtTextOut(std::u16string_view text, std::span<const double> advances, double x,
                         double y, double angle);
  void GlyphTextOut(std::span<const uint16_t> glyphs, std::span<const double> advances, double x,
                    double y, double angle);
  // Width of text in points (TextWidthPx: device units).
  double TextWidth(std::string_view text);
  double UnicodeTextWidth(std::u16string_view text);
  double TextWidthPx(std::string_view text) { return TextWidth(text) * Factor(); }
  double FontSize() const { return fontSize_; }
  // --- Image placement (page_images.cpp) ---
  // Places document image `index` with its top-left corner at (x, y) and
  // size (w, h): device units, or points with y upwards for ShowImagePt.
  void ShowImage(int index, double x, double y, double w, double h, double angle);
  void ShowImagePt(int index, double x, double y, double w, double h, double angle);
  // Places the image on the parallelogram of three of its corners (device
  // units): rotated, sheared or mirrored as they say.
  void ShowImageFrame(int index, TPDFDevicePoint topLeft, TPDFDevicePoint topRight,
                      TPDFDevicePoint bottomLeft);
  const std::vector<int>& UsedImages() const { return usedImages_; }

  // --- Metafile playback (page_metafile.cpp) ---
  // Draws the picture as a form object at (x, y) device units, scaled.
  void PlayMetaFile(TPDFMetafilePlayer& player, double x, double y, double xScale, double yScale);

  // --- Link annotations (page_annotations.cpp) ---
  // Rectangles in device units; refused on forms ("Cannot create URL to watermark").
  TPDFActionAnnotation& CreateAnnotation(double left, double top, double right, double bottom,
                                         TPDFAction* action);
  TPDFActionAnnotation& CreateURLAnnotation(double left, double top, double right, double bottom,
                                            const std::string& url);
  int AnnotationCount() const { return static_cast<int>(annotations_.size()); }
  TPDFActionAnnotation& Annotation(int index) {
    return *annotations_.at(static_cast<size_t>(index));
  }

  // --- Page graphics state (page_graphics.cpp) ---
  bool PathOpen() const { return pathOpen_; }
  double CurrentX() const { return currentX_; }  // page space
  double CurrentY() const { return currentY_; }
  double CurrentMatrix(int i) const { return currentMatrix_[i]; }
  const std::string& DashPattern() const { return state_.dash; }

  TPDFPages& Forms() { return forms_; }
  double FormMatrix(int i) const { return formMatrix_[i]; }
  void SetFormMatrix(double a, double b, double c, double d, double e, double f);

  // Writes the page with its forms and resources (the document calls this).
  void Write();

 private:
  void RequireNotStarted() const;
  void Start() { drawingStarted_ = true; }
  void WriteResources();
  void ReleaseWritten();
  void WriteContentStream(int64_t number);
  void WritePageObject();
  void WriteFormObject();
  // Image resources (page_images.cpp).
  const class TPDFImage& UseImage(int index);
  void WriteUsedImages();
  void WriteImageResources();
  void WritePatternResources();
  // Shadings (page_shading.cpp).
  void PaintShading(std::string dictionary, std::string stream);
  void WriteShadings();
  void WriteShadingResources();
  struct Shading {
    std::string dictionary;
    std::string stream;  // empty for a dictionary alone
    int64_t number = 0;
  };
  std::vector<Shading> shadings_;

  TPDFDocument& document_;
  bool isForm_;
  int64_t objectNumber_ = 0;

  int width_ = 0;
  int height_ = 0;
  TPDFPageSize size_ = psA4;
  TPDFPageOrientation orientation_ = poPagePortrait;
  int resolution_ = 72;
  long double factor_ = 1;
  double placedScale_ = 1;
  bool drawingStarted_ = false;

  std::string content_;
  double formMatrix_[6] = {1, 0, 0, 1, 0, 0};

  // The state saved by each q in force, innermost last: the graphics and
  // the text state (page_text.cpp).
  struct TextStateSave {
    double characterSpacing;
    double wordSpacing;
    double horizontalScaling;
    int renderingMode;
  };
  struct Level {
    TPDFGraphicsState graphics;
    TextStateSave text;
  };
  std::vector<Level> levels_;
  TPDFGraphicsState state_;
  int strayRestores_ = 0;
  int fontSaveDepth_ = 0;
  bool fontSelected_ = false;
  bool inText_ = false;
  double characterSpacing_ = 0;

  bool usesText_ = false;
  bool usesGreyImage_ = false;
  bool usesColorImage_ = false;
  bool usesDifference_ = false;
  bool usesMultiply_ = false;
  bool usesScreen_ = false;

  // --- Page text state (page_text.cpp) ---
  TextStateSave SavedTextState() const;
  void RestoreTextState(const TextStateSave& saved);
  void WriteFontResources();
  void OpenTextObject();
  TPDFFont& SelectFont(int variant);
  TPDFFont& FontFor(int variant);
  bool PlaceText(double x, double y, double angle, int variant);
  bool PlaceTextOnAxes(double X, double Y, double ascent);
  void WriteCharacterSpacing(double value);
  double NaturalAdvance(int kind, char16_t unit);
  void WriteSingleByteText(std::string text);
  void WriteUnicodeText(std::u16string text);
  void WriteSpacedRuns(std::u16string_view units, const std::vector<double>& advances, bool glyphs);
  void WriteRun(int kind, std::u16string_view units);
  void DrawDecorations(double width);
  void CreateTextLinks(const std::string& lowered, const std::string& original, double x, double y);
  std::vector<double> TextSpaceAdvances(std::span<const double> advances, size_t count) const;

  std::string fontName_ = "Helvetica";
  uint8_t fontStyle_ = 0;
  double fontSize_ = 8;
  int fontCharset_ = 0;
  bool fontDirty_ = true;
  int fontVariant_ = 0;
  double wordSpacing_ = 0;
  double horizontalScaling_ = 100;
  int renderingMode_ = 0;
  double textX_ = 0;
  double textY_ = 0;
  double textAngle_ = 0;
  bool baselineOrigin_ = false;
  std::optional<std::array<double, 4>> textAxes_;
  std::vector<TPDFFont*> pageFonts_;
  TPDFFont* requestedFonts_[2] = {nullptr, nullptr};  // of the current request, by variant

  TPDFPages forms_;
  std::vector<int> usedImages_;    // document image indices, in order of first use
  std::vector<int> usedPatterns_;  // document pattern indices, in order of first use
  int64_t resourcesNumber_ = 0;
  int64_t contentsNumber_ = 0;

  // --- Page graphics state (page_graphics.cpp, page_metafile.cpp, page_annotations.cpp) ---
  void AppendOperator(const double* values, int count, std::string_view op);
  // A content operand as the document's conformance can hold it.
  double Operand(double value) const;
  void WriteEmptyForms();
  void NumberAnnotations();
  void WriteAnnotations();
  void WriteAnnotsArray();

  bool pathOpen_ = false;
  double currentX_ = 0;
  double currentY_ = 0;
  double currentMatrix_[6] = {1, 0, 0, 1, 0, 0};
  // Numbers of forms dropped for empty pictures; each still needs an object.
  std::vector<int64_t> emptyFormNumbers_;
  std::vector<std::unique_ptr<TPDFActionAnnotation>> annotations_;
};

}  // namespace pdf
