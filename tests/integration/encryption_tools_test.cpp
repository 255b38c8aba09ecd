#include <gtest/gtest.h>

#include <filesystem>

#include "pdf/document.h"
#include "pdf/page.h"
#include "support/silent_job.h"
#include "support/temp_folder.h"

namespace {

using testing_support::HaveTool;
using testing_support::ProgramResult;
using testing_support::ReadFile;
using testing_support::RunCommand;
using testing_support::RunProgram;
using testing_support::SilentJob;
using testing_support::TempFolder;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

struct ProtectedCase {
  const char* what;
  int keyLength;                    // ProtectionKeyLength
  const char* userPassword;         // UTF-8 as stored; nullptr: not enabled
  const char* ownerPassword;        // UTF-8 as stored; nullptr: not enabled
  const char* userBytes;            // what a reader is given (Windows-1252)
  const char* ownerBytes;           // the password that opens as owner; nullptr: none known
  std::vector<const char*> denied;  // permission values stored as 0
  int permissionWord;
};

const ProtectedCase kProtectedCases[] = {
    {"40-bit, both passwords, everything allowed", 0, "u40", "o40", "u40", "o40", {}, -4},
    {"40-bit, owner only, no printing or copying",
     0,
     nullptr,
     "owner",
     "",
     "owner",
     {"AllowPrinting", "AllowCopyInformation"},
     -24},
    {"40-bit, user only, no annotations",
     0,
     "\xC3\xBC"
     "ber",
     nullptr,
     "\xFC"
     "ber",
     nullptr,
     {"AllowModifyAnnotation"},
     -36},
    {"128-bit, user only, nothing allowed",
     1,
     "user",
     nullptr,
     "user",
     nullptr,
     {"AllowPrinting", "AllowModifyStructure", "AllowCopyInformation", "AllowModifyAnnotation",
      "AllowHiQualityPrinting", "AllowFillAnnotation", "AllowExtractInfo", "AllowAssemble"},
     -3904},
    {"128-bit, both non-ASCII passwords, printing only",
     1,
     "caf\xC3\xA9",
     "Own\xC3\xA9r",
     "caf\xE9",
     "Own\xE9r",
     {"AllowModifyStructure", "AllowCopyInformation", "AllowModifyAnnotation",
      "AllowFillAnnotation", "AllowExtractInfo", "AllowAssemble"},
     -1852},
    {"128-bit, no passwords, no assembly or extraction",
     1,
     nullptr,
     nullptr,
     "",
     nullptr,
     {"AllowAssemble", "AllowExtractInfo"},
     -1540},
    {"AES-128, both passwords, printing only",
     2,
     "u-aes",
     "o-aes",
     "u-aes",
     "o-aes",
     {"AllowModifyStructure", "AllowCopyInformation", "AllowModifyAnnotation",
      "AllowFillAnnotation", "AllowExtractInfo", "AllowAssemble"},
     -1852},
    {"AES-128, owner only, no copying",
     2,
     nullptr,
     "owner",
     "",
     "owner",
     {"AllowCopyInformation"},
     -20},
    {"AES-128, no passwords", 2, nullptr, nullptr, "", nullptr, {}, -4},
    {"AES-256, a French user and a Russian owner password, nothing allowed",
     3,
     "caf\xC3\xA9",
     "\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C",
     "caf\xC3\xA9",
     "\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C",
     {"AllowPrinting", "AllowModifyStructure", "AllowCopyInformation", "AllowModifyAnnotation",
      "AllowHiQualityPrinting", "AllowFillAnnotation", "AllowExtractInfo", "AllowAssemble"},
     -3904},
    {"AES-256, user only, no assembly",
     3,
     "user256",
     nullptr,
     "user256",
     nullptr,
     {"AllowAssemble"},
     -1028},
    {"AES-256, no passwords", 3, nullptr, nullptr, "", nullptr, {}, -4},
};

// What each ProtectionKeyLength writes and what qpdf reports of it.
struct Handler {
  const char* dictionary;
  const char* header;
  const char* revision;
  const char* method;  // nullptr: qpdf names none (RC4 before crypt filters)
};
const Handler kHandlers[] = {
    {"/V 1\r\n/R 2\r\n", "%PDF-1.3", "R = 2\n", nullptr},
    {"/V 2\r\n/R 3\r\n/Length 128\r\n", "%PDF-1.4", "R = 3\n", nullptr},
    {"/V 4\r\n/R 4\r\n/Length 128\r\n/CF << /StdCF << /CFM /AESV2 /Length 16 /AuthEvent "
     "/DocOpen >> >>\r\n/StmF /StdCF\r\n/StrF /StdCF\r\n",
     "%PDF-1.6", "R = 4\n", "stream encryption method: AESv2\n"},
    {"/V 5\r\n/R 6\r\n/Length 256\r\n/CF << /StdCF << /CFM /AESV3 /Length 32 /AuthEvent "
     "/DocOpen >> >>\r\n/StmF /StdCF\r\n/StrF /StdCF\r\n",
     "%PDF-1.7", "R = 6\n", "stream encryption method: AESv3\n"},
};

std::string SettingsFor(const ProtectedCase& c) {
  std::string text = std::string(SilentJob::kMainKeyLine) +
                     "\"Silent\"=dword:00000001\n\"OutputFileName\"=\"protected.pdf\"\n\n" +
                     SilentJob::kPdfKeyLine + "\"ProtectionEnabled\"=dword:00000001\n" +
                     "\"ProtectionKeyLength\"=dword:0000000" + std::to_string(c.keyLength) +
                     "\n\"Title\"=\"Quarterly secrets\"\n";
  if (c.userPassword)
    text += "\"UserPasswordEnabled\"=dword:1\n\"SilentUserPassword\"=\"" +
            std::string(c.userPassword) + "\"\n";
  if (c.ownerPassword)
    text += "\"MasterPasswordEnabled\"=dword:1\n\"SilentMasterPassword\"=\"" +
            std::string(c.ownerPassword) + "\"\n";
  for (const char* name : c.denied) text += "\"" + std::string(name) + "\"=dword:0\n";
  return text;
}

ProgramResult Qpdf(const std::vector<std::string>& arguments) {
  return RunProgram("qpdf", arguments);
}

TEST(ProtectedPdf, opensWithEachPasswordAndReportsItsPermissions) {
  if (!HaveTool("qpdf") || !HaveTool("pdfinfo") || !HaveTool("pdftotext"))
    GTEST_SKIP() << "qpdf or poppler-utils (pdfinfo, pdftotext) is not installed";
  for (const ProtectedCase& c : kProtectedCases) {
    SCOPED_TRACE(c.what);
    SilentJob job;
    job.WriteSettings(SettingsFor(c));
    const auto run = job.Run();
    ASSERT_EQ(run.exitStatus, 0) << run.standardError;
    const std::string pdf = job.documents() + "/protected.pdf";
    const std::string bytes = ReadFile(pdf);
    EXPECT_FALSE(Contains(bytes, "Quarterly secrets")) << "the title is not encrypted";
    const Handler& handler = kHandlers[c.keyLength];
    EXPECT_TRUE(Contains(bytes, handler.dictionary));
    EXPECT_EQ(bytes.rfind(handler.header, 0), 0u);
    EXPECT_EQ(Contains(bytes, "/Extensions << /ADBE << /BaseVersion /1.7 /ExtensionLevel 3 >> >>"),
              c.keyLength == 3);

    for (const char* password : {c.userBytes, c.ownerBytes}) {
      if (password == nullptr) continue;
      const auto check = Qpdf({"--check", "--password=" + std::string(password), pdf});
      EXPECT_EQ(check.exitStatus, 0) << password << "\n"
                                     << check.standardOutput << check.standardError;
      EXPECT_FALSE(Contains(check.standardError, "WARNING")) << check.standardError;
    }
    // Without an owner password of its own the file gets one nobody knows:
    // the user's password (or none) opens it with the stated permissions only.
    const std::string ownerOrUser = c.ownerBytes != nullptr ? c.ownerBytes : c.userBytes;
    const auto owner = Qpdf({"--show-encryption", "--password=" + ownerOrUser, pdf});
    EXPECT_TRUE(Contains(owner.standardOutput, "P = " + std::to_string(c.permissionWord) + "\n"))
        << owner.standardOutput;
    EXPECT_TRUE(Contains(owner.standardOutput, handler.revision)) << owner.standardOutput;
    if (handler.method != nullptr) {
      EXPECT_TRUE(Contains(owner.standardOutput, handler.method)) << owner.standardOutput;
      EXPECT_TRUE(Contains(owner.standardOutput,
                           std::string("string encryption method: ") + (handler.method + 26)))
          << owner.standardOutput;
    }
    EXPECT_TRUE(Contains(owner.standardOutput, c.ownerBytes != nullptr
                                                   ? "Supplied password is owner password"
                                                   : "Supplied password is user password"))
        << owner.standardOutput;

    const bool userNeeded = c.userPassword != nullptr && *c.userPassword != '\0';
    const auto noPassword = Qpdf({"--check", pdf});
    EXPECT_EQ(noPassword.exitStatus == 0, !userNeeded) << noPassword.standardError;
    const auto noPasswordInfo = RunProgram("pdfinfo", {pdf});
    EXPECT_EQ(noPasswordInfo.exitStatus == 0, !userNeeded);
    if (userNeeded) {
      // Nobody may open the file as its owner with an empty password.
      const auto empty = Qpdf({"--show-encryption", "--password=", pdf});
      EXPECT_FALSE(Contains(empty.standardOutput, "Supplied password is owner password"))
          << empty.standardOutput;
      // A wrong password opens nothing, in either tool.
      EXPECT_NE(Qpdf({"--check", "--password=wrong", pdf}).exitStatus, 0);
      EXPECT_NE(RunProgram("pdftotext", {"-upw", "wrong", pdf, "-"}).exitStatus, 0);
    }

    const auto info = RunProgram("pdfinfo", {"-upw", c.userBytes, pdf});
    EXPECT_EQ(info.exitStatus, 0) << info.standardError;
    EXPECT_TRUE(Contains(info.standardOutput, "Title:           Quarterly secrets"))
        << info.standardOutput;
    const auto text = RunProgram("pdftotext", {"-upw", c.userBytes, pdf, "-"});
    EXPECT_EQ(text.exitStatus, 0) << text.standardError;
    EXPECT_EQ(text.standardError, "");
  }
}

// Content, font and ToUnicode streams are encrypted with their own object's
// key: after qpdf has removed the encryption the operators read back as
// written, and pdftotext finds the text with the user password.
TEST(ProtectedPdf, streamsAndText_decryptWithTheirObjectKeys) {
  if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf is not installed";
  for (const pdf::TPDFKeyLength length : {pdf::kl40, pdf::kl128, pdf::klAES128, pdf::klAES256}) {
    for (const pdf::TCompressionType compression : {pdf::ctNone, pdf::ctFlate}) {
      TempFolder temp;
      const std::string path = temp.file("drawn.pdf");
      pdf::TPDFDocument document;
      document.SetFileName(path);
      document.SetCompression(compression);
      document.SetProtectionEnabled(true);
      document.SetProtectionKeyLength(length);
      document.SetUserPassword("pw");
      document.SetOwnerPassword("owner");
      document.DocumentInfo().Author = "A. Author";
      document.BeginDoc();
      document.CurrentPage().AppendLine("10 20 m");
      document.CurrentPage().AppendLine("300 400 l");
      document.CurrentPage().AppendLine("S");
      document.CurrentPage().SetActiveFont("Helvetica", 0, 0, 12);
      document.CurrentPage().TextOut("Standard font line", 72, 72, 0);
      document.NewPage();
      document.CurrentPage().AppendLine("0 0 500 500 re f");
      // An embedded TrueType subset adds encrypted font and ToUnicode streams.
      document.CurrentPage().SetActiveFont("Arial", 0, 0, 12);
      document.CurrentPage().TextOut("Embedded font line", 72, 600, 0);
      document.EndDoc();

      const auto check = Qpdf({"--check", "--password=pw", path});
      EXPECT_EQ(check.exitStatus, 0) << check.standardOutput << check.standardError;
      const std::string plain = temp.file("plain.pdf");
      const auto decrypt =
          Qpdf({"--password=owner", "--decrypt", "--qdf", "--object-streams=disable", path, plain});
      ASSERT_EQ(decrypt.exitStatus, 0) << decrypt.standardError;
      const std::string text = ReadFile(plain);
      EXPECT_TRUE(Contains(text, "10 20 m")) << int(length) << int(compression);
      EXPECT_TRUE(Contains(text, "300 400 l"));
      EXPECT_TRUE(Contains(text, "0 0 500 500 re f"));
      EXPECT_TRUE(Contains(text, "(A. Author)"));
      if (HaveTool("pdftotext")) {
        const auto extracted = RunProgram("pdftotext", {"-upw", "pw", path, "-"});
        EXPECT_EQ(extracted.exitStatus, 0) << extracted.standardError;
        EXPECT_TRUE(Contains(extracted.standardOutput, "Standard font line"))
            << extracted.standardOutput;
        EXPECT_TRUE(Contains(extracted.standardOutput, "Embedded font line"))
            << extracted.standardOutput;
      }
    }
  }
}

// 256-bit AES passwords go through SASLprep: what it maps away opens the
// file as the mapped password does, and what it prohibits ends the run with
// the reason and no file.
TEST(ProtectedPdf, aes256Passwords_followSaslPrep) {
  SilentJob job;
  const ProtectedCase mapped{"", 3, "I\xC2\xADX\xC2\xA0pass", nullptr, "", nullptr, {}, -4};
  job.WriteSettings(SettingsFor(mapped));
  const auto run = job.Run();
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  const std::string pdf = job.documents() + "/protected.pdf";
  EXPECT_EQ(Qpdf({"--check", "--password=IX pass", pdf}).exitStatus, 0);
  EXPECT_NE(Qpdf({"--check", "--password=I X pass", pdf}).exitStatus, 0);

  SilentJob refused;
  const ProtectedCase bell{"", 3, "ring\x07", nullptr, "", nullptr, {}, -4};
  refused.WriteSettings(SettingsFor(bell));
  const auto result = refused.Run();
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_TRUE(
      Contains(result.standardError, "\"SilentUserPassword\" in HKEY_CURRENT_USER\\Software\\"))
      << result.standardError;
  EXPECT_TRUE(
      Contains(result.standardError, "cannot be used with 256-bit AES: it holds a character"))
      << result.standardError;
  EXPECT_FALSE(std::filesystem::exists(refused.documents() + "/protected.pdf"));
}

// Most jobs encrypt nothing: the program opens libcrypto and ICU only when a
// document needs AES, so that loading them costs the other jobs nothing.
TEST(ProtectedPdf, programStart_loadsNoCryptographyLibraries) {
  std::string needed;
  ASSERT_EQ(RunCommand(std::string("readelf -d ") + TALLOWCRAFT_BIN + " | grep NEEDED", &needed),
            0);
  for (const char* library : {"libcrypto", "libssl", "libicu"})
    EXPECT_EQ(needed.find(library), std::string::npos) << library << " in\n" << needed;
}

}  // namespace
