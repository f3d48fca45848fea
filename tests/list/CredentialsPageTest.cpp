#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "list/CredentialsPage.h"

namespace {

// Shift-JIS texts of the page.
const std::string kColon = "\x81\x46";  // ：
const std::string kUserIdLabel =
    "\x83\x86\x81\x5B\x83\x55\x81\x5B"
    "ID";                                                                       // ユーザーID
const std::string kPasswordLabel = "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68";  // パスワード
const std::string kSame = "\x93\xAF\x82\xB6";                                   // 同じ
const std::string kTo = "\x82\xC6";                                             // と

std::string Page(const std::string& userId, const std::string& password) {
    return "<html><body><p>" + kUserIdLabel + kColon + userId + "</p>\n<p>" + kPasswordLabel + kColon +
           password + "</p></body></html>";
}

const std::optional<Credentials> kNoPage;

}  // namespace

TEST(CredentialsPage, ValuesBetweenColonsAndTags) {
    EXPECT_EQ(ParseCredentialsPage(Page("reader42", "pl5open")), Credentials({"reader42", "pl5open"}));
    // Values are taken as they stand, blanks and all; an empty one is a value.
    EXPECT_EQ(ParseCredentialsPage(Page(" id ", "")), Credentials({" id ", ""}));
    // The second colon is looked for only after the "<" that ends the user ID.
    EXPECT_EQ(ParseCredentialsPage(kColon + "u" + kColon + "x<" + kColon + "p<"),
              Credentials({"u" + kColon + "x", "p"}));
}

TEST(CredentialsPage, SameWordMakesThePasswordTheUserId) {
    EXPECT_EQ(ParseCredentialsPage(Page("reader42", kUserIdLabel + kTo + kSame)),
              Credentials({"reader42", "reader42"}));
    EXPECT_EQ(ParseCredentialsPage(Page("reader42", kSame)), Credentials({"reader42", "reader42"}));
    // Only the password is looked at.
    EXPECT_EQ(ParseCredentialsPage(Page(kSame, "pw")), Credentials({kSame, "pw"}));
}

TEST(CredentialsPage, MissingColonOrTagIsNoPage) {
    EXPECT_EQ(ParseCredentialsPage(""), std::nullopt);
    EXPECT_EQ(ParseCredentialsPage("<html>user ID: reader42</p>password: x</p>"), std::nullopt);
    EXPECT_EQ(ParseCredentialsPage(kColon + "reader42"), std::nullopt);
    EXPECT_EQ(ParseCredentialsPage(kColon + "reader42</p>no second colon</p>"), std::nullopt);
    EXPECT_EQ(ParseCredentialsPage(kColon + "reader42</p>" + kColon + "pw"), std::nullopt);
    // A colon whose two bytes are split by a NUL is no colon, and nothing
    // after the NUL counts.
    std::string split = Page("reader42", "pw");
    split.insert(split.find(kColon) + 1, 1, '\0');
    EXPECT_EQ(ParseCredentialsPage(split), std::nullopt);
    std::string late = Page("reader42", "pw");
    late.insert(late.find(kPasswordLabel), 1, '\0');
    EXPECT_EQ(ParseCredentialsPage(late), std::nullopt);
}

TEST(CredentialsPage, LongValuesAreCutAt127BytesOnACharacterBoundary) {
    const std::string ascii(200, 'u');
    EXPECT_EQ(ParseCredentialsPage(Page(ascii, "p"))->userId, std::string(127, 'u'));
    EXPECT_EQ(ParseCredentialsPage(Page(std::string(127, 'u'), "p"))->userId, std::string(127, 'u'));

    // Double-byte characters only: a cut after 127 bytes would leave the lead
    // byte of the 64th character alone, so the value ends before it.
    std::string wide;
    for (int i = 0; i < 80; ++i) wide += kTo;
    const auto found = ParseCredentialsPage(Page("u", wide));
    EXPECT_EQ(found->password.size(), 126u);
    EXPECT_EQ(found->password, wide.substr(0, 126));

    // Lead bytes run from 0x81 to 0x9F and from 0xE0 to 0xFC; the bytes
    // between and after them stand alone.
    const std::pair<char, size_t> leads[] = {{'\x81', 126}, {'\x9F', 126}, {'\xA0', 127}, {'\xDF', 127},
                                             {'\xE0', 126}, {'\xFC', 126}, {'\xFD', 127}};
    for (auto [lead, size] : leads) {
        std::string pairs;
        for (int i = 0; i < 70; ++i) pairs += std::string{lead, '\x40'};
        EXPECT_EQ(ParseCredentialsPage(Page("u", pairs))->password, pairs.substr(0, size))
            << int(lead & 0xFF);
    }

    // ャ is 0x83 0x83: its trail byte lies in the lead-byte range, so the
    // boundaries must be found by walking from the start, not by looking at
    // the byte before the cut. Here the cut falls exactly after a character.
    std::string small = "x";
    for (int i = 0; i < 70; ++i) small += "\x83\x83";
    EXPECT_EQ(ParseCredentialsPage(Page("u", small))->password, small.substr(0, 127));

    // The same word beyond the cut no longer counts.
    EXPECT_EQ(ParseCredentialsPage(Page("u", std::string(130, 'p') + kSame))->password,
              std::string(127, 'p'));
}

TEST(CredentialsPage, ChoiceBetweenPageAndStoredValues) {
    const std::optional<Credentials> page = Credentials{"reader42", "pl5open"};
    // CYBER/USERID present and empty: the page's credentials.
    EXPECT_EQ(ChooseCredentials(page, "", ""), Credentials({"reader42", "pl5open"}));
    EXPECT_EQ(ChooseCredentials(page, "", "mine"), Credentials({"reader42", "pl5open"}));
    // The user's own, including an absent key read as "0".
    EXPECT_EQ(ChooseCredentials(page, "me", "secret"), Credentials({"me", "secret"}));
    EXPECT_EQ(ChooseCredentials(page, "me", ""), Credentials({"me", ""}));
    EXPECT_EQ(ChooseCredentials(page, "0", "0"), Credentials({"0", "0"}));
    // A failed page gives "0"/"0" before the stored values are consulted.
    for (const char* stored : {"", "me", "0"})
        EXPECT_EQ(ChooseCredentials(kNoPage, stored, "secret"), Credentials({"0", "0"})) << stored;
}

TEST(CredentialsPage, PageWithoutColonEndsInZeros) {
    EXPECT_EQ(ChooseCredentials(ParseCredentialsPage("<html>maintenance</html>"), "", ""),
              Credentials({"0", "0"}));
    EXPECT_EQ(ChooseCredentials(ParseCredentialsPage(Page("reader42", kSame)), "", ""),
              Credentials({"reader42", "reader42"}));
}
