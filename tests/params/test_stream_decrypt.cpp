#include "core/secret_stream.h"
#include "core/stream_decrypt.h"
#include "stream_encrypt.h"
#include "test_support.h"

#include <pugixml.hpp>

#include <array>
#include <vector>

namespace ovr::test
{
namespace
{

using datatool::encryptChunks;
using datatool::encryptText;

std::string patterned(std::size_t size)
{
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
    {
        text[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
    }
    return text;
}

class StreamDecrypt : public TempFolderTest
{
  protected:
    fs::path enc() const { return dir() / "data.enc"; }
    fs::path plain() const { return dir() / "data.xml"; }
};

class StreamRoundTrip : public StreamDecrypt, public ::testing::WithParamInterface<std::size_t>
{
};

TEST_P(StreamRoundTrip, DecryptsWhatThePushSideWrote)
{
    const std::string text = patterned(GetParam());
    writeFile(enc(), encryptText(text));
    ASSERT_TRUE(gf_streamDecrypt(enc(), plain()));
    EXPECT_EQ(readFile(plain()), text);
}

TEST_P(StreamRoundTrip, FileEncryptionMatchesTheShippedLayout)
{
    const std::string text = patterned(GetParam());
    writeFile(dir() / "in.xml", text);
    datatool::encryptFile(dir() / "in.xml", enc());
    const std::size_t chunks = text.empty() ? 1 : (text.size() + 4095) / 4096;
    EXPECT_EQ(fs::file_size(enc()), secret_stream::kHeaderBytes + text.size() + chunks * 17);
    ASSERT_TRUE(gf_streamDecrypt(enc(), plain()));
    EXPECT_EQ(readFile(plain()), text);
}

INSTANTIATE_TEST_SUITE_P(Sizes, StreamRoundTrip, ::testing::Values(0u, 4095u, 4096u, 4097u, 100000u));

TEST_F(StreamDecrypt, AFullChunkFollowedByAnEmptyFinalChunkDecrypts)
{
    const std::string text = patterned(4096);
    const std::array<std::string_view, 2> chunks = {text, ""};
    writeFile(enc(), encryptChunks(chunks));
    ASSERT_TRUE(gf_streamDecrypt(enc(), plain()));
    EXPECT_EQ(readFile(plain()), text);
}

TEST_F(StreamDecrypt, BytesAfterAFullFinalChunkAreNotRead)
{
    const std::string text = patterned(8192);
    writeFile(enc(), encryptText(text) + "trailing bytes");
    ASSERT_TRUE(gf_streamDecrypt(enc(), plain()));
    EXPECT_EQ(readFile(plain()), text);
}

struct Damage
{
    const char* name;
    std::size_t textSize;
    // The damaged stream from the intact one.
    std::string (*apply)(std::string);
    const char* logged;
};

std::string flipAt(std::string s, std::size_t at)
{
    // replace(), not s[at]: g++ -O2 takes the text for a short one and warns of an overflow
    s.replace(at, 1, 1, static_cast<char>(s.at(at) ^ 0x01));
    return s;
}

const Damage kDamages[] = {
    {"flipped header byte", 100, [](std::string s) { return flipAt(std::move(s), 3); }, "Decryption failed"},
    {"flipped byte in the first chunk", 10000, [](std::string s) { return flipAt(std::move(s), 24 + 100); },
     "Decryption failed"},
    {"flipped byte in the final chunk", 10000,
     [](std::string s)
     {
         const std::size_t at = s.size() - 5;
         return flipAt(std::move(s), at);
     },
     "Decryption failed"},
    {"cut after a complete non-final chunk", 10000, [](std::string s) { return s.substr(0, 24 + 2 * 4113); },
     "Decryption failed"},
    {"cut inside the final chunk", 10000, [](std::string s) { return s.substr(0, s.size() - 1); },
     "Decryption failed"},
    {"header only", 10000, [](std::string s) { return s.substr(0, 24); }, "Decryption failed"},
    {"shorter than a header", 10000, [](std::string s) { return s.substr(0, 10); }, "Invalid header or key"},
    {"empty file", 10000, [](std::string) { return std::string(); }, "Invalid header or key"},
};

class DamagedStream : public StreamDecrypt, public ::testing::WithParamInterface<Damage>
{
};

TEST_P(DamagedStream, FailsAndLeavesNoPlainFile)
{
    const Damage& damage = GetParam();
    writeFile(enc(), damage.apply(encryptText(patterned(damage.textSize))));
    writeFile(plain(), "left over from an earlier run");
    EXPECT_FALSE(gf_streamDecrypt(enc(), plain()));
    EXPECT_FALSE(fs::exists(plain()));
    EXPECT_NE(logText().find(std::string("gf_streamDecrypt exception: ") + damage.logged), std::string::npos)
        << logText();
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedStream, ::testing::ValuesIn(kDamages), caseName);

TEST_F(StreamDecrypt, AnotherKeyFails)
{
    std::array<unsigned char, kDataKeyBytes> other{};
    other.fill(7);
    writeFile(enc(), encryptText("<root/>", other));
    EXPECT_FALSE(gf_streamDecrypt(enc(), plain()));
    EXPECT_FALSE(fs::exists(plain()));
}

TEST_F(StreamDecrypt, MissingInputIsLoggedWithItsPath)
{
    EXPECT_FALSE(gf_streamDecrypt(enc(), plain()));
    EXPECT_NE(logText().find("gf_streamDecrypt exception: Could not open input file: " + enc().string()),
              std::string::npos);
    EXPECT_FALSE(fs::exists(plain()));
}

TEST_F(StreamDecrypt, UnwritablePlainFileIsLoggedWithItsPath)
{
    writeFile(enc(), encryptText("<root/>"));
    const fs::path target = dir() / "missing" / "data.xml";
    EXPECT_FALSE(gf_streamDecrypt(enc(), target));
    EXPECT_NE(logText().find("gf_streamDecrypt exception: Could not open output file: " + target.string()),
              std::string::npos);
}

TEST_F(StreamDecrypt, FixtureEncryptedAtBuildTimeDecryptsToItsSource)
{
    ASSERT_TRUE(gf_streamDecrypt(fs::path(VORA_TEST_FIXTURES) / "sample.enc", plain()));
    EXPECT_EQ(readFile(plain()), readFile(fs::path(VORA_TEST_SOURCES) / "sample.xml"));
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_file(plain().c_str()));
    EXPECT_STREQ(doc.child("root").child("airports").child("airport").attribute("icao").value(), "EHAM");
}

} // namespace
} // namespace ovr::test
