#pragma once
// The standard security handler of PDF, revision 2 with a 40-bit key: its
// two primitives, MD5 and RC4, the /O, /U and /P values of a document and
// the key of each object's strings and streams.
#include "pdf/PdfWriter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pdf {

// The MD5 message digest (RFC 1321) of any number of bytes.
std::array<std::uint8_t, 16> MD5String(std::string_view bytes);
// The RC4 stream cipher with a key of 1 to 255 bytes; src and dst may be
// the same buffer. Encrypting and decrypting are the same operation.
void RC4Crypt(const std::uint8_t* src, std::uint8_t* dst, std::size_t count, std::string_view key);
// The first 32 bytes of the password, filled up from the handler's padding string.
std::string PadPassword(std::string_view password);

// What a reader may do with an encrypted document; the defaults allow
// printing only.
struct TPdfPermissions {
    bool Print = true;
    bool Modify = false;
    bool Copy = false;
    bool Annotate = false;
};
// /P: bits 2..5 as allowed, bits 6..31 set, bits 0 and 1 clear (-60 for the defaults).
std::int32_t PermissionValue(const TPdfPermissions& p);

class TStandardSecurity final : public PdfEncryption {
public:
    // Passwords as bytes; an empty owner password takes the user password.
    TStandardSecurity(std::string_view userPassword, std::string_view ownerPassword, const TPdfPermissions& permissions,
                      std::string_view fileIdentifier);

    void Crypt(int objectNumber, std::uint8_t* data, std::size_t size) override;
    std::string OwnerValue() const override { return owner_; }
    std::string UserValue() const override { return user_; }
    std::int32_t Permissions() const override { return p_; }

    const std::string& FileKey() const { return key_; }   // 5 bytes
    // 10 bytes: MD5 of the file key, the object number's three low bytes
    // (least significant first) and generation 0.
    std::string ObjectKey(int objectNumber) const;

private:
    std::string owner_, user_, key_;
    std::int32_t p_ = 0;
};

} // namespace pdf
