// The decoder limits the encoder keeps a stream within (levels chosen or named, peak rates,
// buffers and what is lowered), the frame an encoder takes, and the watchdog that ends a stuck
// conversion.
#include "ffmpeg_util.h"
#include "frame_size.h"
#include "levels.h"
#include "watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

using enc::decideVideoLimits;
using enc::VideoLimitRequest;

namespace {

VideoLimitRequest request(const char* codec, int width, int height, int fps, int64_t kbps)
{
    VideoLimitRequest r;
    r.codec = codec;
    r.width = width;
    r.height = height;
    r.frameRate = {fps, 1};
    r.bitRate = kbps * 1000;
    return r;
}

} // namespace

TEST(EncoderLevels, LowestLevelThatHoldsTheStream)
{
    struct Case {
        const char* what;
        VideoLimitRequest r;
        const char* level;
        int64_t maxKbps;
        int64_t bufferKbits;
    };
    auto withProfile = [](VideoLimitRequest r, const char* profile) {
        r.profile = profile;
        return r;
    };
    auto withPeak = [](VideoLimitRequest r, int64_t kbps) {
        r.maxRate = kbps * 1000;
        return r;
    };
    const Case cases[] = {
        {"PSP screen", request("libx264", 480, 272, 30, 768), "2.1", 4000, 4000},
        {"720p30", request("libx264", 1280, 720, 30, 2500), "3.1", 14000, 14000},
        {"1280x800 is beyond 3.1", request("libx264", 1280, 800, 30, 2500), "3.2", 20000, 20000},
        {"1080p30", request("libx264", 1920, 1080, 30, 8000), "4", 20000, 20000},
        {"1080p60", request("libx264", 1920, 1080, 60, 8000), "4.2", 50000, 50000},
        {"1920x1200 needs 5", request("libx264", 1920, 1200, 30, 8000), "5", 135000, 135000},
        {"bit rate lifts the level", request("libx264", 480, 272, 30, 6000), "3", 10000, 10000},
        {"high takes a quarter more", withProfile(request("libx264", 1920, 1080, 30, 8000), "high"), "4", 25000, 25000},
        {"device peak under the level's", withPeak(request("libx264", 1920, 1080, 30, 8000), 10000), "4", 10000, 10000},
        {"device peak over the level's", withPeak(request("libx264", 480, 272, 30, 768), 9000), "2.1", 4000, 4000},
        {"no bit rate asked", request("libx264", 640, 360, 30, 0), "3", 10000, 10000},
        {"MPEG-4 QCIF", request("mpeg4", 176, 144, 15, 64), "1", 64, 64},
        {"MPEG-4 CIF", request("mpeg4", 352, 288, 30, 384), "3", 384, 384},
        {"MPEG-4 QVGA at 512k", request("mpeg4", 320, 240, 25, 512), "4a", 4000, 1310},
        {"MPEG-4 WVGA at 25", request("mpeg4", 800, 480, 25, 1500), "5", 8000, 1835},
        {"MPEG-4 WVGA at 30 is beyond 5", request("mpeg4", 800, 480, 30, 1500), "6", 12000, 4063},
        {"Xvid is judged alike", request("libxvid", 640, 480, 30, 1000), "4a", 4000, 1310},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto limits = decideVideoLimits(c.r);
        ASSERT_TRUE(limits.level);
        EXPECT_STREQ(limits.level->name, c.level);
        EXPECT_EQ(limits.maxRate, c.maxKbps * 1000);
        EXPECT_EQ(limits.bufferSize / 1000, c.bufferKbits);
        EXPECT_EQ(limits.bitRate, c.r.bitRate) << "nothing lowered";
        EXPECT_EQ(av_cmp_q(limits.frameRate, c.r.frameRate), 0);
        EXPECT_TRUE(limits.notes.empty());
    }
}

