// Console printers of the trace and the console key wait.
#include <gtest/gtest.h>

#include <unistd.h>

#include "core/console.h"
#include "support/capture.h"
#include "support/test_scene.h"

TEST(Console, VectorPrinterFormats) {
    auto s = makeScene();
    TraceCapture cap(*s);
    double v[3] = {1.0, -2.5, 0.123456};
    printVec(*s, 1, 0, v);
    printVec(*s, 0, 2, v);
    printVec4(*s, 0, 1, v);
    printVec5(*s, 2, 2, v);
    EXPECT_EQ(cap.text(), "()(  1.000 -2.500  0.123)( 1.0000 -2.5000)( 0.12346)");
}


TEST(Console, WaitKeyCallsTheHookAndReturnsWithoutTerminal) {
    auto s = makeScene();
    static int calls = 0;
    s->waitKey = [](Scene&) { ++calls; };
    waitKey(*s);
    EXPECT_EQ(calls, 1);
    // Under the test runner standard input is not a terminal: the read returns at once.
    if (!isatty(0)) {
        EXPECT_EQ(terminalWaitKey(), -1);
    }
}
