#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "text/Text.h"

TEST(Text, JoinFillsTheBufferToItsLastByteButNoFurther)
{
    char out[8];
    EXPECT_TRUE(text::Join(out, {"abc", "\\", "def"})); // 7 characters and the terminator
    EXPECT_STREQ(out, "abc\\def");

    char guarded[12];
    std::fill(std::begin(guarded), std::end(guarded), '#');
    EXPECT_FALSE(text::Join(guarded, 8, {"abc", "\\", "defg"}));
    EXPECT_STREQ(guarded, "");
    for (int i = 8; i < 12; ++i)
        EXPECT_EQ(guarded[i], '#') << "byte " << i << " written past the buffer";
}

TEST(Text, JoinRefusesAMissingPart)
{
    char out[16];
    EXPECT_FALSE(text::Join(out, {"D:", nullptr, "x"}));
    EXPECT_STREQ(out, "");
}

TEST(Text, AppendLeavesTheTextAsItWasWhenTheTailDoesNotFit)
{
    char out[10] = "12345678";
    EXPECT_FALSE(text::Append(out, "90"));
    EXPECT_STREQ(out, "12345678");
    EXPECT_TRUE(text::Append(out, "9"));
    EXPECT_STREQ(out, "123456789");
}

TEST(Text, ToInt32FollowsAtoi)
{
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {
        // text            value
        {"0", 0},
        {"250", 250},
        {"250ms", 250},
        {"  \t42", 42},
        {"-3", -3},
        {"+7", 7},
        {"abc", 0},
        {"", 0},
        {"- 5", 0},
        {"2147483647", INT32_MAX},
        {"99999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-99999999999", INT32_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text::ToInt32(c.text), c.value) << '"' << c.text << '"';
}

TEST(Text, FormatIntWritesDecimal)
{
    for (std::int32_t value : {0, 7, 10, 123, -1, INT32_MAX, INT32_MIN}) {
        char out[12];
        text::FormatInt(out, value);
        EXPECT_EQ(std::string(out), std::to_string(value));
    }
}

TEST(Text, ComparisonsIgnoreAsciiCaseOnly)
{
    EXPECT_TRUE(text::EqualsIgnoreCase("Service Pack 1", "SERVICE pack 1"));
    EXPECT_FALSE(text::EqualsIgnoreCase("Service Pack 1", "Service Pack 10"));
    EXPECT_TRUE(text::EqualsIgnoreCaseN("SILENCE", "silence", 8));
    EXPECT_FALSE(text::EqualsIgnoreCaseN("silenced", "silence", 8));
    EXPECT_FALSE(text::EqualsIgnoreCaseN("silenc", "silence", 8));
}
