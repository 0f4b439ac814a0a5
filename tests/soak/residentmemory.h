// The resident memory of this process, for telling a leak from a steady state.
#pragma once

#include <QtGlobal>

namespace ktv31::soak {

// Kilobytes of this process held in RAM; -1 where the platform does not say.
qint64 ResidentKb();

// AddressSanitizer keeps freed blocks in quarantine, so memory grows under it without any leak;
// its own leak check at exit stands in for this one there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool ResidentGrowthTellsLeaks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool ResidentGrowthTellsLeaks = false;
#else
constexpr bool ResidentGrowthTellsLeaks = true;
#endif
#else
constexpr bool ResidentGrowthTellsLeaks = true;
#endif

} // namespace ktv31::soak
