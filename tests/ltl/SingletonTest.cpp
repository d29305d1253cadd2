#include "ltl/CLock.h"
#include "ltl/CSingleton.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class Widget : public ltl::CSingleton<Widget> {
public:
    int value = 0;
};

TEST(SingletonTest, GetCreatesOnceFreeStartsAfresh) {
    Widget* first = Widget::Get();
    first->value = 5;
    EXPECT_EQ(Widget::Get(), first);
    Widget::Free();
    Widget::Free(); // a second Free does nothing
    EXPECT_EQ(Widget::Get()->value, 0);
    Widget::Free();
}

TEST(SingletonTest, AnInstanceCreatedDirectlyRegistersItself) {
    auto* made = new Widget();
    EXPECT_EQ(Widget::Get(), made);
    Widget::Free();
}

TEST(LockTest, GuardsACounterAcrossThreadsAndAllowsReentry) {
    ltl::CLock lock;
    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 10000; ++i) {
            ltl::CAutoLock outer(lock);
            ltl::CAutoLock inner(lock);
            ++counter;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 20000);
}

} // namespace
