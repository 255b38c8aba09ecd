#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/pdf_types.h"

namespace pdf {

// The standard security handler, revision 2 (40-bit keys) and 3 (128-bit).
// Passwords are the bytes readers compare against (PDFDocEncoding/CP1252).
using FileIdBytes = std::array<uint8_t, 16>;

// The 32-byte owner entry ("/O"). An empty owner password stands for the
// user password, as the standard security handler prescribes.
std::string ComputeOwnerEntry(const std::string& ownerPassword, const std::string& userPassword,
                              TPDFKeyLength keyLength);

// The file key: 5 bytes for kl40, 16 for kl128.
std::vector<uint8_t> ComputeFileKey(const std::string& userPassword, const std::string& ownerEntry,
                                    int32_t permissions, const FileIdBytes& fileId,
                                    TPDFKeyLength keyLength);

// The 32-byte user entry ("/U"); kl128 draws a new random tail each call.
std::string ComputeUserEntry(const std::vector<uint8_t>& fileKey, const FileIdBytes& fileId,
                             TPDFKeyLength keyLength);

// The 32 hex digits of the file identifier as bytes.
FileIdBytes FileIdFromHex(const std::string& hex);

}  // namespace pdf

namespace pdf {

// The revision-6 (AES-256) handler: a random 32-byte file key that the
// passwords unlock through the /U /UE and /O /OE pairs, and the permissions
// sealed in /Perms. Passwords are the prepared UTF-8 bytes (SaslPrepPassword).
struct Revision6Entries {
  std::string user;         // /U, 48 bytes
  std::string userKey;      // /UE, 32 bytes
  std::string owner;        // /O, 48 bytes
  std::string ownerKey;     // /OE, 32 bytes
  std::string permissions;  // /Perms, 16 bytes
};

// The hash of a password with an 8-byte salt, and for the owner also the
// 48-byte /U entry; 32 bytes.
std::vector<uint8_t> Revision6Hash(std::string_view password, std::string_view salt,
                                   std::string_view userEntry);

Revision6Entries ComputeRevision6Entries(const std::string& userPassword,
                                         const std::string& ownerPassword,
                                         const std::vector<uint8_t>& fileKey, int32_t permissions);

}  // namespace pdf
