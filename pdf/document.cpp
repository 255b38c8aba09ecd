#include "pdf/document.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <exception>

#include "pdf/aes_crypto.h"
#include "pdf/deflate.h"
#include "pdf/fonts.h"
#include "pdf/md5.h"
#include "pdf/number_format.h"
#include "pdf/page.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_strings.h"
#include "pdf/saslprep.h"
#include "pdf/standard_security.h"
#include "pdf/xmp_metadata.h"
#include "platform/shell.h"
#include "platform/work_pool.h"

namespace pdf {

namespace {

std::tm LocalTime(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm parts{};
  localtime_r(&seconds, &parts);
  return parts;
}

// "ddd dd-mm-yyyy hh:nn:ss.zzz", with English day names.
std::string IdentifierTime(std::chrono::system_clock::time_point when) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  const std::tm t = LocalTime(when);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
  char text[64];
  std::snprintf(text, sizeof text, "%s %02d-%02d-%04d %02d:%02d:%02d.%03d", kDays[t.tm_wday],
                t.tm_mday, t.tm_mon + 1, t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec,
                static_cast<int>(millis));
  return text;
}

// "yyyymmddhhnnss" without a time zone.
std::string InfoDate(std::chrono::system_clock::time_point when) {
  const std::tm t = LocalTime(when);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1,
                t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return text;
}

// The oldest version that can hold a key length's security handler.
TPDFVersion OldestVersionFor(TPDFKeyLength keyLength) {
  static constexpr TPDFVersion kOldest[] = {v13, v14, v16, v17};
  return kOldest[keyLength];
}

// An AES-256 password as the handler hashes it; refused with the reason.
std::string SaslPrepared(const std::string& password, const char* which) {
  PreparedPassword prepared = SaslPrepPassword(password);
  if (!prepared.ok)
    throw TPDFException(
        std::string("The ") + which +
        " password cannot protect a document with 256-bit AES: " + prepared.problem);
  return prepared.bytes;
}

}  // namespace

void TPDFDocInfo::Assign(const TPDFDocInfo& other) {
  Creator = other.Creator;
  CreationDate = other.CreationDate;
  Author = other.Author;
  Title = other.Title;
  Subject = other.Subject;
  Keywords = other.Keywords;
}

TPDFDocument::TPDFDocument() : pages_(*this, false), fonts_(std::make_unique<TPDFFonts>(*this)) {}

TPDFDocument::~TPDFDocument() = default;

// --- Properties -------------------------------------------------------------

void TPDFDocument::RefuseWhileActive() const {
  if (active_) throw TPDFException(msg::kInProgress);
}

void TPDFDocument::RequireActive() const {
  if (!active_) throw TPDFException(msg::kNotActivated);
}

void TPDFDocument::SetFileName(const std::string& value) {
  RefuseWhileActive();
  fileName_ = value;
}

void TPDFDocument::SetProtectionEnabled(bool value) {
  RefuseWhileActive();
  protectionEnabled_ = value;
}

void TPDFDocument::SetProtectionOptions(TPDFCtiptoOptions value) {
  RefuseWhileActive();
  protectionOptions_ = value;
}

void TPDFDocument::SetOwnerPassword(const std::string& value) {
  RefuseWhileActive();
  ownerPassword_ = value;
}

void TPDFDocument::SetUserPassword(const std::string& value) {
  RefuseWhileActive();
  userPassword_ = value;
}

void TPDFDocument::SetOnePass(bool value) {
  RefuseWhileActive();
  onePass_ = value;
}

void TPDFDocument::SetVersion(TPDFVersion value) {
  version_ = value > v17 ? v13 : value;
  // A version too old for the key length keeps the strongest key it holds.
  while (OldestVersionFor(keyLength_) > version_)
    keyLength_ = static_cast<TPDFKeyLength>(keyLength_ - 1);
}

TPDFVersion TPDFDocument::Version() const {
  if (conformance_ == pcPDFA1b) return v14;
  if (conformance_ == pcPDFA2b) return v17;
  return version_;
}

void TPDFDocument::SetConformance(TPDFConformance value) {
  RefuseWhileActive();
  conformance_ = value <= pcPDFA2b ? value : pcNone;
}

