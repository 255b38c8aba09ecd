#include "app/convert_arguments.h"

#include <cstdlib>
#include <map>

#include "app/path_rules.h"
#include "platform/file_bytes.h"
#include "platform/registry_hive.h"

namespace app {

namespace {

// A password file holds two short lines; a larger one is not one.
constexpr uint64_t kMaxPasswordFileBytes = 64 << 10;
constexpr int kLargestResolution = 65535;  // JPEG and TIFF keep densities in 16 bits

// Permission names of --allow and the flags they set.
const std::map<std::string, bool PdfOptions::*> kPermissions = {
    {"print", &PdfOptions::allowPrinting},
    {"print-high", &PdfOptions::allowHiQualityPrinting},
    {"modify", &PdfOptions::allowModifyStructure},
    {"copy", &PdfOptions::allowCopyInformation},
    {"annotate", &PdfOptions::allowModifyAnnotation},
    {"fill", &PdfOptions::allowFillAnnotation},
    {"extract", &PdfOptions::allowExtractInfo},
    {"assemble", &PdfOptions::allowAssemble},
};

const std::map<std::string, int> kPdfVersions = {
    {"1.3", 0}, {"1.4", 1}, {"1.5", 2}, {"1.6", 3}, {"1.7", 4}};
const std::map<std::string, int> kCompliances = {{"none", 0}, {"1b", kPdfA1b}, {"2b", kPdfA2b}};
const std::map<std::string, int> kKeyLengths = {
    {"40", 0}, {"128", 1}, {"aes128", 2}, {"aes256", kAes256KeyLength}};

// Options that take a value, as "--name VALUE" or "--name=VALUE".
const char* const kValueOptions[] = {
    "-o",      "--output",   "--page-size",     "--orientation", "--margins",    "--pdf-version",
    "--title", "--author",   "--subject",       "--keywords",    "--resolution", "--key-length",
    "--allow", "--settings", "--password-file", "--tiff-colors", "--format",     "--pdfa"};
const char* const kFlagOptions[] = {"--html", "--quiet", "--protect"};

bool IsValueOption(const std::string& name) {
  for (const char* option : kValueOptions)
    if (name == option) return true;
  return false;
}

bool IsFlagOption(const std::string& name) {
  for (const char* option : kFlagOptions)
    if (name == option) return true;
  return false;
}

int WholeNumber(const std::string& option, const std::string& text, int low, int high) {
  size_t used = 0;
  long value = 0;
  try {
    value = std::stol(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || value < low || value > high)
    throw ConvertUsageError(option + " takes a whole number from " + std::to_string(low) + " to " +
                            std::to_string(high) + ", not \"" + text + "\"");
  return static_cast<int>(value);
}

int ChoiceNamed(const std::string& option, const std::string& text,
                const std::map<std::string, int>& choices) {
  const auto found = choices.find(LowerCase(text));
  if (found != choices.end()) return found->second;
  std::string names;
  for (const auto& [name, value] : choices) names += (names.empty() ? "" : ", ") + name;
  throw ConvertUsageError(option + " takes one of " + names + ", not \"" + text + "\"");
}

// The names of a field's choices as the options dialog captions them, in
// lower case; `zeroName` stands for the value 0 when given.
std::map<std::string, int> CaptionChoices(const char* field, const char* zeroName = nullptr) {
  std::map<std::string, int> choices;
  for (const PdfOptionChoice& choice : PdfOptionFieldNamed(field).choices)
    choices[choice.value == 0 && zeroName != nullptr ? zeroName : LowerCase(choice.caption)] =
        choice.value;
  return choices;
}

void SetPermissions(PdfOptions& pdf, const std::string& list) {
  for (const auto& [name, flag] : kPermissions) pdf.*flag = false;
  if (LowerCase(list) == "none") return;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t comma = std::min(list.find(',', start), list.size());
    const std::string name = LowerCase(list.substr(start, comma - start));
    const auto found = kPermissions.find(name);
    if (found == kPermissions.end())
      throw ConvertUsageError(
          "--allow takes \"none\" or a list of print, print-high, modify, "
          "copy, annotate, fill, extract, assemble; not \"" +
          name + "\"");
    pdf.*(found->second) = true;
    start = comma + 1;
  }
}

struct Passwords {
  std::optional<std::string> user;
  std::optional<std::string> owner;
};

// "user=..." and "owner=..." lines; the line ends (LF or CR LF) are not part
// of the passwords.
Passwords ReadPasswordFile(const std::string& path) {
  const auto bytes = platform::ReadWholeFile(path, kMaxPasswordFileBytes);
  const std::string text(bytes.begin(), bytes.end());
  Passwords passwords;
  size_t start = 0;
  int line = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string entry = text.substr(start, end - start);
    start = end + 1;
    ++line;
    if (!entry.empty() && entry.back() == '\r') entry.pop_back();
    if (entry.empty()) continue;
    const size_t equals = entry.find('=');
    const std::string key = equals == std::string::npos ? entry : entry.substr(0, equals);
    if (equals == std::string::npos || (key != "user" && key != "owner"))
      throw ConvertUsageError(path + ", line " + std::to_string(line) +
                              ": a password file holds \"user=PASSWORD\" and "
                              "\"owner=PASSWORD\" lines");
    (key == "user" ? passwords.user : passwords.owner) = entry.substr(equals + 1);
  }
  return passwords;
}

void UsePassword(PdfOptions& pdf, const std::optional<std::string>& password, bool user) {
  if (!password) return;
  std::string problem;
  if (!PdfPasswordFor(*password, pdf.protectionKeyLength, &problem))
    throw ConvertUsageError(std::string("The ") + (user ? "user" : "owner") +
                            " password cannot be used: " + problem);
  pdf.protectionEnabled = true;
  (user ? pdf.userPasswordEnabled : pdf.masterPasswordEnabled) = true;
  (user ? pdf.userPassword : pdf.masterPassword) = *password;
}

PdfOptions ConverterDefaults() {
  PdfOptions pdf;
  pdf.pageSize = 0;
  pdf.leftMargin = pdf.rightMargin = pdf.topMargin = pdf.bottomMargin = 0;
  return pdf;
}

PdfOptions SettingsFileOptions(const std::string& path) {
  platform::ReadableFile check(path);  // a missing file is an error here, not empty settings
  platform::RegistryHive hive(path);
  return ReadPdfOptions(hive);
}

}  // namespace

