#include "pdf/aes_crypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <future>
#include <memory>
#include <mutex>

#include "pdf/pdf_exception.h"
#include "platform/shared_library.h"

namespace pdf {

namespace {

constexpr size_t kBlock = 16;

[[noreturn]] void Fail(const char* what) {
  throw TPDFException(std::string("Cannot encrypt the document: ") + what + " failed");
}

// libcrypto is opened when a document is encrypted with AES: loading it
// with the program would cost every job, most of which encrypt nothing,
// most of a millisecond and two megabytes. It stays loaded.
struct CryptoLibrary {
  platform::SharedLibrary library{"libcrypto.so.3"};
  decltype(&OPENSSL_init_crypto) initCrypto = nullptr;
  decltype(&EVP_CIPHER_fetch) fetchCipher = nullptr;
  decltype(&EVP_MD_fetch) fetchDigest = nullptr;
  decltype(&EVP_CIPHER_CTX_new) newContext = nullptr;
  decltype(&EVP_CIPHER_CTX_free) freeContext = nullptr;
  decltype(&EVP_CipherInit_ex) cipherInit = nullptr;
  decltype(&EVP_CIPHER_CTX_set_padding) setPadding = nullptr;
  decltype(&EVP_CipherUpdate) cipherUpdate = nullptr;
  decltype(&EVP_CipherFinal_ex) cipherFinal = nullptr;
  decltype(&EVP_MD_get_size) digestSize = nullptr;
  decltype(&EVP_Digest) digest = nullptr;
  decltype(&RAND_bytes) randomBytes = nullptr;
  bool usable = false;

  CryptoLibrary() {
    usable = Bind(initCrypto, "OPENSSL_init_crypto") && Bind(fetchCipher, "EVP_CIPHER_fetch") &&
             Bind(fetchDigest, "EVP_MD_fetch") && Bind(newContext, "EVP_CIPHER_CTX_new") &&
             Bind(freeContext, "EVP_CIPHER_CTX_free") && Bind(cipherInit, "EVP_CipherInit_ex") &&
             Bind(setPadding, "EVP_CIPHER_CTX_set_padding") &&
             Bind(cipherUpdate, "EVP_CipherUpdate") && Bind(cipherFinal, "EVP_CipherFinal_ex") &&
             Bind(digestSize, "EVP_MD_get_size") && Bind(digest, "EVP_Digest") &&
             Bind(randomBytes, "RAND_bytes") &&
             // The configuration file can change nothing asked of it here,
             // and reading it would cost every protected job a millisecond;
             // freeing the library's state at exit is work the exit does.
             initCrypto(OPENSSL_INIT_NO_LOAD_CONFIG | OPENSSL_INIT_NO_ATEXIT, nullptr) == 1;
  }
  template <typename Function>
  bool Bind(Function& function, const char* name) {
    return library.Bind(function, name);
  }
};

const CryptoLibrary& Crypto() {
  static const CryptoLibrary library;
  if (!library.usable)
    throw TPDFException(
        "Cannot encrypt the document: OpenSSL's libcrypto (libcrypto.so.3) cannot be loaded");
  return library;
}

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, void (*)(EVP_CIPHER_CTX*)>;

// Algorithms are looked up once: an implicit look-up on every use costs more
// than encrypting a short string, and the AES-256 password hash makes
// hundreds of calls.
const EVP_CIPHER* FetchedCipher(const char* name) {
  const EVP_CIPHER* cipher = Crypto().fetchCipher(nullptr, name, nullptr);
  if (cipher == nullptr) Fail(name);
  return cipher;
}

const EVP_MD* FetchedDigest(const char* name) {
  const EVP_MD* digest = Crypto().fetchDigest(nullptr, name, nullptr);
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
  thread_local CipherContext context(Crypto().newContext(), Crypto().freeContext);
  if (!context) Fail("AES setup");
  return context.get();
}

Bytes Digest(const EVP_MD* md, std::span<const uint8_t> data) {
  const CryptoLibrary& crypto = Crypto();
  Bytes digest(static_cast<size_t>(crypto.digestSize(md)));
  unsigned int size = 0;
  if (crypto.digest(data.data(), data.size(), digest.data(), &size, md, nullptr) != 1)
    Fail("SHA-2");
  return digest;
}

// Runs one whole message through the cipher into `out` (which it sizes).
void Run(bool encrypt, bool cbc, bool pad, std::span<const uint8_t> key, const uint8_t* iv,
         const uint8_t* in, size_t size, std::string& out) {
  const CryptoLibrary& crypto = Crypto();
  EVP_CIPHER_CTX* context = Context();
  if (crypto.cipherInit(context, Cipher(key.size(), cbc), nullptr, key.data(), iv,
                        encrypt ? 1 : 0) != 1 ||
      crypto.setPadding(context, pad ? 1 : 0) != 1)
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
    if (crypto.cipherUpdate(context, to + written, &n, in + done, static_cast<int>(piece)) != 1)
      Fail("AES");
    written += n;
    done += piece;
  }
  if (crypto.cipherFinal(context, to + written, &last) != 1) Fail("AES");
  out.resize(start + static_cast<size_t>(written + last));
}

Bytes ToBytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

Bytes CryptoRandomBytes(size_t count) {
  Bytes bytes(count);
  if (count > 0 && Crypto().randomBytes(bytes.data(), static_cast<int>(count)) != 1)
    Fail("random bytes");
  return bytes;
}

void PrepareCrypto() {
  // The library's state outlives the thread: it is never unloaded, and it
  // frees nothing at exit.
  static std::once_flag once;
  static std::future<void> ready;
  std::call_once(once, [] {
    ready = std::async(std::launch::async, [] {
      try {
        CryptoRandomBytes(1);
      } catch (const TPDFException&) {
      }
    });
  });
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