void TPDFDocument::SetProtectionKeyLength(TPDFKeyLength value) {
  if (value == keyLength_) return;
  if (active_) throw TPDFException(msg::kCannotChange);
  keyLength_ = value <= klAES256 ? value : kl40;
  version_ = std::max(version_, OldestVersionFor(keyLength_));
}

void TPDFDocument::SetEmulateStandardFont(bool value) {
  if (value == emulateStandardFont_) return;
  if (active_) throw TPDFException(msg::kCannotChange);
  emulateStandardFont_ = value;
}

int32_t TPDFDocument::PermissionWord(TPDFCtiptoOptions options, TPDFKeyLength keyLength) {
  const bool revision2 = keyLength == kl40;
  uint32_t word = revision2 ? 0xFFFFFFC0u : 0xFFFFF0C0u;
  if (options & coPrint) word |= 4;
  if (options & coModifyStructure) word |= 8;
  if (options & coCopyInformation) word |= 16;
  if (options & coModifyAnnotation) word |= 32;
  if (!revision2) {
    if (options & coFillAnnotation) word |= 256;
    if (options & coExtractInfo) word |= 512;
    if (options & coAssemble) word |= 1024;
    if (options & coPrintHi) word |= 2048;
  }
  return static_cast<int32_t>(word);
}

// --- Object services ----------------------------------------------------------

int64_t TPDFDocument::AllocObjectNumber() {
  ++objectCount_;
  offsets_.push_back(0);
  return objectCount_;
}

void TPDFDocument::BeginObject(int64_t& number) {
  if (number < 1) number = AllocObjectNumber();
  if (number > objectCount_) throw TPDFException(msg::kOutOfRange);
  ordered_->beginObject(number);
  std::string line;
  AppendInteger(line, number);
  line += " 0 obj\r\n<<";
  WriteText(line, false);
}

void TPDFDocument::WriteText(std::string_view text, bool lineEnd) {
  if (!ordered_) throw TPDFException(msg::kNotActivated);
  ordered_->write(text);
  if (lineEnd) ordered_->write("\r\n");
}

void TPDFDocument::WriteKeyInteger(std::string_view key, int64_t value) {
  std::string line(key);
  AppendInteger(line, value);
  WriteLine(line);
}

void TPDFDocument::WriteKeyReference(std::string_view key, int64_t objectNumber) {
  std::string line(key);
  AppendInteger(line, objectNumber);
  line += " 0 R";
  WriteLine(line);
}

void TPDFDocument::WriteStream(std::string data, int64_t objectNumber) {
  EndDictionary();
  BeginStreamData();
  EncryptStream(fileKey(), data, objectNumber);
  WriteText(data, true);
  EndStreamData();
  EndObject();
}

void TPDFDocument::WriteStreamLater(std::function<std::string()> encode,
                                    std::function<std::string(int64_t)> lengthLines,
                                    int64_t objectNumber, size_t inputBytes, bool lineEnd) {
  if (!ordered_) throw TPDFException(msg::kNotActivated);
  // The work holds its own copy of the key: it may outlive the document. A
  // key still being made is waited for there, not here.
  auto make = [encode = std::move(encode), lengthLines = std::move(lengthLines), key = fileKey_,
               pending = pendingKey_, objectNumber, lineEnd]() mutable {
    std::string data = encode();
    if (pending.valid()) key.key = pending.get();
    EncryptStream(key, data, objectNumber);
    std::string rest = lengthLines(static_cast<int64_t>(data.size()));
    rest.reserve(rest.size() + data.size() + 40);
    rest += ">>\r\nstream\r\n";
    rest += data;
    rest += lineEnd ? "\r\nendstream\r\nendobj\r\n" : "endstream\r\nendobj\r\n";
    return rest;
  };
  // The first page's streams are made at once: a one-page job gains less
  // from a worker than handing them over costs it.
  if (PageCount() < 2 && !pendingKey_.valid()) {
    std::packaged_task<std::string()> now(std::move(make));
    std::future<std::string> made = now.get_future();
    now();
    ordered_->append(std::move(made), inputBytes);
    return;
  }
  ordered_->append(Pool().Submit(std::move(make)), inputBytes);
}

