#pragma once
// The hand-over of a folder to an instance of the program that is already running.
//
// Explorer's "Scan with KESTRO Antivirus" starts the program with the folder as
// its whole command line. When the program is already open, the new instance
// must not drop that request: it sends the path to the running instance's main
// window (WM_COPYDATA with kHandOverId and the UTF-16 path with its terminating
// zero) and ends without a message. The running instance starts that scan when
// it is idle and brings the scan page forward when a scan is busy.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestro::app::scan_page {

// The WM_COPYDATA identifier of a hand-over ("KSCN").
inline constexpr std::uint32_t kHandOverId = 0x4B53434Eu;
// The longest path a hand-over carries, in UTF-16 code units (the long-path limit).
inline constexpr std::size_t kHandOverMaxChars = 32767;

// The bytes of a hand-over: the path in UTF-16 (little-endian) and a terminating zero.
std::u16string HandOverPayload(std::u16string_view path);

// Reads a hand-over received from another process: the identifier must match,
// the size must be a whole number of UTF-16 units within the limit, the text
// must end at its first zero and be a drive folder path. Anything else is
// not a hand-over.
std::optional<std::u16string> ReadHandOver(std::uint64_t id, const void* data, std::size_t bytes);

enum class HandOverAction { StartScan, BringScanPageForward };

// A hand-over starts the scan when the program is idle; while a scan runs it
// only brings the scan page forward.
HandOverAction DecideHandOver(bool scanRunning);

}  // namespace kestro::app::scan_page
