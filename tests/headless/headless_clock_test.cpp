#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/form.h"
#include "forms/timer_control.h"
#include "headless/headless_host.h"

namespace plivora {
namespace {

class TestForm : public Form {
public:
    explicit TestForm(Host& host) : Form(host, "TestForm") {}
    TimerControl fast{*this, "fast"};
    TimerControl slow{*this, "slow"};
};

TEST(HeadlessClock, TimersFireInOrderOfTheirDueTimes) {
    HeadlessHost host;
    TestForm form(host);
    std::vector<std::string> fired;
    form.fast.Timer = [&] { fired.push_back("fast@" + std::to_string(host.now())); };
    form.slow.Timer = [&] {
        fired.push_back("slow@" + std::to_string(host.now()));
        form.fast.setTimerEnabled(false);  // a handler may stop another timer
    };
    form.fast.setInterval(300);
    form.slow.setInterval(1000);
    host.advance(2000);
    EXPECT_EQ(fired, (std::vector<std::string>{"fast@300", "fast@600", "fast@900", "slow@1000",
                                               "slow@2000"}));
    EXPECT_EQ(host.now(), 2000);
}

TEST(HeadlessClock, ChangingTheIntervalRestartsTheCount) {
    HeadlessHost host;
    TestForm form(host);
    int ticks = 0;
    form.fast.Timer = [&] {
        ++ticks;
        form.fast.setInterval(500);
    };
    form.fast.setInterval(100);
    host.advance(100);
    EXPECT_EQ(ticks, 1);
    host.advance(499);
    EXPECT_EQ(ticks, 1);
    host.advance(1);
    EXPECT_EQ(ticks, 2);
}

}  // namespace
}  // namespace plivora
