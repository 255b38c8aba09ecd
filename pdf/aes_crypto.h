#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pdf {

// The primitives of AES encryption, from OpenSSL's libcrypto. Keys are 16 or
// 32 bytes (AES-128 or AES-256); every function throws TPDFException when the
// library fails.
using Bytes = std::vector<uint8_t>;

// `count` bytes from the cryptographic random source.
Bytes CryptoRandomBytes(size_t count);

// Loads libcrypto and starts its random generator on a thread of its own,
// once: a job that will encrypt with AES asks for this as soon as it knows,
// so that the library is ready when its document's key is made. A failure
// here is left for that use to report.
void PrepareCrypto();

// A fresh random initialisation vector, then `plain` in CBC mode with
// PKCS#5 padding: the form of every encrypted string and stream.
std::string AesCbcEncryptWithRandomIv(std::span<const uint8_t> key, std::string_view plain);

// CBC mode under a zero initialisation vector without padding; the size of
// `plain` must be a multiple of 16.
Bytes AesCbcEncryptNoPadding(std::span<const uint8_t> key, std::span<const uint8_t> iv,
                             std::span<const uint8_t> plain);

// One 16-byte block in ECB mode.
Bytes AesEcbEncryptBlock(std::span<const uint8_t> key, std::span<const uint8_t> block);

// Decrypts what AesCbcEncryptWithRandomIv made (the tests read output back).
std::string AesCbcDecryptWithIv(std::span<const uint8_t> key, std::string_view ivAndCipher);

Bytes Sha256(std::span<const uint8_t> data);
Bytes Sha384(std::span<const uint8_t> data);
Bytes Sha512(std::span<const uint8_t> data);

}  // namespace pdf