void TPDFDocument::WriteDeflatedStreamLater(std::string data, bool deflate, int level,
                                            int64_t objectNumber) {
  const size_t size = data.size();
  WriteStreamLater([data = std::move(data), deflate,
                    level]() mutable { return deflate ? Deflate(data, level) : std::move(data); },
                   [deflate](int64_t length) {
                     std::string lines = "/Length ";
                     AppendInteger(lines, length);
                     lines += deflate ? "\r\n/Filter /FlateDecode\r\n" : "\r\n";
                     return lines;
                   },
                   objectNumber, size);
}

void TPDFDocument::SetWorkPool(platform::WorkPool& pool) {
  RefuseWhileActive();
  pool_ = &pool;
}

platform::WorkPool& TPDFDocument::Pool() {
  if (pool_ == nullptr) pool_ = &platform::WorkPool::Shared();
  return *pool_;
}

// --- Lifecycle ----------------------------------------------------------------

void TPDFDocument::Reset() {
  objectCount_ = 0;
  docInfo_.objectNumber = 0;
  pageTreeNumber_ = 0;
  catalogNumber_ = 0;
  encryptNumber_ = 0;
  metadataNumber_ = 0;
  outputProfileNumber_ = 0;
  ordered_.reset();
  offsets_.clear();
  currentPage_ = nullptr;
  pages_.Clear();
  outlines_.Clear();
  actions_.Clear();
  fonts_->Clear();
  output_.reset();
  images_.Clear();
  patterns_.Clear();
}

void TPDFDocument::BeginDoc() {
  if (active_) throw TPDFException(msg::kInProgress);
  if (protectionEnabled_ && IsPdfA())
    throw TPDFException("A PDF/A document cannot be protected: PDF/A forbids encryption");
  Reset();

  fileId_ = Md5::hexOf(fileName_ + IdentifierTime(std::chrono::system_clock::now()));
  permissions_ = PermissionWord(protectionOptions_, keyLength_);
  fileKey_ = FileKey{};
  pendingKey_ = {};
  ownerEntry_.clear();
  revision6_ = {};
  if (protectionEnabled_) PrepareFileKey();

  output_ =
      memoryOutput_ ? std::make_unique<OutputFile>() : std::make_unique<OutputFile>(fileName_);
  memoryBytes_.clear();
  ordered_ = std::make_unique<OrderedOutput>(*output_, Pool(), offsets_);
  static constexpr const char* kHeaders[] = {"%PDF-1.3", "%PDF-1.4", "%PDF-1.5", "%PDF-1.6",
                                             "%PDF-1.7"};
  WriteLine(kHeaders[Version()]);
  WriteLine("%\xD2\xE5\xD1\xF2");

  active_ = true;
  aborted_ = false;
  pageTreeNumber_ = AllocObjectNumber();
  currentPage_ = &pages_.Add();
}

void TPDFDocument::PrepareFileKey() {
  fileKey_.enabled = true;
  if (keyLength_ == klAES256) {
    // Without an owner password the user password guards owner access too,
    // as with RC4.
    const std::string user = SaslPrepared(userPassword_, "user");
    const std::string owner = ownerPassword_.empty() ? user : SaslPrepared(ownerPassword_, "owner");
    fileKey_.method = CryptMethod::aesV3;
    // Loading libcrypto takes a few milliseconds: the key is made beside the
    // first page, then the deliberately slow password hashes.
    std::promise<Bytes> key;
    pendingKey_ = key.get_future().share();
    revision6_ = std::async(std::launch::async, [key = std::move(key), user, owner,
                                                 permissions = permissions_]() mutable {
      Bytes made;
      try {
        made = CryptoRandomBytes(32);
      } catch (...) {
        key.set_exception(std::current_exception());
        throw;
      }
      key.set_value(made);
      return ComputeRevision6Entries(user, owner, made, permissions);
    });
    return;
  }
  fileKey_.method = keyLength_ == klAES128 ? CryptMethod::aesV2 : CryptMethod::rc4;
  ownerEntry_ = ComputeOwnerEntry(ownerPassword_, userPassword_, keyLength_);
  fileKey_.key =
      ComputeFileKey(userPassword_, ownerEntry_, permissions_, FileIdFromHex(fileId_), keyLength_);
}

