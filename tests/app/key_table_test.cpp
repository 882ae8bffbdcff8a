// The key table against the README key table, the printed help (both ways) and the dispatcher.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <type_traits>
#include <vector>

#include "app/help_text.h"
#include "app/key_table.h"
#include "app/keyboard.h"
#include "support/capture.h"
#include "support/test_scene.h"

namespace {

// The key cells of the README key table: the first cell of each row under its header.
std::vector<std::string> readmeKeyCells() {
    std::string path = __FILE__;
    std::ifstream in(path.substr(0, path.rfind("/tests/")) + "/README.md");
    std::vector<std::string> cells;
    bool inTable = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("| Key | Where | What it does |", 0) == 0) inTable = true;
        else if (inTable && (line.empty() || line[0] != '|')) break;
        else if (inTable && line.rfind("|---", 0) != 0) cells.push_back(line.substr(2, line.find(" |", 2) - 2));
    }
    return cells;
}

// The help line names the key: quoted ('F'), as a digit of its key pairs ((1,4)), or ESC.
bool namesKey(const std::string& line, unsigned char key) {
    if (key == 27) return line.find("ESC") != std::string::npos;
    if (key >= '0' && key <= '9') return line.find(static_cast<char>(key)) != std::string::npos;
    return line.find(std::string("'") + static_cast<char>(key) + "'") != std::string::npos;
}

std::string rowName(const KeyEntry& e) {
    return std::string("row '") + (e.keys ? e.keys : "(other keys)") + "' of mode " + (e.mode ? e.mode : '*');
}

}  // namespace

TEST(KeyTable, EveryRowIsDescribedWhereItSays) {
    auto s = makeScene();
    TraceCapture cap(*s);
    printHelp(*s);
    const std::string help = cap.text();
    const std::vector<std::string> cells = readmeKeyCells();
    ASSERT_FALSE(cells.empty()) << "README key table not found";
    for (int k = 0; k < kKeyTableSize; ++k) {
        const KeyEntry& e = kKeyTable[k];
        EXPECT_TRUE(std::count(cells.begin(), cells.end(), e.readme)) << rowName(e) << ": no README row " << e.readme;
        if (e.help == HelpLine::NotPrinted) continue;
        const std::string line = helpLineText(e.help);
        EXPECT_NE(help.find(line), std::string::npos) << rowName(e) << ": line not printed";
        for (const char* c = e.keys; c && *c; ++c)
            EXPECT_TRUE(namesKey(line, static_cast<unsigned char>(*c))) << rowName(e) << ": key " << *c << " not in the line" << line;
    }
}

TEST(KeyTable, EveryKeyLineOfTheHelpBelongsToARow) {
    for (int l = 0; l < static_cast<int>(HelpLine::Count); ++l) {
        const std::string line = helpLineText(static_cast<HelpLine>(l));
        if (line.rfind("\n'", 0) != 0 && line.rfind("\n ESC", 0) != 0) continue;
        bool described = false;
        for (int k = 0; k < kKeyTableSize; ++k)
            described |= kKeyTable[k].mode == kAnyMode && kKeyTable[k].help == static_cast<HelpLine>(l) &&
                         namesKey(line, static_cast<unsigned char>(kKeyTable[k].keys[0]));
        EXPECT_TRUE(described) << "a help line of no key:" << line;
    }
}

// The dispatcher acts on the rows of the table only: a key that no row takes leaves every byte of
// the scene as it was (keyLast aside, and the outcome of 'N', both set before the press).
TEST(KeyTable, KeysOfNoRowChangeNothing) {
    static_assert(std::is_trivially_copyable<Scene>::value, "the scene is compared byte by byte");
    auto s = makeScene();
    std::vector<unsigned char> before(sizeof(Scene));
    int tried = 0;
    for (char mode : {'A', 'O', 'B', 'C', 'F', 'G', '0'}) {
        s->sgnCAL = mode;
        for (int key = 0; key < 256; ++key) {
            if (findKeyEntry(mode, static_cast<unsigned char>(key))) continue;
            s->keyLast = static_cast<char>(key);
            s->sgnAutoSolve = 0;
            std::memcpy(before.data(), static_cast<const void*>(s.get()), sizeof(Scene));
            keyboard(*s, static_cast<unsigned char>(key));
            ++tried;
            EXPECT_EQ(std::memcmp(before.data(), static_cast<const void*>(s.get()), sizeof(Scene)), 0)
                << "key " << key << " in mode " << mode;
        }
    }
    EXPECT_GT(tried, 0);
}
