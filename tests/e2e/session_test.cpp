// Key script notation of headless sessions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/session.h"

namespace {
std::vector<unsigned char> parse(const std::string& script) {
    std::vector<unsigned char> keys;
    std::string error;
    EXPECT_TRUE(parseKeyScript(script, keys, error)) << script << ": " << error;
    return keys;
}
bool rejects(const std::string& script) {
    std::vector<unsigned char> keys;
    std::string error;
    bool ok = parseKeyScript(script, keys, error);
    return !ok && !error.empty() && keys.empty();
}
}  // namespace

TEST(KeyScript, Notation) {
    EXPECT_EQ(parse(""), std::vector<unsigned char>{});
    EXPECT_EQ(parse("F21"), (std::vector<unsigned char>{'F', '2', '1'}));
    EXPECT_EQ(parse("a{SP}b{ESC}"), (std::vector<unsigned char>{'a', ' ', 'b', 27}));
    EXPECT_EQ(parse("{a*3}"), (std::vector<unsigned char>{'a', 'a', 'a'}));
    EXPECT_EQ(parse("{{SP}*2}x"), (std::vector<unsigned char>{' ', ' ', 'x'}));
    EXPECT_EQ(parse("{**2}"), (std::vector<unsigned char>{'*', '*'}));
    EXPECT_EQ(parse("{s*0}"), std::vector<unsigned char>{});
    EXPECT_EQ(parse(" "), std::vector<unsigned char>{' '});
}

TEST(KeyScript, MalformedScriptsAreRejected) {
    for (const char* bad : {"{", "}", "{SP", "{a}", "{a*}", "{a*x}", "{a*3", "{FOO}", "{{X}*2}", "{a*-1}",
                            "{a*99999999}", "ab{"})
        EXPECT_TRUE(rejects(bad)) << bad;
}