TPDFPage& TPDFDocument::CurrentPage() {
  if (currentPage_ == nullptr) throw TPDFException(msg::kNotActivated);
  return *currentPage_;
}

int TPDFDocument::PageCount() const { return pages_.Count(); }

void TPDFDocument::NewPage() {
  RequireActive();
  if (onePass_) WriteAndRelease(*currentPage_);
  currentPage_ = &pages_.Add();
}

void TPDFDocument::WriteAndRelease(TPDFPage& page) {
  page.Write();
  if (&page == currentPage_) currentPage_ = nullptr;
  pages_.Release(page);
}

void TPDFDocument::EndDoc() {
  RequireActive();
  try {
    WriteRest();
    ordered_->drain();
    output_->commit();
    if (output_->InMemory()) memoryBytes_ = output_->TakeBytes();
  } catch (...) {
    Abort();
    throw;
  }
  Reset();
  active_ = false;
  aborted_ = false;
  if (autoLaunch_) LaunchViewer();
}

void TPDFDocument::Abort() {
  RequireActive();
  if (output_) output_->discard();
  Reset();
  aborted_ = true;
  active_ = false;
}

void TPDFDocument::LaunchViewer() const {
  try {
    platform::ShellOpen(fileName_);
  } catch (...) {
    // Opening the viewer is a convenience; the document is already saved.
  }
}

// --- Writing the rest of the file ------------------------------------------------

void TPDFDocument::WriteRest() {
  if (onePass_) WriteAndRelease(CurrentPage());
  WriteInfo();
  RegisterChainedActions();
  WritePageTree();
  if (!onePass_) WritePages();
  WriteActions();
  WriteOutlines();
  WriteMetadata();
  WriteOutputProfile();
  WriteCatalog();
  if (protectionEnabled_) WriteEncryptDictionary();
  fonts_->WriteFonts();
  if (!onePass_) images_.WriteAll(*this);
  WriteXref();
  WriteTrailer();
}

void TPDFDocument::WritePages() {
  for (int i = 0; i < pages_.Count(); ++i)
    if (!pages_.IsReleased(i)) WriteAndRelease(pages_.Items(i));
}

void TPDFDocument::WriteInfo() {
  const int64_t number = docInfo_.objectNumber = AllocObjectNumber();
  auto line = [&](const char* key, const std::string& value) {
    WriteLine(std::string(key) + " (" + EscapeString(EncryptString(fileKey(), value, number)) +
              ")");
  };
  auto text = [&](const char* key, const std::string& value) { line(key, InfoString(value)); };
  BeginObject(docInfo_.objectNumber);
  text("/Creator", docInfo_.Creator);
  // With metadata beside it, the date names its time zone as the
  // metadata's must.
  line("/CreationDate", Version() >= v14 ? PdfDateWithZone(docInfo_.CreationDate)
                                         : "D:" + InfoDate(docInfo_.CreationDate));
  text("/Producer", docInfo_.Producer);
  text("/Author", docInfo_.Author);
  text("/Title", docInfo_.Title);
  text("/Subject", docInfo_.Subject);
  text("/Keywords", docInfo_.Keywords);
  EndDictionary();
  EndObject();
}

void TPDFDocument::WritePageTree() {
  BeginObject(pageTreeNumber_);
  WriteLine("/Type /Pages");
  WriteLine("/Kids [");
  for (int i = 0; i < pages_.Count(); ++i) {
    std::string line;
    AppendInteger(line, pages_.ObjectNumberOf(i));
    line += " 0 R";
    WriteLine(line);
  }
  WriteLine("]");
  WriteKeyInteger("/Count ", pages_.Count());
  EndDictionary();
  EndObject();
}