TEST(EncoderLevels, ProfilesPeakModelsAndDefaults)
{
    auto h264 = decideVideoLimits(request("libx264", 640, 360, 30, 800));
    EXPECT_EQ(h264.profile, "main");
    EXPECT_TRUE(h264.enforcesPeakRate);
    auto mpeg4 = decideVideoLimits(request("mpeg4", 320, 240, 25, 300));
    EXPECT_EQ(mpeg4.profile, "simple");
    EXPECT_EQ(mpeg4.profileCode, 0);
    EXPECT_TRUE(mpeg4.enforcesPeakRate);
    EXPECT_FALSE(decideVideoLimits(request("libxvid", 320, 240, 25, 300)).enforcesPeakRate)
        << "FFmpeg's Xvid wrapper has no buffer model";
    auto wmv = decideVideoLimits(request("wmv2", 320, 240, 25, 300));
    EXPECT_EQ(wmv.level, nullptr);
    EXPECT_FALSE(wmv.enforcesPeakRate);
}

TEST(EncoderLevels, WhatTheLevelCannotTakeIsLowered)
{
    // A named level caps the bit rate and the frame rate, and says so.
    VideoLimitRequest r = request("libx264", 1280, 720, 60, 20000);
    r.level = "3.1";
    auto limits = decideVideoLimits(r);
    EXPECT_STREQ(limits.level->name, "3.1");
    EXPECT_EQ(limits.bitRate, 14'000'000);
    EXPECT_EQ(av_cmp_q(limits.frameRate, AVRational{30, 1}), 0);
    EXPECT_EQ(limits.notes.size(), 2u);

    // The device's own peak rate caps a bit rate under the level's.
    r = request("libx264", 1280, 720, 30, 5000);
    r.maxRate = 3'000'000;
    limits = decideVideoLimits(r);
    EXPECT_EQ(limits.bitRate, 3'000'000);
    ASSERT_EQ(limits.notes.size(), 1u);
    EXPECT_NE(limits.notes[0].find("3000 kbit/s"), std::string::npos);

    // Codecs without levels still keep under the device's peak on average.
    r = request("wmv2", 320, 240, 25, 800);
    r.maxRate = 500'000;
    EXPECT_EQ(decideVideoLimits(r).bitRate, 500'000);

    // Beyond every level: marked with the top one, and said.
    limits = decideVideoLimits(request("mpeg4", 1920, 1080, 30, 8000));
    EXPECT_STREQ(limits.level->name, "6");
    EXPECT_EQ(limits.notes.size(), 1u);
}

TEST(EncoderLevels, LevelNamesAndRefusals)
{
    for (const char* name : {"3.1", "31", "3", "3.0", "30", "1b", "5.2"}) {
        VideoLimitRequest r = request("libx264", 176, 144, 15, 64);
        r.level = name;
        EXPECT_NO_THROW(decideVideoLimits(r)) << name;
    }
    VideoLimitRequest named = request("libx264", 176, 144, 15, 64);
    named.level = "31";
    EXPECT_STREQ(decideVideoLimits(named).level->name, "3.1");
    named.level = "3.0";
    EXPECT_STREQ(decideVideoLimits(named).level->name, "3");
    named.codec = "mpeg4";
    named.level = "4a";
    EXPECT_EQ(decideVideoLimits(named).level->code, 4);

    struct Refused {
        const char* what;
        const char* codec;
        int width, height;
        const char* profile;
        const char* level;
    };
    const Refused refused[] = {
        {"unknown H.264 profile", "libx264", 640, 360, "extended", ""},
        {"unknown H.264 level", "libx264", 640, 360, "", "7"},
        {"picture larger than the level", "libx264", 1280, 720, "", "3.0"},
        {"portrait beyond a side's limit", "libx264", 176, 1200, "", "2.1"},
        {"MPEG-4 beyond simple", "mpeg4", 320, 240, "advanced_simple", ""},
        {"MPEG-4 level of H.264", "mpeg4", 320, 240, "", "3.1"},
        {"level for WMV", "wmv2", 320, 240, "", "3"},
        {"profile for H.263", "h263", 176, 144, "baseline", ""},
    };
    for (const Refused& c : refused) {
        VideoLimitRequest r = request(c.codec, c.width, c.height, 25, 300);
        r.profile = c.profile;
        r.level = c.level;
        EXPECT_THROW(decideVideoLimits(r), enc::EncoderError) << c.what;
    }
}

TEST(EncoderWatchdog, StallsAreCaughtAndProgressKeepsItQuiet)
{
    std::mutex mutex;
    std::condition_variable changed;
    bool stalled = false;
    auto onStall = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        stalled = true;
        changed.notify_all();
    };
    {
        // Progress more often than the limit: it never fires, and stopping it is prompt.
        enc::ProgressWatchdog watchdog(std::chrono::milliseconds(500), onStall);
        for (int i = 0; i < 40; ++i) { // twice the limit in all, a twentieth of it between calls
            watchdog.progressed();
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    }
    EXPECT_FALSE(stalled);
    enc::ProgressWatchdog watchdog(std::chrono::milliseconds(50), onStall);
    std::unique_lock<std::mutex> lock(mutex);
    EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return stalled; }));
}

