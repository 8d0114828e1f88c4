// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace brevora {

// RFC 822 ("Tue, 08 Dec 2026 10:00:00 GMT") or ISO 8601 ("2026-12-08T10:00:00Z",
// "2026-12-08"): the usual forms of feeds' dates; the UTC time, or -1.
std::time_t ParseFeedDate(std::string_view date);

// A date for a feed: `date` in RFC 822 form when it is one of the usual forms
// of feeds (RFC 822 itself, ISO 8601), else `fallback`; in UTC.
std::string Rfc822Date(std::string_view date, std::time_t fallback);

// The UTC day of `time`: "2026-12-08".
std::string IsoDate(std::time_t time);

// Whole seconds as a feed or a page shows them: "M:SS", "H:MM:SS".
std::string ClockDuration(int seconds);

}  // namespace brevora
