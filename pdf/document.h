#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdf/actions.h"
#include "pdf/emf_parse_options.h"
#include "pdf/images.h"
#include "pdf/object_encryption.h"
#include "pdf/ordered_output.h"
#include "pdf/outlines.h"
#include "pdf/output_file.h"
#include "pdf/pages.h"
#include "pdf/patterns.h"
#include "pdf/pdf_types.h"
#include "pdf/standard_security.h"

namespace platform {
class WorkPool;
}

namespace pdf {

class TPDFPage;
class TPDFFonts;

// Values of the information dictionary.
struct TPDFDocInfo {
  std::string Author;
  std::string Creator;
  std::string Keywords;
  std::string Subject;
  std::string Title;
  std::string Producer;
  std::chrono::system_clock::time_point CreationDate = std::chrono::system_clock::now();
  int64_t objectNumber = 0;

  // Copies what the published property copies: not the producer, not the number.
  void Assign(const TPDFDocInfo& other);
};

// The root of one output file: owns pages and resources, hands out object
// numbers and writes the file's structure. Offsets are 64-bit so that files
// past 4 GiB keep a valid cross-reference table.
class TPDFDocument {
 public:
  TPDFDocument();
  virtual ~TPDFDocument();
  TPDFDocument(const TPDFDocument&) = delete;
  TPDFDocument& operator=(const TPDFDocument&) = delete;

  // Lifecycle.
  void BeginDoc();
  void NewPage();
  void EndDoc();
  void Abort();
  TPDFPage& CurrentPage();
  int PageCount() const;
  TPDFPages& Pages() { return pages_; }
  bool Active() const { return active_; }
  bool Aborted() const { return aborted_; }

  // Services for the writer objects.
  int64_t AllocObjectNumber();
  void BeginObject(int64_t& number);
  void EndDictionary() { WriteText(">>", true); }
  void EndObject() { WriteText("endobj", true); }
  void BeginStreamData() { WriteText("stream", true); }
  void EndStreamData() { WriteText("endstream", true); }
  void WriteText(std::string_view text, bool lineEnd);
  void WriteLine(std::string_view text) { WriteText(text, true); }
  // A dictionary line made of a key text and an integer: "/Length 12".
  void WriteKeyInteger(std::string_view key, int64_t value);
  // A dictionary line holding a reference: "/Parent 1 0 R".
  void WriteKeyReference(std::string_view key, int64_t objectNumber);
  // Ends the stream dictionary (the caller has written "/Length" and any
  // filter) and writes `data`, encrypted for `objectNumber`, as its stream,
  // then "endstream" and "endobj".
  void WriteStream(std::string data, int64_t objectNumber);
  // Like WriteStream, for a stream whose bytes are made by `encode` (a
  // deflate) on the work pool while writing goes on; `lengthLines` gives the
  // dictionary's last lines, which hold the encrypted length ("/Length 12"
  // and a line end). `inputBytes` is what `encode` holds, for the pool's
  // memory bound. The file's bytes are those WriteStream would write.
  // `lineEnd` is the line end before "endstream".
  void WriteStreamLater(std::function<std::string()> encode,
                        std::function<std::string(int64_t)> lengthLines, int64_t objectNumber,
                        size_t inputBytes, bool lineEnd = true);
  // The common case: "/Length", then "/Filter /FlateDecode" when `deflate`.
  void WriteDeflatedStreamLater(std::string data, bool deflate, int level, int64_t objectNumber);
  // The pool streams are made on (the process's by default); set before BeginDoc.
  void SetWorkPool(platform::WorkPool& pool);
  platform::WorkPool& Pool();

  // Waits for a key still being made; only the thread that writes calls it.
  const FileKey& fileKey() const {
    if (pendingKey_.valid()) fileKey_.key = std::exchange(pendingKey_, {}).get();
    return fileKey_;
  }
  // The /Length of a stream of `plainSize` bytes once encrypted.
  int64_t StreamLength(size_t plainSize) const {
    return static_cast<int64_t>(EncryptedSize(fileKey_, plainSize));
  }
  const std::string& FileIdentifier() const { return fileId_; }

