#include "playlist/StreamAddress.h"

#include "playlist/EntryTags.h"

namespace {

// The length of the "http://" or "https://" at the start of `address`, else 0.
size_t SchemeLength(std::u16string_view address) {
    const std::u16string start = EntryTags::Lower(address.substr(0, 8));
    if (start.starts_with(u"http://"))
        return 7;
    if (start.starts_with(u"https://"))
        return 8;
    return 0;
}

} // namespace

bool StreamAddress::HasScheme(std::u16string_view address) {
    return SchemeLength(address) > 0;
}

bool StreamAddress::IsStream(std::u16string_view address) {
    const size_t scheme = SchemeLength(address);
    return scheme > 0 && address.size() > scheme && address[scheme] != u'/';
}

std::u16string StreamAddress::Normalised(std::u16string_view address) {
    const size_t scheme = SchemeLength(address);
    if (scheme == 0)
        return std::u16string(address);
    size_t hostEnd = address.find_first_of(u"/?#", scheme);
    if (hostEnd == std::u16string_view::npos)
        hostEnd = address.size();
    // A user name and password before the host keep their case.
    const size_t at = address.substr(0, hostEnd).rfind(u'@');
    const size_t hostStart = at == std::u16string_view::npos || at < scheme ? scheme : at + 1;
    return EntryTags::Lower(address.substr(0, scheme)) +
           std::u16string(address.substr(scheme, hostStart - scheme)) +
           EntryTags::Lower(address.substr(hostStart, hostEnd - hostStart)) +
           std::u16string(address.substr(hostEnd));
}