std::optional<std::string> ProcessEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

ConvertArguments ParseConvertArguments(const std::vector<std::string>& arguments,
                                       const EnvironmentLookup& environment) {
  // Options first, in order, then applied on the settings file's values.
  std::vector<std::pair<std::string, std::string>> options;
  ConvertArguments parsed;
  bool outputGiven = false;
  bool optionsEnd = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnd || argument == "-" || argument.empty() || argument[0] != '-') {
      parsed.inputs.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnd = true;
      continue;
    }
    const size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    if (IsFlagOption(name) && equals == std::string::npos) {
      options.emplace_back(name, "");
    } else if (IsValueOption(name)) {
      if (equals != std::string::npos) {
        options.emplace_back(name, argument.substr(equals + 1));
      } else if (i + 1 < arguments.size()) {
        options.emplace_back(name, arguments[++i]);
      } else {
        throw ConvertUsageError(name + " needs a value");
      }
    } else if (name == "--password" || name == "--user-password" || name == "--owner-password") {
      throw ConvertUsageError(
          "Passwords are not taken on the command line, where every user can read them: use "
          "--password-file FILE or TALLOWCRAFT_USER_PASSWORD / TALLOWCRAFT_OWNER_PASSWORD");
    } else {
      throw ConvertUsageError("Unknown option " + argument);
    }
  }

  parsed.pdf = ConverterDefaults();
  for (const auto& [name, value] : options)
    if (name == "--settings") parsed.pdf = SettingsFileOptions(value);

  Passwords passwords{environment("TALLOWCRAFT_USER_PASSWORD"),
                      environment("TALLOWCRAFT_OWNER_PASSWORD")};
  PdfOptions& pdf = parsed.pdf;
  for (const auto& [name, value] : options) {
    if (name == "-o" || name == "--output") {
      parsed.output = value;
      outputGiven = true;
    } else if (name == "--page-size") {
      pdf.pageSize = ChoiceNamed(name, value, CaptionChoices("PageSize", "same"));
    } else if (name == "--orientation") {
      pdf.pageOrientation = ChoiceNamed(name, value, CaptionChoices("PageOrientation"));
    } else if (name == "--margins") {
      pdf.leftMargin = pdf.rightMargin = pdf.topMargin = pdf.bottomMargin =
          WholeNumber(name, value, 0, 9999);
    } else if (name == "--pdf-version") {
      pdf.pdfVersion = ChoiceNamed(name, value, kPdfVersions);
    } else if (name == "--pdfa") {
      pdf.pdfaCompliance = ChoiceNamed(name, value, kCompliances);
    } else if (name == "--title") {
      pdf.title = value;
    } else if (name == "--author") {
      pdf.author = value;
    } else if (name == "--subject") {
      pdf.subject = value;
    } else if (name == "--keywords") {
      pdf.keywords = value;
    } else if (name == "--resolution") {
      parsed.raster.resolution = WholeNumber(name, value, 1, kLargestResolution);
    } else if (name == "--key-length") {
      pdf.protectionKeyLength = ChoiceNamed(name, value, kKeyLengths);
      pdf.protectionEnabled = true;
    } else if (name == "--allow") {
      SetPermissions(pdf, value);
      pdf.protectionEnabled = true;
    } else if (name == "--protect") {
      pdf.protectionEnabled = true;
    } else if (name == "--password-file") {
      const Passwords fromFile = ReadPasswordFile(value);
      if (fromFile.user) passwords.user = fromFile.user;
      if (fromFile.owner) passwords.owner = fromFile.owner;
    } else if (name == "--tiff-colors") {
      const std::string colors = LowerCase(value);
      if (colors != "color" && colors != "gray" && colors != "bw")
        throw ConvertUsageError("--tiff-colors takes color, gray or bw, not \"" + value + "\"");
      parsed.raster.tiffColors = colors;
    } else if (name == "--format") {
      parsed.format = LowerCase(value);
    } else if (name == "--html") {
      parsed.html = true;
    } else if (name == "--quiet") {
      parsed.quiet = true;
    }
  }
  if (pdf.pdfaCompliance != 0) {
    if (pdf.protectionEnabled)
      throw ConvertUsageError("PDF/A and protection cannot both be on: PDF/A forbids encryption");
    pdf.pdfVersion = *PdfVersionForCompliance(pdf.pdfaCompliance);
  }
  // After the key length, which decides what a password may hold.
  UsePassword(pdf, passwords.user, true);
  UsePassword(pdf, passwords.owner, false);

  if (parsed.inputs.empty()) throw ConvertUsageError("No input file given");
  if (!outputGiven || parsed.output.empty()) throw ConvertUsageError("No output given (-o OUTPUT)");
  return parsed;
}

