#include "devices/receiver/aes_cbc.h"

#include <openssl/evp.h>

#include <memory>

namespace holvex::receiver {

namespace {

constexpr int kBlockBytes = 16;

struct ContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

std::optional<QByteArray> runCbc(const AesKey& key, const AesBlock& iv, const QByteArray& data,
                                 bool encrypt) {
    if (data.size() % kBlockBytes != 0) {
        return std::nullopt;
    }
    if (data.isEmpty()) {
        return QByteArray();
    }
    const std::unique_ptr<EVP_CIPHER_CTX, ContextFree> context(EVP_CIPHER_CTX_new());
    if (!context ||
        EVP_CipherInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, key.data(), iv.data(),
                          encrypt ? 1 : 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1) {
        return std::nullopt;
    }
    // Without padding the output is exactly the input's size and the final call adds nothing.
    QByteArray out(data.size(), '\0');
    int written = 0;
    if (EVP_CipherUpdate(context.get(), reinterpret_cast<unsigned char*>(out.data()), &written,
                         reinterpret_cast<const unsigned char*>(data.constData()),
                         static_cast<int>(data.size())) != 1) {
        return std::nullopt;
    }
    unsigned char tail[kBlockBytes];
    int finalBytes = 0;
    if (written != data.size() || EVP_CipherFinal_ex(context.get(), tail, &finalBytes) != 1 ||
        finalBytes != 0) {
        return std::nullopt;
    }
    return out;
}

} // namespace

std::optional<QByteArray> decryptAesCbc(const AesKey& key, const AesBlock& iv, const QByteArray& data) {
    return runCbc(key, iv, data, false);
}

std::optional<QByteArray> encryptAesCbc(const AesKey& key, const AesBlock& iv, const QByteArray& data) {
    return runCbc(key, iv, data, true);
}

} // namespace holvex::receiver
