// Key script notation and the JSON summary of headless sessions.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/keyboard.h"
#include "app/session.h"
#include "support/test_scene.h"

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

TEST(JsonSummary, StartUpAndFirstChoices) {
    auto s = makeScene();
    for (int i = 0; i < JV; ++i) s->qr[i] = s->qInit[i];  // start-up shows the first candidate
    char* buf = nullptr;
    size_t len = 0;
    FILE* f = open_memstream(&buf, &len);
    writeJsonSummary(*s, {}, {}, f);
    std::fclose(f);
    std::string j(buf, len);
    std::free(buf);
    EXPECT_NE(j.find("\"robot\": \"F21\""), std::string::npos);
    EXPECT_NE(j.find("\"rhy1\": 2.1"), std::string::npos);
    EXPECT_NE(j.find("\"rhy2\": 2.5,"), std::string::npos);
    EXPECT_NE(j.find("\"rhx\": 1.6"), std::string::npos);
    EXPECT_NE(j.find("\"wristp\": [2.35"), std::string::npos);
    // Joint positions of the straight pose of F21.
    EXPECT_NE(j.find("\"J\": [[0,0,0],[0,0,0],[0,0,1],[0,0,3],[0,0,5],[0,0,6],[0,0,7],[0,0,7],[0,0,7],"),
              std::string::npos);
}
