#pragma once

#include <string>
#include <string_view>

// Addresses of internet radio streams: "http://" or "https://", then the host.
class StreamAddress {
public:
    // True when `address` begins with "http://" or "https://", in any case.
    static bool HasScheme(std::u16string_view address);
    // True for a scheme followed by at least a host.
    static bool IsStream(std::u16string_view address);
    // The scheme and host in lower case; the rest keeps its case, for servers whose paths are
    // case-sensitive ("/Stream.MP3" is not "/stream.mp3").
    static std::u16string Normalised(std::u16string_view address);
};
