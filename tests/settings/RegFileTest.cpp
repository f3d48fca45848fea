#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/RegFile.h"
#include "support/Scratch.h"
#include "base/Text.h"

namespace {

// Writes a value behind RegFile's back, with any type and bytes.
void SetRaw(const std::string& key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, base::Widen(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(h, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(h);
}

// The stored type and bytes of a value, as the registry holds them.
std::vector<BYTE> GetRaw(const std::string& key, const wchar_t* name, DWORD& type) {
    std::vector<BYTE> data(4096);
    DWORD size = static_cast<DWORD>(data.size());
    type = REG_NONE;
    if (RegGetValueW(HKEY_CURRENT_USER, base::Widen(key).c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                     data.data(), &size) != ERROR_SUCCESS) {
        return {};
    }
    data.resize(size);
    return data;
}

bool KeyExists(const std::string& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, base::Widen(key).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

}  // namespace

TEST(RegFile, MissingKeyReadsAsNothingAndIsNotCreatedByReads) {
    scratch::RegistryKey key;
    RegFile reg(key.Path());
    EXPECT_EQ(reg.GetDword("ProxyEnable"), 0u);
    std::string buffer = "kept";
    EXPECT_EQ(reg.GetString("ProxyServer", buffer), RegFile::ReadResult::Missing);
    EXPECT_EQ(buffer, "kept");
    EXPECT_FALSE(KeyExists(key.Path()));
}

TEST(RegFile, DwordRoundTripCreatesKeyAndStoresFourBytes) {
    scratch::RegistryKey key;
    RegFile reg(key.Path() + "\\Deeper");
    reg.SetDword("ProxyEnable", 1);
    EXPECT_EQ(reg.GetDword("ProxyEnable"), 1u);
    reg.SetDword("ProxyEnable", 0xFFFFFFFFu);
    EXPECT_EQ(RegFile(key.Path() + "\\Deeper").GetDword("ProxyEnable"), 0xFFFFFFFFu);
    DWORD type = 0;
    EXPECT_EQ(GetRaw(key.Path() + "\\Deeper", L"ProxyEnable", type).size(), 4u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(reg.GetDword("NoSuchValue"), 0u);
}

TEST(RegFile, StringRoundTripStoresTerminatingNul) {
    scratch::RegistryKey key;
    RegFile reg(key.Path());
    const std::string text = "ftp=192.0.2.1:21;http=192.0.2.2:80";
    reg.SetString("ProxyServer", text);
    std::string buffer;
    EXPECT_EQ(reg.GetString("ProxyServer", buffer), RegFile::ReadResult::Ok);
    EXPECT_EQ(buffer, text);

    DWORD type = 0;
    std::vector<BYTE> raw = GetRaw(key.Path(), L"ProxyServer", type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(raw.size(), (text.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(raw[raw.size() - 1], 0);
    EXPECT_EQ(raw[raw.size() - 2], 0);

    reg.SetString("Empty", "");
    buffer = "old";
    EXPECT_EQ(reg.GetString("Empty", buffer), RegFile::ReadResult::Ok);
    EXPECT_EQ(buffer, "");

    // A text with a line break or another control character is not stored.
    for (const char* hostile : {"1.2.3.4:80\r\n[ZZZ]", "a\nb", "a\tb"}) {
        reg.SetString("ProxyServer", hostile);
        EXPECT_EQ(reg.GetString("ProxyServer", buffer), RegFile::ReadResult::Ok);
        EXPECT_EQ(buffer, text) << hostile;
    }
}

TEST(RegFile, StringLengthLimitNeverHalfCopies) {
    scratch::RegistryKey key;
    RegFile reg(key.Path());
    const std::string fits(RegFile::kMaxString, 'a');
    reg.SetString("Fits", fits);
    std::string buffer;
    EXPECT_EQ(reg.GetString("Fits", buffer), RegFile::ReadResult::Ok);
    EXPECT_EQ(buffer, fits);
    EXPECT_TRUE(RegFile::Fits(fits));

    for (size_t length : {RegFile::kMaxString + 1, size_t{300}}) {
        const std::string tooLong(length, 'b');
        EXPECT_FALSE(RegFile::Fits(tooLong));
        reg.SetString("TooLong", tooLong);
        buffer = "kept";
        EXPECT_EQ(reg.GetString("TooLong", buffer), RegFile::ReadResult::Unusable) << length;
        EXPECT_EQ(buffer, "kept") << length;
    }

    // 250 characters stored without a terminator fill the place exactly and
    // must still count as too long.
    std::wstring unterminated(RegFile::kMaxString + 1, L'c');
    SetRaw(key.Path(), L"NoNul", REG_SZ, unterminated.data(),
           static_cast<DWORD>(unterminated.size() * sizeof(wchar_t)));
    buffer = "kept";
    EXPECT_EQ(reg.GetString("NoNul", buffer), RegFile::ReadResult::Unusable);
    EXPECT_EQ(buffer, "kept");
}

TEST(RegFile, StringWithoutTerminatorAndNonAsciiText) {
    scratch::RegistryKey key;
    RegFile reg(key.Path());
    std::wstring bare = L"192.0.2.3:8080";
    SetRaw(key.Path(), L"Bare", REG_SZ, bare.data(), static_cast<DWORD>(bare.size() * sizeof(wchar_t)));
    std::string buffer;
    EXPECT_EQ(reg.GetString("Bare", buffer), RegFile::ReadResult::Ok);
    EXPECT_EQ(buffer, "192.0.2.3:8080");

    reg.SetString("Named", "代理サーバー:8080");
    EXPECT_EQ(reg.GetString("Named", buffer), RegFile::ReadResult::Ok);
    EXPECT_EQ(buffer, "代理サーバー:8080");
}

TEST(RegFile, WrongTypesReadAsNothing) {
    scratch::RegistryKey key;
    RegFile reg(key.Path());
    const BYTE binary[] = {'1', '9', '2', 0, 0, 0};
    DWORD one = 1;
    SetRaw(key.Path(), L"Binary", REG_BINARY, binary, sizeof binary);
    SetRaw(key.Path(), L"Dword", REG_DWORD, &one, sizeof one);
    SetRaw(key.Path(), L"Odd", REG_SZ, binary, 3);  // not whole UTF-16 units
    for (const char* name : {"Binary", "Dword", "Odd"}) {
        std::string buffer = "kept";
        EXPECT_EQ(reg.GetString(name, buffer), RegFile::ReadResult::Unusable) << name;
        EXPECT_EQ(buffer, "kept") << name;
    }
    std::wstring text = L"1";
    SetRaw(key.Path(), L"Text", REG_SZ, text.c_str(), 4);
    SetRaw(key.Path(), L"Short", REG_BINARY, binary, 2);
    EXPECT_EQ(reg.GetDword("Text"), 0u);
    EXPECT_EQ(reg.GetDword("Short"), 0u);
    EXPECT_EQ(reg.GetDword("Binary"), 0u);
}

// A key that policy makes read-only: reads ask only to read, so they see the
// values; a write is refused in silence.
TEST(RegFile, ReadOnlyKeyIsReadAndRefusesWrites) {
    scratch::RegistryKey key;
    RegFile reg(key.Path());
    reg.SetDword("ProxyEnable", 1);
    reg.SetString("ProxyServer", "192.0.2.2:80");
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, base::Widen(key.Path()).c_str(), 0, KEY_ALL_ACCESS, &h),
              ERROR_SUCCESS);
    // Everyone may read the key, nobody may change it.
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                                     &readOnly, nullptr));
    ASSERT_EQ(RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
    LocalFree(readOnly);

    EXPECT_EQ(reg.GetDword("ProxyEnable"), 1u);
    std::string buffer;
    EXPECT_EQ(reg.GetString("ProxyServer", buffer), RegFile::ReadResult::Ok);
    EXPECT_EQ(buffer, "192.0.2.2:80");
    reg.SetString("ProxyServer", "192.0.2.9:81");
    reg.SetDword("ProxyEnable", 0);
    EXPECT_EQ(reg.GetDword("ProxyEnable"), 1u);

    // Give the access back so that the scratch key can be deleted.
    PSECURITY_DESCRIPTOR full = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                     &full, nullptr));
    RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, full);
    LocalFree(full);
    RegCloseKey(h);
    EXPECT_EQ(reg.GetString("ProxyServer", buffer), RegFile::ReadResult::Ok);
    EXPECT_EQ(buffer, "192.0.2.2:80");
}

TEST(RegFile, BinaryOfAnyLengthRoundTripsAndOtherTypesReadAsNothing) {
    scratch::RegistryKey key;
    RegFile reg(key.Path() + "\\Connections");
    EXPECT_EQ(reg.GetBinary("Missing"), std::nullopt);
    std::string big(1 << 20, 'p');
    big[7] = '\0';
    reg.SetBinary("Big", big);
    EXPECT_EQ(reg.GetBinary("Big"), big);
    reg.SetBinary("Empty", "");
    EXPECT_EQ(reg.GetBinary("Empty"), "");
    reg.SetString("Text", "abcd");
    reg.SetDword("Dword", 1);
    EXPECT_EQ(reg.GetBinary("Text"), std::nullopt);
    EXPECT_EQ(reg.GetBinary("Dword"), std::nullopt);
}
