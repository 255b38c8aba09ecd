#pragma once

#include <optional>
#include <string>

#include "app/run_settings.h"
#include "platform/registry_store.h"

namespace app {

// Value names of the eight permission bits, bit 0 (coPrint) first.
inline constexpr const char* kPermissionValueNames[] = {
    "AllowPrinting",         "AllowModifyStructure",   "AllowCopyInformation",
    "AllowModifyAnnotation", "AllowHiQualityPrinting", "AllowFillAnnotation",
    "AllowExtractInfo",      "AllowAssemble"};

// Reads the silent run's PDF options from the PDFFormatOptions key (created
// when missing) with the strict reader, value by value. Enumerations are
// kept as stored; ApplyPdfOptions decides what an out-of-range one means.
// Passwords come back as Windows-1252 bytes, the encoding PDF readers turn a
// typed password into; one that has characters outside it is refused with a
// RegistryError naming the value. The document information strings come back
// as Windows-1252 text too, the PDF writer's single-byte encoding.
PdfFormatOptions ReadPdfFormatOptions(platform::RegistryStore& store);

// The bytes a PDF password is made of. `text` is UTF-8; bytes that are not
// UTF-8 are taken as Windows-1252 already (a scrambled value stored by the
// Windows program). nullopt when a character has no Windows-1252 byte.
std::optional<std::string> PdfPasswordBytes(const std::string& text);

// UTF-8 text as the PDF writer's single-byte (Windows-1252) text; characters
// without a byte become "?".
std::string PdfSingleByteText(const std::string& utf8);

}  // namespace app