TEST(EncoderWatchdog, TimeTheProcessStoodStillIsNoStall)
{
    // A clock the test moves; each look of the watchdog reads it once.
    std::atomic<int64_t> now{0};
    std::mutex mutex;
    std::condition_variable changed;
    int looks = 0;
    bool stalled = false;
    auto clock = [&]() -> int64_t {
        std::lock_guard<std::mutex> lock(mutex);
        ++looks;
        changed.notify_all();
        return now.load();
    };
    auto onStall = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        stalled = true;
        changed.notify_all();
    };
    enc::ProgressWatchdog watchdog(std::chrono::milliseconds(400), onStall, clock);
    // Two more looks than now: the watchdog has looked after the clock was moved.
    auto lookAfterMoving = [&](int64_t by) {
        std::unique_lock<std::mutex> lock(mutex);
        now += by;
        const int target = looks + 2;
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return looks >= target || stalled; });
    };
    // Held for ten minutes (SIGSTOP): the clock jumps far beyond the limit between two looks.
    ASSERT_TRUE(lookAfterMoving(600000));
    EXPECT_FALSE(stalled);
    // Running again without progress: the stall is caught as before.
    for (int i = 0; i < 20 && lookAfterMoving(150); ++i) {
    }
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_TRUE(stalled);
}

TEST(EncoderFrame, OddSidesAndH263Sizes)
{
    using enc::FrameLayout;
    struct Case {
        const char* what;
        FrameLayout requested;
        enc::EncoderFrameRules rules;
        FrameLayout expected;
    };
    const Case cases[] = {
        {"even stays", {320, 180, 0, 0, 30, 30}, {true, true, false}, {320, 180, 0, 0, 30, 30}},
        {"odd width: right border first", {320, 180, 1, 2, 0, 0}, {true, true, false}, {320, 180, 1, 1, 0, 0}},
        {"then the left border", {320, 180, 1, 0, 0, 0}, {true, true, false}, {320, 180, 0, 0, 0, 0}},
        {"then the picture", {161, 121, 0, 0, 0, 0}, {true, true, false}, {160, 120, 0, 0, 0, 0}},
        {"odd height: bottom border first", {320, 179, 0, 0, 30, 30}, {true, true, false}, {320, 179, 0, 0, 30, 29}},
        {"full chroma keeps odd sides", {161, 121, 0, 0, 0, 0}, {false, false, false}, {161, 121, 0, 0, 0, 0}},
        {"short of QCIF grows to it", {176, 132, 0, 0, 5, 5}, {true, true, true}, {176, 132, 0, 0, 5, 7}},
        {"short of CIF grows right and bottom", {346, 282, 0, 0, 0, 0}, {true, true, true}, {346, 282, 0, 6, 0, 6}},
        {"far from any size stays", {320, 240, 0, 0, 0, 0}, {true, true, true}, {320, 240, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FrameLayout got = enc::encoderFrame(c.requested, c.rules);
        EXPECT_EQ(got, c.expected) << got.pictureWidth << "x" << got.pictureHeight << " " << got.padLeft << ","
                                   << got.padRight << "," << got.padTop << "," << got.padBottom;
    }
}
