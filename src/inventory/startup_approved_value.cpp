#include "inventory/startup_approved_value.h"

#include "services/date_time.h"

namespace vtrl::inventory {

namespace {

constexpr std::uint8_t kOnByte = 0x02;
constexpr std::uint8_t kOffByte = 0x03;
constexpr std::uint8_t kOffByteAlternative = 0x07;
constexpr std::size_t kTimeOffset = 4;
constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr platform::LocalTime kFileTimeEpoch{1601, 1, 1, 0, 0, 0};

} // namespace

ApprovedState ParseApprovedValue(std::span<const std::uint8_t> data) {
    if (data.size() != kApprovedValueSize ||
        (data[0] != kOffByte && data[0] != kOffByteAlternative)) {
        return {};
    }
    std::uint64_t time = 0;
    for (std::size_t i = kApprovedValueSize; i > kTimeOffset; --i) {
        time = (time << 8) | data[i - 1];
    }
    return {false, time};
}

std::vector<std::uint8_t> SwitchedOffValue(std::uint64_t fileTime) {
    std::vector<std::uint8_t> value(kApprovedValueSize, 0);
    value[0] = kOffByte;
    for (std::size_t i = kTimeOffset; i < kApprovedValueSize; ++i) {
        value[i] = static_cast<std::uint8_t>(fileTime & 0xFF);
        fileTime >>= 8;
    }
    return value;
}

std::vector<std::uint8_t> SwitchedOnValue() {
    std::vector<std::uint8_t> value(kApprovedValueSize, 0);
    value[0] = kOnByte;
    return value;
}

std::uint64_t FileTimeOfUtc(const platform::LocalTime& utc) {
    const long long seconds = services::SecondsBetween(kFileTimeEpoch, utc);
    return seconds > 0 ? static_cast<std::uint64_t>(seconds) * kTicksPerSecond : 0;
}

platform::LocalTime UtcOfFileTime(std::uint64_t fileTime) {
    return services::ShiftedTime(kFileTimeEpoch,
                                 static_cast<long long>(fileTime / kTicksPerSecond));
}

} // namespace vtrl::inventory
