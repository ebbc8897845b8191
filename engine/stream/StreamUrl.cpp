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
    m_secure = StartsWithNoCase(text, "https://");
    if (m_secure)
        text.remove_prefix(8);
    else if (StartsWithNoCase(text, "http://"))
        text.remove_prefix(7);
    const size_t end = text.find_first_of(":/");
    m_host = std::string(text.substr(0, end));
    if (m_host.empty() || m_host.size() > kMaxHost)
        return false;
    m_port = m_secure ? 443 : 80;
    m_explicitPort = false;
    m_path = "/";
    if (end == std::string_view::npos)
        return true;
    const size_t slash = text.find('/', end);
    if (slash != std::string_view::npos)
        m_path = std::string(text.substr(slash));
    if (text[end] == ':') {
        const std::string digits(text.substr(end + 1, slash - end - 1));
        char* stop = nullptr;
        const long value = std::strtol(digits.c_str(), &stop, 10);
        if (stop != digits.c_str()) {
            if (value < 1 || value > 65535)
                return false;
            m_port = static_cast<int>(value);
            m_explicitPort = true;
        }
    }
    return true;
}

std::string StreamUrl::Origin() const {
    std::string origin = (m_secure ? "https://" : "http://") + m_host;
    if (m_explicitPort)
        origin += ":" + std::to_string(m_port);
    return origin;
}

std::string StreamUrl::Resolve(std::string_view location) const {
    if (HasWebScheme(location))
        return std::string(location);
    if (location.substr(0, 2) == "//")
        return (m_secure ? "https:" : "http:") + std::string(location);
    if (!location.empty() && location.front() == '/')
        return Origin() + std::string(location);
    // Beside the current path: its folder, without a query.
    const std::string_view path = std::string_view(m_path).substr(0, m_path.find('?'));
    const std::string_view folder = path.substr(0, path.rfind('/') + 1);
    return Origin() + std::string(folder) + std::string(location);
}