  // Properties.
  bool AutoLaunch() const { return autoLaunch_; }
  void SetAutoLaunch(bool value) { autoLaunch_ = value; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& value);
  // Writes the next document into memory instead of a file (set before
  // BeginDoc); TakeMemoryOutput() has its bytes after EndDoc.
  void SetMemoryOutput(bool value) { memoryOutput_ = value; }
  std::string TakeMemoryOutput() { return std::move(memoryBytes_); }
  TCompressionType Compression() const { return compression_; }
  void SetCompression(TCompressionType value) { compression_ = value; }
  TPDFDocInfo& DocumentInfo() { return docInfo_; }
  void SetDocumentInfo(const TPDFDocInfo& value) { docInfo_.Assign(value); }
  TPageLayout PageLayout() const { return pageLayout_; }
  void SetPageLayout(TPageLayout value) { pageLayout_ = value; }
  TPageMode PageMode() const { return pageMode_; }
  void SetPageMode(TPageMode value) { pageMode_ = value; }
  bool ProtectionEnabled() const { return protectionEnabled_; }
  void SetProtectionEnabled(bool value);
  TPDFCtiptoOptions ProtectionOptions() const { return protectionOptions_; }
  void SetProtectionOptions(TPDFCtiptoOptions value);
  const std::string& OwnerPassword() const { return ownerPassword_; }
  void SetOwnerPassword(const std::string& value);
  const std::string& UserPassword() const { return userPassword_; }
  void SetUserPassword(const std::string& value);
  std::vector<std::string>& NonEmbeddedFont() { return nonEmbeddedFont_; }
  int JPEGQuality() const { return jpegQuality_; }
  void SetJPEGQuality(int value) { jpegQuality_ = value; }
  int Resolution() const { return resolution_; }
  void SetResolution(int value) { resolution_ = value; }
  TViewerPreferences ViewerPreferences() const { return viewerPreferences_; }
  void SetViewerPreferences(TViewerPreferences value) { viewerPreferences_ = value; }
  bool AutoCreateURL() const { return autoCreateUrl_; }
  void SetAutoCreateURL(bool value) { autoCreateUrl_ = value; }
  bool OnePass() const { return onePass_; }
  void SetOnePass(bool value);
  // A PDF/A document has the version of its part, whatever was set.
  TPDFVersion Version() const;
  void SetVersion(TPDFVersion value);
  TPDFKeyLength ProtectionKeyLength() const { return keyLength_; }
  void SetProtectionKeyLength(TPDFKeyLength value);
  bool EmulateStandardFont() const { return emulateStandardFont_; }
  void SetEmulateStandardFont(bool value);
  TPDFEMFParseOptions& EMFOptions() { return emfOptions_; }
  // PDF/A: embeds every font, adds the output intent and the identification
  // to the metadata; such a document cannot be protected (BeginDoc refuses).
  TPDFConformance Conformance() const { return conformance_; }
  void SetConformance(TPDFConformance value);
  bool IsPdfA() const { return conformance_ != pcNone; }
  // Whether images may carry soft masks and pages blend modes.
  bool AllowsTransparency() const { return Version() >= v14 && conformance_ != pcPDFA1b; }
  // Blend modes are written for every version (older readers ignore them)
  // but PDF/A-1, which forbids them.
  bool AllowsBlendModes() const { return conformance_ != pcPDFA1b; }

  // --- Navigation: actions and outlines (actions.cpp, outlines.cpp, document_navigation.cpp) ---
  TPDFActions& Actions() { return actions_; }
  TPDFOutlines& Outlines() { return outlines_; }
  // Adds the action to the collection once and gives it an object number;
  // refused when no document is being generated.
  void RegisterAction(TPDFAction& action);

  // Fonts of the document (fonts.h).
  TPDFFonts& Fonts() { return *fonts_; }
  // --- Images (document_images.cpp) ---
  TPDFImages& Images() { return images_; }
  // Encodes a graphic as a new image resource and returns its index; a
  // non-empty `softMask` is its opacity (see TPDFImage::SetSoftMask).
  int AddImage(const TPDFGraphic& graphic, ImageCompression compression, int64_t transparentColor,
               bool isMask, int maskIndex, const std::string& softMask = std::string());

