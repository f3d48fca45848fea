#include <gtest/gtest.h>

#include <string>

#include "settings/IniFile.h"
#include "support/Scratch.h"

TEST(IniFile, ReadsThroughTheProfileFunctions) {
    scratch::Folder folder;
    const std::string path = folder / "Quillbarrow.ini";
    scratch::WriteBytes(path,
                        "[url]\r\nanonymous = example.net/list.html \r\nempty=\r\n"
                        "[Timeout]\r\nProxy=0x1E\r\nText=abc\r\nNegative=-1\r\n");
    IniFile ini(path);
    // Names match whatever their case; blanks around a value are not part of it.
    EXPECT_EQ(ini.ReadString("URL", "ANONYMOUS", "d"), "example.net/list.html");
    EXPECT_EQ(ini.ReadInteger("TIMEOUT", "PROXY", 10), 30);
    EXPECT_EQ(ini.ReadInteger("TIMEOUT", "TEXT", 10), 10);
    EXPECT_EQ(ini.ReadInteger("TIMEOUT", "NEGATIVE", 10), -1);
    // A stored empty value is a value, not a missing key.
    EXPECT_EQ(ini.ReadString("URL", "EMPTY", "0"), "");
    EXPECT_EQ(ini.ReadInteger("URL", "EMPTY", 7), 7);
    EXPECT_EQ(ini.ReadString("URL", "MISSING", "0"), "0");
    EXPECT_EQ(ini.ReadString("NOSECTION", "ANONYMOUS", "d"), "d");
    EXPECT_EQ(IniFile(folder / "none.ini").ReadInteger("SERVER", "TYPE", 1), 1);
    EXPECT_FALSE(scratch::Exists(folder / "none.ini"));
}

TEST(IniFile, LongValueIsCutAt2047) {
    scratch::Folder folder;
    const std::string path = folder / "long.ini";
    std::string value;
    for (int i = 0; i < 3000; ++i) value += static_cast<char>('a' + i % 26);
    scratch::WriteBytes(path, "[URL]\r\nDEFAULT=" + value + "\r\n");
    EXPECT_EQ(IniFile(path).ReadString("URL", "DEFAULT", ""), value.substr(0, 2047));
}

TEST(IniFile, WritesReachTheFileAtOnce) {
    scratch::Folder folder;
    const std::string path = folder / "Quillbarrow.ini";
    IniFile writer(path);
    writer.WriteInteger("POSITION", "M_TOP", -1);
    writer.WriteString("URL", "DEFAULT", "192.0.2.4:80");
    writer.WriteString("URL", "DEFAULT", "192.0.2.5:81");
    IniFile reader(path);
    EXPECT_EQ(reader.ReadString("POSITION", "M_TOP", ""), "-1");
    EXPECT_EQ(reader.ReadString("url", "default", ""), "192.0.2.5:81");
    std::string content = scratch::ReadBytes(path);
    EXPECT_EQ(content.find("192.0.2.4"), std::string::npos);
}

TEST(IniFile, RefusedWriteRaisesTheErrorText) {
    scratch::Folder folder;
    const std::string path = folder / "missing\\operaprefs.ini";
    IniFile ini(path);
    try {
        ini.WriteString("Proxy", "HTTP Server", "192.0.2.4:80");
        FAIL() << "no error raised";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
    }
    EXPECT_THROW(ini.WriteInteger("Proxy", "Use HTTP", 1), EIniFileException);
}
