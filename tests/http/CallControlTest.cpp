// The control a host has over a component's calls: which calls a stop
// request reaches, what a deadline applies to, and the last failure it reads
// back.
#include <gtest/gtest.h>

#include "http/CallControl.h"
#include "messages/Trace.h"
#include "vcom/MemHolder.h"

namespace {

struct LastFailure {
    std::int32_t kind = -1;
    std::string text;
    bool none = false;
};

LastFailure Last(http::CallControl& control) {
    LastFailure last;
    const vcom::LibMemHolder text(control.GetLastFailure(&last.kind));
    last.none = !text;
    if (text)
        last.text = text.text();
    return last;
}

TEST(CallControlTest, CancelReachesTheCallsInFlightOnly) {
    http::CallControl control;
    EXPECT_EQ(control.Cancel(), 1);
    {
        http::Call first(control);
        EXPECT_FALSE(first.Limits().stop.Stopped());
        EXPECT_EQ(control.Cancel(), 0);
        EXPECT_TRUE(first.Limits().stop.Stopped());
        http::Call later(control);
        EXPECT_FALSE(later.Limits().stop.Stopped());
    }
    EXPECT_EQ(control.Cancel(), 1);
}

TEST(CallControlTest, DeadlineAppliesToLaterCalls) {
    http::CallControl control;
    EXPECT_EQ(control.SetDeadline(-1), vcom::InvalidArgument);
    EXPECT_FALSE(http::Call(control).Limits().deadline.Set());
    EXPECT_EQ(control.SetDeadline(5000), 0);
    http::Call bounded(control);
    EXPECT_TRUE(bounded.Limits().deadline.Set());
    EXPECT_LE(bounded.Limits().deadline.MicrosLeft(), 5000000);
    EXPECT_EQ(control.SetDeadline(0), 0);
    EXPECT_FALSE(http::Call(control).Limits().deadline.Set());
}

TEST(CallControlTest, LastFailureIsTheFirstCauseOfTheLastCall) {
    http::CallControl control;
    EXPECT_TRUE(Last(control).none);
    {
        http::Call call(control);
        tarnClientLib::TraceFailed(tarnclient::CallNotReached, "cannot connect to %s", "here");
        tarnClientLib::TraceRefused("and then something else");
        call.FailedWith(vcom::Failure);
    }
    const LastFailure failed = Last(control);
    EXPECT_EQ(failed.kind, tarnclient::CallNotReached);
    EXPECT_EQ(failed.text, "cannot connect to here");
    {
        http::Call call(control);
        call.FailedWith(vcom::InvalidArgument); // no step said why
    }
    EXPECT_EQ(Last(control).kind, tarnclient::CallBadArgument);
    EXPECT_EQ(Last(control).text, "the call failed with code -5");
    {
        http::Call call(control);
        tarnClientLib::TraceRefused("server status 2006: wrong");
        call.Retry(); // prompted again, and this time it worked
        call.Succeeded();
    }
    const LastFailure after = Last(control);
    EXPECT_TRUE(after.none);
    EXPECT_EQ(after.kind, tarnclient::CallSucceeded);
}

} // namespace