  // Tiling patterns of the pages and forms (patterns.h).
  TPDFPatterns& Patterns() { return patterns_; }

  // The 32-bit permission word of the standard security handler.
  static int32_t PermissionWord(TPDFCtiptoOptions options, TPDFKeyLength keyLength);

 protected:
  // Writes every page of the document (not yet written) in order.
  void WritePages();
  void WriteAndRelease(TPDFPage& page);

 private:
  void Reset();
  void RefuseWhileActive() const;
  void RequireActive() const;
  void WriteRest();
  void WriteInfo();
  void WritePageTree();
  void WriteCatalog();
  // The XMP stream of the document information (from PDF 1.4) and the ICC
  // profile of a PDF/A output intent (document_metadata.cpp).
  void WriteMetadata();
  void WriteOutputProfile();
  void WriteCatalogMetadata();
  // An information string as written: Windows-1252 bytes, or UTF-16 when
  // the file has metadata and the text goes beyond ASCII, so that readers
  // take it as the same text the metadata holds.
  std::string InfoString(const std::string& value) const;
  void WriteEncryptDictionary();
  void PrepareFileKey();
  void WriteXref();
  void WriteTrailer();
  void LaunchViewer() const;
  // Navigation steps of writing the rest of the file (document_navigation.cpp).
  void RegisterChainedActions();
  void WriteActions();
  void WriteOutlines();
  void WriteOutlinesReference();

  // Properties.
  bool autoLaunch_ = false;
  std::string fileName_;
  bool memoryOutput_ = false;
  std::string memoryBytes_;
  TCompressionType compression_ = ctNone;
  TPDFDocInfo docInfo_;
  TPageLayout pageLayout_ = plSinglePage;
  TPageMode pageMode_ = pmUseNone;
  bool protectionEnabled_ = false;
  TPDFCtiptoOptions protectionOptions_ = 0;
  std::string ownerPassword_;
  std::string userPassword_;
  std::vector<std::string> nonEmbeddedFont_;
  int jpegQuality_ = 80;
  int resolution_ = 72;
  TViewerPreferences viewerPreferences_ = 0;
  bool autoCreateUrl_ = true;
  bool onePass_ = false;
  TPDFVersion version_ = v13;
  TPDFKeyLength keyLength_ = kl40;
  bool emulateStandardFont_ = false;
  TPDFEMFParseOptions emfOptions_;
  TPDFConformance conformance_ = pcNone;

  // Generation state.
  bool active_ = false;
  bool aborted_ = false;
  int64_t objectCount_ = 0;
  std::vector<uint64_t> offsets_;  // index = object number - 1
  int64_t pageTreeNumber_ = 0;
  int64_t catalogNumber_ = 0;
  int64_t encryptNumber_ = 0;
  int64_t metadataNumber_ = 0;
  int64_t outputProfileNumber_ = 0;
  uint64_t xrefOffset_ = 0;
  std::unique_ptr<OutputFile> output_;
  platform::WorkPool* pool_ = nullptr;
  std::unique_ptr<OrderedOutput> ordered_;  // writes to output_
  TPDFPages pages_;
  TPDFPatterns patterns_;
  TPDFPage* currentPage_ = nullptr;
  std::string fileId_;
  int32_t permissions_ = 0;
  std::string ownerEntry_;
  // Computed beside the pages: the password hashes are deliberately slow,
  // and nothing needs them before the encryption dictionary.
  std::future<Revision6Entries> revision6_;
  // Its key comes from pendingKey_ while that is valid (256-bit AES).
  mutable FileKey fileKey_;
  mutable std::shared_future<std::vector<uint8_t>> pendingKey_;

  // Navigation.
  TPDFActions actions_{*this};
  TPDFOutlines outlines_{*this};

  // Resources.
  std::unique_ptr<TPDFFonts> fonts_;
  // Images.
  TPDFImages images_{this};
};

}  // namespace pdf
