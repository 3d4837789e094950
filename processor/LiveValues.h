#pragma once
#include <atomic>

namespace morvane3
{
// The settings in engineering units, read by the signal chain through
// float-pointer nodes once per block. Written by any thread (host automation,
// state restore, editor); every field is a lock-free float with relaxed order:
// a reader sees the old or the new value, never a torn one.
struct ChannelLiveValues
{
    std::atomic<float> hpfHz { 20.0f };
    std::atomic<float> lmfHz { 300.0f };
    std::atomic<float> lmGainDb { 0.0f };
    std::atomic<float> hmfHz { 4000.0f };
    std::atomic<float> hmGainDb { 0.0f };
    std::atomic<float> lpfHz { 14000.0f };
    std::atomic<float> level { 0.5f };     // linear gain
    std::atomic<float> mute { 0.0f };      // 1 = muted
    std::atomic<float> hpfBypass { 0.0f }; // 1 = bypassed
    std::atomic<float> lmfBypass { 0.0f };
    std::atomic<float> hmfBypass { 0.0f };
    std::atomic<float> lpfBypass { 0.0f };
};

struct LiveValues
{
    std::atomic<float> outputLevel { 0.5f }; // linear gain
    ChannelLiveValues channels[2];           // 0 = C1, 1 = C2
};

static_assert(std::atomic<float>::is_always_lock_free, "live values must be lock-free");
} // namespace morvane3
