#include "engine/stream/StreamUrl.h"

#include <cctype>
#include <cstdlib>

namespace {

constexpr size_t kMaxHost = 259;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

} // namespace

bool StreamUrl::HasWebScheme(std::string_view text) {
    return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://");
}

bool StreamUrl::Parse(std::string_view text) {
    secure_ = StartsWithNoCase(text, "https://");
    if (secure_)
        text.remove_prefix(8);
    else if (StartsWithNoCase(text, "http://"))
        text.remove_prefix(7);
    const size_t end = text.find_first_of(":/");
    host_ = std::string(text.substr(0, end));
    if (host_.empty() || host_.size() > kMaxHost)
        return false;
    port_ = secure_ ? 443 : 80;
    explicitPort_ = false;
    path_ = "/";
    if (end == std::string_view::npos)
        return true;
    const size_t slash = text.find('/', end);
    if (slash != std::string_view::npos)
        path_ = std::string(text.substr(slash));
    if (text[end] == ':') {
        const std::string digits(text.substr(end + 1, slash - end - 1));
        char* stop = nullptr;
        const long value = std::strtol(digits.c_str(), &stop, 10);
        if (stop != digits.c_str()) {
            if (value < 1 || value > 65535)
                return false;
            port_ = static_cast<int>(value);
            explicitPort_ = true;
        }
    }
    return true;
}

std::string StreamUrl::Origin() const {
    std::string origin = (secure_ ? "https://" : "http://") + host_;
    if (explicitPort_)
        origin += ":" + std::to_string(port_);
    return origin;
}

std::string StreamUrl::Resolve(std::string_view location) const {
    if (HasWebScheme(location))
        return std::string(location);
    if (location.substr(0, 2) == "//")
        return (secure_ ? "https:" : "http:") + std::string(location);
    if (!location.empty() && location.front() == '/')
        return Origin() + std::string(location);
    // Beside the current path: its folder, without a query.
    const std::string_view path = std::string_view(path_).substr(0, path_.find('?'));
    const std::string_view folder = path.substr(0, path.rfind('/') + 1);
    return Origin() + std::string(folder) + std::string(location);
}