const char* const kConvertUsage =
    "Usage: tallowcraft convert [OPTIONS] INPUT... -o OUTPUT\n"
    "Converts EMF files (one page each) and EMF spool files (every page in them), in the\n"
    "order given, recognised by their content; - reads standard input. The output's\n"
    "extension chooses its kind: .pdf; .jpg/.jpeg, .png (one file per page, numbered);\n"
    ".tif/.tiff (one multi-page file); .swf (a Flash movie). -o - writes a PDF, TIFF, movie\n"
    "or one-page image to standard output, of the kind --format names (default pdf).\n"
    "\n"
    "  --page-size SIZE        same (each page as large as its picture; the default), a4,\n"
    "                          letter, a3, legal, b5, c5, 8x11, b4, a5, folio, executive,\n"
    "                          envb4, envb5, envc6, envdl, envmonarch, env9, env10, env11\n"
    "  --orientation O         portrait or landscape\n"
    "  --margins MM            every margin, whole millimetres (default 0)\n"
    "  --pdf-version V         1.3, 1.4, 1.5, 1.6 or 1.7\n"
    "  --pdfa LEVEL            1b or 2b: an archival PDF/A file (PDF 1.4 or 1.7, every font\n"
    "                          embedded, no protection); none, the default, for a plain one\n"
    "  --title, --author, --subject, --keywords TEXT   the PDF's document information\n"
    "  --protect               protect the PDF (with the permissions of --allow)\n"
    "  --key-length K          40, 128, aes128 or aes256 (turns protection on)\n"
    "  --allow LIST            none, or what readers may do: print, print-high, modify, copy,\n"
    "                          annotate, fill, extract, assemble (turns protection on)\n"
    "  --password-file FILE    \"user=PASSWORD\" and \"owner=PASSWORD\" lines; or set\n"
    "                          TALLOWCRAFT_USER_PASSWORD and TALLOWCRAFT_OWNER_PASSWORD.\n"
    "                          Passwords are never taken on the command line.\n"
    "  --settings FILE         the PDF options of a settings file (.reg) instead of the\n"
    "                          defaults above; the options given still apply\n"
    "  --resolution DPI        images and movie slides (default: the picture's own device)\n"
    "  --tiff-colors C         color, gray or bw\n"
    "  --format EXT            the output's kind when -o does not show it: pdf, jpg, png, tif,\n"
    "                          swf\n"
    "  --html                  with .swf: the HTML page that plays the movie, beside it\n"
    "  --quiet                 no progress bar (shown only when standard error is a terminal)\n"
    "  --verbose               also list the skipped font records of spool files and the\n"
    "                          records that were not drawn\n"
    "\n"
    "Exit status 0 when the output was made, 2 with a message otherwise; the output is\n"
    "written through a temporary file, so a failed run leaves no part of it.\n";

}  // namespace app