void TPDFDocument::WriteCatalog() {
  static constexpr const char* kLayouts[] = {"/PageLayout /SinglePage", "/PageLayout /OneColumn",
                                             "/PageLayout /TwoColumnLeft",
                                             "/PageLayout /TwoColumnRight"};
  static constexpr const char* kModes[] = {"/PageMode /UseNone", "/PageMode /UseOutlines",
                                           "/PageMode /UseThumbs", "/PageMode /FullScreen"};
  static constexpr const char* kPreferences[] = {"/HideToolbar true", "/HideMenubar true",
                                                 "/HideWindowUI true", "/FitWindow true",
                                                 "/CenterWindow true"};
  BeginObject(catalogNumber_);
  WriteLine("/Type /Catalog");
  WriteKeyReference(" /Pages ", pageTreeNumber_);
  WriteLine(kLayouts[pageLayout_ <= plTwoColumnRight ? pageLayout_ : 0]);
  if (viewerPreferences_ != 0) {
    WriteLine("/ViewerPreferences <<");
    for (int i = 0; i < 5; ++i)
      if (viewerPreferences_ & (1 << i)) WriteLine(kPreferences[i]);
    EndDictionary();
  }
  WriteLine(kModes[pageMode_ <= pmFullScreen ? pageMode_ : 0]);
  WriteOutlinesReference();
  WriteCatalogMetadata();
  // AES-256 came to PDF 1.7 as an extension; readers look for it here.
  if (protectionEnabled_ && keyLength_ == klAES256)
    WriteLine("/Extensions << /ADBE << /BaseVersion /1.7 /ExtensionLevel 3 >> >>");
  EndDictionary();
  EndObject();
}

void TPDFDocument::WriteEncryptDictionary() {
  // The handler's version, revision and key length in bits; AES adds one
  // crypt filter for strings and streams alike.
  static constexpr const char* kHandlers[] = {
      "/V 1\r\n/R 2",
      "/V 2\r\n/R 3\r\n/Length 128",
      "/V 4\r\n/R 4\r\n/Length 128\r\n"
      "/CF << /StdCF << /CFM /AESV2 /Length 16 /AuthEvent /DocOpen >> >>\r\n"
      "/StmF /StdCF\r\n/StrF /StdCF",
      "/V 5\r\n/R 6\r\n/Length 256\r\n"
      "/CF << /StdCF << /CFM /AESV3 /Length 32 /AuthEvent /DocOpen >> >>\r\n"
      "/StmF /StdCF\r\n/StrF /StdCF",
  };
  BeginObject(encryptNumber_);
  WriteLine("/Filter /Standard");
  WriteLine(kHandlers[keyLength_]);
  WriteKeyInteger("/P ", permissions_);
  if (keyLength_ == klAES256) {
    const Revision6Entries entries = revision6_.get();
    WriteLine("/O (" + EscapeString(entries.owner) + ")");
    WriteLine("/U (" + EscapeString(entries.user) + ")");
    WriteLine("/OE (" + EscapeString(entries.ownerKey) + ")");
    WriteLine("/UE (" + EscapeString(entries.userKey) + ")");
    WriteLine("/Perms (" + EscapeString(entries.permissions) + ")");
  } else {
    const std::string userEntry =
        ComputeUserEntry(fileKey().key, FileIdFromHex(fileId_), keyLength_);
    WriteLine("/O (" + EscapeString(ownerEntry_) + ")");
    WriteLine("/U (" + EscapeString(userEntry) + ")");
  }
  EndDictionary();
  EndObject();
}

void TPDFDocument::WriteXref() {
  xrefOffset_ = ordered_->position();
  WriteLine("xref");
  WriteLine("0 " + IntToStr(objectCount_ + 1));
  WriteLine("0000000000 65535 f");
  std::string table;
  table.reserve(offsets_.size() * 20);
  for (uint64_t offset : offsets_) {
    table += PadNumber(static_cast<int64_t>(offset), 10);
    table += " 00000 n\r\n";
  }
  WriteText(table, false);
}

void TPDFDocument::WriteTrailer() {
  WriteLine("trailer");
  WriteLine("<<");
  WriteKeyInteger("/Size ", objectCount_ + 1);
  WriteKeyReference("/Root ", catalogNumber_);
  WriteKeyReference("/Info ", docInfo_.objectNumber);
  if (protectionEnabled_) WriteKeyReference("/Encrypt ", encryptNumber_);
  WriteLine("/ID [<" + fileId_ + "><" + fileId_ + ">]");
  WriteLine(">>");
  WriteLine("startxref");
  WriteLine(IntToStr(static_cast<int64_t>(xrefOffset_)));
  WriteLine("%%EOF");
}

}  // namespace pdf
