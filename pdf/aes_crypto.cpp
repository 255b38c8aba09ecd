#include "pdf/aes_crypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>

#include "pdf/pdf_exception.h"

namespace pdf {

namespace {

constexpr size_t kBlock = 16;

[[noreturn]] void Fail(const char* what) {
  throw TPDFException(std::string("Cannot encrypt the document: ") + what + " failed");
}

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

// The library's configuration file can change nothing we ask of it; reading
// it would cost every protected job a millisecond.
void InitialiseOnce() {
  static const bool done = OPENSSL_init_crypto(OPENSSL_INIT_NO_LOAD_CONFIG, nullptr) == 1;
  if (!done) Fail("starting the cryptographic library");
}

// Algorithms are looked up once: an implicit look-up on every use costs more
// than encrypting a short string, and the AES-256 password hash makes
// hundreds of calls.
const EVP_CIPHER* FetchedCipher(const char* name) {
  InitialiseOnce();
  const EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, name, nullptr);
  if (cipher == nullptr) Fail(name);
  return cipher;
}

const EVP_MD* FetchedDigest(const char* name) {
  InitialiseOnce();
  const EVP_MD* digest = EVP_MD_fetch(nullptr, name, nullptr);
  if (digest == nullptr) Fail(name);
  return digest;
}

const EVP_CIPHER* Cipher(size_t keySize, bool cbc) {
  static const EVP_CIPHER* const kAes128Cbc = FetchedCipher("AES-128-CBC");
  static const EVP_CIPHER* const kAes256Cbc = FetchedCipher("AES-256-CBC");
  static const EVP_CIPHER* const kAes128Ecb = FetchedCipher("AES-128-ECB");
  static const EVP_CIPHER* const kAes256Ecb = FetchedCipher("AES-256-ECB");
  if (keySize == 16) return cbc ? kAes128Cbc : kAes128Ecb;
  if (keySize == 32) return cbc ? kAes256Cbc : kAes256Ecb;
  Fail("an AES key of that size");
}

// One context per thread, set up afresh for each message.
EVP_CIPHER_CTX* Context() {
  thread_local CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
  if (!context) Fail("AES setup");
  return context.get();
}

Bytes Digest(const EVP_MD* md, std::span<const uint8_t> data) {
  Bytes digest(static_cast<size_t>(EVP_MD_get_size(md)));
  unsigned int size = 0;
  if (EVP_Digest(data.data(), data.size(), digest.data(), &size, md, nullptr) != 1) Fail("SHA-2");
  return digest;
}

// Runs one whole message through the cipher into `out` (which it sizes).
void Run(bool encrypt, bool cbc, bool pad, std::span<const uint8_t> key, const uint8_t* iv,
         const uint8_t* in, size_t size, std::string& out) {
  EVP_CIPHER_CTX* context = Context();
  if (EVP_CipherInit_ex(context, Cipher(key.size(), cbc), nullptr, key.data(), iv,
                        encrypt ? 1 : 0) != 1 ||
      EVP_CIPHER_CTX_set_padding(context, pad ? 1 : 0) != 1)
    Fail("AES setup");
  const size_t start = out.size();
  out.resize(start + size + kBlock);
  auto* to = reinterpret_cast<unsigned char*>(out.data() + start);
  int written = 0;
  int last = 0;
  // EVP lengths are int: long streams go through in pieces.
  constexpr size_t kPiece = size_t{1} << 30;
  for (size_t done = 0; done < size;) {
    const size_t piece = std::min(kPiece, size - done);
    int n = 0;
    if (EVP_CipherUpdate(context, to + written, &n, in + done, static_cast<int>(piece)) != 1)
      Fail("AES");
    written += n;
    done += piece;
  }
  if (EVP_CipherFinal_ex(context, to + written, &last) != 1) Fail("AES");
  out.resize(start + static_cast<size_t>(written + last));
}

Bytes ToBytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

Bytes CryptoRandomBytes(size_t count) {
  Bytes bytes(count);
  InitialiseOnce();
  if (count > 0 && RAND_bytes(bytes.data(), static_cast<int>(count)) != 1) Fail("random bytes");
  return bytes;
}

std::string AesCbcEncryptWithRandomIv(std::span<const uint8_t> key, std::string_view plain) {
  const Bytes iv = CryptoRandomBytes(kBlock);
  std::string out(iv.begin(), iv.end());
  out.reserve(kBlock + plain.size() + kBlock);
  Run(true, true, true, key, iv.data(), reinterpret_cast<const uint8_t*>(plain.data()),
      plain.size(), out);
  return out;
}

Bytes AesCbcEncryptNoPadding(std::span<const uint8_t> key, std::span<const uint8_t> iv,
                             std::span<const uint8_t> plain) {
  if (plain.size() % kBlock != 0 || iv.size() != kBlock) Fail("AES of a partial block");
  std::string out;
  Run(true, true, false, key, iv.data(), plain.data(), plain.size(), out);
  return ToBytes(out);
}

Bytes AesEcbEncryptBlock(std::span<const uint8_t> key, std::span<const uint8_t> block) {
  if (block.size() != kBlock) Fail("AES of a partial block");
  std::string out;
  Run(true, false, false, key, nullptr, block.data(), block.size(), out);
  return ToBytes(out);
}

std::string AesCbcDecryptWithIv(std::span<const uint8_t> key, std::string_view ivAndCipher) {
  if (ivAndCipher.size() < 2 * kBlock || ivAndCipher.size() % kBlock != 0)
    throw TPDFException("Cannot decrypt: not an AES message");
  const auto* data = reinterpret_cast<const uint8_t*>(ivAndCipher.data());
  std::string out;
  Run(false, true, true, key, data, data + kBlock, ivAndCipher.size() - kBlock, out);
  return out;
}

Bytes Sha256(std::span<const uint8_t> data) {
  static const EVP_MD* const kSha256 = FetchedDigest("SHA256");
  return Digest(kSha256, data);
}

Bytes Sha384(std::span<const uint8_t> data) {
  static const EVP_MD* const kSha384 = FetchedDigest("SHA384");
  return Digest(kSha384, data);
}

Bytes Sha512(std::span<const uint8_t> data) {
  static const EVP_MD* const kSha512 = FetchedDigest("SHA512");
  return Digest(kSha512, data);
}

}  // namespace pdf
