#include "ContentHash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

namespace rovana {

const EVP_MD* Sha256Digest()
{
    // Fetched once, whichever thread comes first: the library's own fetch on every call
    // races in a thread pool and can lose what it allocates.
    static EVP_MD* const sha256 = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return sha256;
}

ContentHash HashContent(const QByteArray& bytes)
{
    ContentHash out;
    unsigned int size = 0;
    EVP_Digest(bytes.constData(), static_cast<size_t>(bytes.size()), out.data(), &size,
               Sha256Digest(), nullptr);
    // The library keeps state per thread (its error queue) until the thread ends; a worker
    // of a thread pool may end after the library has been cleaned up at exit, and that
    // state would be lost. So it is given back at once.
    OPENSSL_thread_stop();
    return out;
}

QByteArray HashBytes(const QByteArray& bytes)
{
    const ContentHash hash = HashContent(bytes);
    return QByteArray(reinterpret_cast<const char*>(hash.data()),
                      static_cast<qsizetype>(hash.size()));
}

} // namespace rovana
