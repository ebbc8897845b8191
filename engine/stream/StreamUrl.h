#pragma once

#include <string>
#include <string_view>

// The parts of a stream address "[http://|https://]host[:port][/path]". Without a scheme the
// address is plain http (a proxy text such as "host:8080").
class StreamUrl {
public:
    // False when the host is empty or too long, or the port is not a number from 1 to 65535.
    bool Parse(std::string_view text);

    bool Secure() const { return m_secure; }
    const std::string& Host() const { return m_host; }
    int Port() const { return m_port; }
    // From the first "/" after the host; "/" when there is none.
    const std::string& Path() const { return m_path; }

    // The address a redirect's Location names: absolute ("https://..."), without a scheme
    // ("//host/..."), from the server's root ("/other") or beside the current path ("other.mp3").
    std::string Resolve(std::string_view location) const;

    // "http://" or "https://" (any case) at the start of `text`.
    static bool HasWebScheme(std::string_view text);

private:
    std::string Origin() const;

    bool m_secure = false;
    std::string m_host;
    int m_port = 80;
    bool m_explicitPort = false;
    std::string m_path = "/";
};
