#include "engine/stream/StreamClient.h"

#include "platform/TextCodec.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <new>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSliceMs = 200;
constexpr int kConnectLimitMs = 15000;
constexpr int kReceiveLimitMs = 5000;
constexpr size_t kHeaderBuffer = 2048;
constexpr size_t kValueLength = 256;

char16_t titleBuffer[StreamClient::kTextLength] = {};

// "host[:port][/...]" after an optional "http://". False when the host is empty or too long, or
// the port is not a valid number. A missing port is 80.
bool ParseHostPort(const std::string& text, std::string& host, int& port) {
    std::string_view rest = text;
    if (rest.substr(0, 7) == "http://")
        rest.remove_prefix(7);
    const size_t end = rest.find_first_of(":/");
    host = std::string(rest.substr(0, end));
    if (host.empty() || host.size() >= StreamClient::kTextLength)
        return false;
    port = 80;
    if (end != std::string_view::npos && rest[end] == ':') {
        const std::string digits(rest.substr(end + 1));
        char* stop = nullptr;
        const long value = std::strtol(digits.c_str(), &stop, 10);
        if (stop != digits.c_str()) {
            if (value < 1 || value > 65535)
                return false;
            port = static_cast<int>(value);
        }
    }
    return true;
}

std::string PathOf(const std::string& url) {
    size_t start = url.compare(0, 7, "http://") == 0 ? 7 : 0;
    const size_t slash = url.find('/', start);
    return slash == std::string::npos ? std::string("/") : url.substr(slash);
}

// The value after `name` and its colon: up to 256 bytes before the line end, leading blanks
// dropped. False when the name is not in the header.
bool HeaderValue(std::string_view header, std::string_view name, std::string& value) {
    const size_t at = header.find(name);
    if (at == std::string_view::npos)
        return false;
    size_t pos = at + name.size();
    if (pos < header.size() && header[pos] == ':')
        ++pos;
    const size_t end = header.find_first_of("\r\n", pos);
    std::string_view text = header.substr(pos, end == std::string_view::npos ? end : end - pos);
    text = text.substr(0, kValueLength);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    value = std::string(text);
    return true;
}

std::u16string Wide(std::string_view bytes) {
    std::u16string text = TextCodec::MultiByteToWide(bytes, TextCodec::kAnsi);
    if (text.size() >= StreamClient::kTextLength)
        text.resize(StreamClient::kTextLength - 1);
    return text;
}

std::u16string FromArray(const char16_t* text, size_t capacity) {
    size_t length = 0;
    while (length < capacity && text[length] != 0)
        ++length;
    return std::u16string(text, length);
}

void ToArray(std::u16string_view text, char16_t* out, size_t capacity) {
    const size_t length = std::min(text.size(), capacity - 1);
    std::copy_n(text.data(), length, out);
    std::fill(out + length, out + capacity, u'\0');
}

} // namespace

StreamClient::StreamClient(MessageSink* owner) : owner_(owner) {
    ToArray(u"Unknown", options_.userAgent, kTextLength);
}

StreamClient::~StreamClient() {
    Stop();
}

const char16_t* StreamClient::SharedTitleBuffer() {
    return titleBuffer;
}

bool StreamClient::SetOptions(const StreamingOptions& options) {
    {
        CriticalSection::Lock lock(listLock_);
        if (blocksAllocated_ > 0 || options.bufferSize < 2)
            return false;
    }
    std::lock_guard<std::mutex> lock(infoMutex_);
    options_.bufferSize = options.bufferSize;
    if (options.prebufferSize >= 2)
        options_.prebufferSize = std::min(options.prebufferSize, options.bufferSize);
    else
        options_.prebufferSize = std::min(options_.prebufferSize, options.bufferSize);
    options_.useProxy = options.useProxy;
    std::copy_n(options.proxy, kTextLength, options_.proxy);
    std::copy_n(options.userAgent, kTextLength, options_.userAgent);
    options_.proxy[kTextLength - 1] = 0;
    options_.userAgent[kTextLength - 1] = 0;
    return true;
}

StreamingOptions StreamClient::Options() const {
    std::lock_guard<std::mutex> lock(infoMutex_);
    return options_;
}

int StreamClient::BlockCount() const {
    return Options().bufferSize;
}

int StreamClient::PrebufferBlocks() const {
    return Options().prebufferSize;
}

std::u16string StreamClient::StationName() const {
    std::lock_guard<std::mutex> lock(infoMutex_);
    return stationName_;
}

std::u16string StreamClient::Genre() const {
    std::lock_guard<std::mutex> lock(infoMutex_);
    return genre_;
}

std::u16string StreamClient::StationUrl() const {
    std::lock_guard<std::mutex> lock(infoMutex_);
    return stationUrl_;
}

std::u16string StreamClient::LastTitle() const {
    std::lock_guard<std::mutex> lock(infoMutex_);
    return lastTitle_;
}

int StreamClient::FilledBlocks() const {
    CriticalSection::Lock lock(listLock_);
    return static_cast<int>(filled_.size());
}

bool StreamClient::Connect(std::u16string_view url) {
    CriticalSection::Lock lock(connectionLock_);
    Stop();
    const int count = BlockCount();
    {
        CriticalSection::Lock listLock(listLock_);
        for (int i = 0; i < count; ++i) {
            std::unique_ptr<Block> block(new (std::nothrow) Block);
            if (!block) {
                free_.clear();
                blocksAllocated_ = 0;
                return false;
            }
            free_.push_back(std::move(block));
        }
        blocksAllocated_ = count;
    }
    {
        std::lock_guard<std::mutex> info(infoMutex_);
        url_ = std::u16string(url.substr(0, kTextLength - 1));
        redirect_.clear();
        stationName_.clear();
        genre_.clear();
        stationUrl_.clear();
        lastTitle_.clear();
    }
    freeBlock_.Set();
    dataAvailable_.Reset();
    stop_ = false;
    endOfStream_ = false;
    icySeen_ = false;
    connected_.Reset();

    if (!thread_.Start([this] { ReceiveThread(); })) {
        FreeBlocks();
        return false;
    }
    for (;;) {
        if (connected_.Wait(20))
            return true;
        if (!thread_.IsRunning()) {
            thread_.Wait();
            if (connected_.IsSignalled())
                return true;
            FreeBlocks();
            return false;
        }
    }
}

void StreamClient::Stop() {
    // The flag goes up before the lock so that a Connect in progress gives up promptly.
    stop_ = true;
    freeBlock_.Set();
    dataAvailable_.Set();
    CriticalSection::Lock lock(connectionLock_);
    thread_.Wait();
    FreeBlocks();
    stop_ = false;
    endOfStream_ = false;
    icySeen_ = false;
}

void StreamClient::FreeBlocks() {
    CriticalSection::Lock lock(listLock_);
    free_.clear();
    filled_.clear();
    blocksAllocated_ = 0;
}

size_t StreamClient::Read(void* buffer, size_t length) {
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < length) {
        while (!dataAvailable_.Wait(100)) {
            if (!SocketOpen())
                return done;
        }
        CriticalSection::Lock lock(listLock_);
        if (filled_.empty()) {
            // Stop signals the event; without a connection nothing will come.
            if (!SocketOpen() || stop_)
                return done;
            dataAvailable_.Reset();
            continue;
        }
        Block& block = *filled_.front();
        const size_t n = std::min(length - done, block.filled - block.read);
        std::memcpy(out + done, block.data + block.read, n);
        block.read += n;
        done += n;
        if (block.read == block.filled) {
            block.read = 0;
            block.filled = 0;
            free_.push_back(std::move(filled_.front()));
            filled_.pop_front();
            freeBlock_.Set();
            if (filled_.empty())
                dataAvailable_.Reset();
        }
    }
    return done;
}

bool StreamClient::WaitForPrebuffer() {
    const int prebuffer = PrebufferBlocks();
    for (;;) {
        if (stop_)
            return false;
        if (FilledBlocks() >= prebuffer)
            return true;
        if (!SocketOpen()) // the receive thread has filed its last block
            return endOfStream_ || FilledBlocks() >= prebuffer;
        Thread::Sleep(1);
    }
}

void StreamClient::ReceiveThread() {
    std::u16string url;
    {
        std::lock_guard<std::mutex> lock(infoMutex_);
        url = url_;
    }
    int redirects = 0;
    for (;;) {
        const Request result = ConnectionRequest(url);
        if (result == Request::Ok)
            break;
        if (result == Request::Failed || stop_ || redirects == kMaxRedirects)
            return;
        ++redirects;
        std::lock_guard<std::mutex> lock(infoMutex_);
        url = redirect_;
        url_ = redirect_;
    }

    std::unique_ptr<Block> current;
    {
        CriticalSection::Lock lock(listLock_);
        current = std::move(free_.front());
        free_.pop_front();
        if (free_.empty())
            freeBlock_.Reset();
    }
    connected_.Set();

    while (!endOfStream_) {
        if (!current) {
            freeBlock_.Wait();
            if (stop_)
                break;
            CriticalSection::Lock lock(listLock_);
            if (free_.empty()) {
                freeBlock_.Reset();
                continue;
            }
            current = std::move(free_.front());
            free_.pop_front();
            if (free_.empty())
                freeBlock_.Reset();
            current->filled = 0;
            current->read = 0;
        }
        if (!WaitReadable())
            break;
        const ssize_t got =
            recv(socket_, current->data + current->filled, kBlockSize - current->filled, 0);
        if (got < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                continue;
            break;
        }
        if (got == 0)
            endOfStream_ = true;
        else
            current->filled +=
                StripMetadata(current->data + current->filled, static_cast<size_t>(got));
        if (current->filled == kBlockSize || endOfStream_) {
            if (stop_)
                break;
            if (current->filled == 0)
                continue;
            CriticalSection::Lock lock(listLock_);
            filled_.push_back(std::move(current));
            dataAvailable_.Set();
        }
    }
    // A connection that broke off keeps what it brought: the partial block goes to the list
    // before the socket is seen closed.
    if (current && current->filled > 0 && !stop_) {
        CriticalSection::Lock lock(listLock_);
        filled_.push_back(std::move(current));
        dataAvailable_.Set();
    }
    CloseSocket();
}

void StreamClient::CloseSocket() {
    const int fd = socket_.exchange(-1);
    if (fd >= 0) {
        shutdown(fd, SHUT_RDWR);
        close(fd);
    }
}

bool StreamClient::WaitReadable() {
    for (int waited = 0; waited < kReceiveLimitMs; waited += kSliceMs) {
        if (stop_)
            return false;
        const int fd = socket_;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        timeval slice{0, kSliceMs * 1000};
        const int ready = select(fd + 1, &readable, nullptr, nullptr, &slice);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready > 0)
            return !stop_;
    }
    return false;
}

bool StreamClient::SendAll(const std::string& text) {
    size_t sent = 0;
    for (int waited = 0; sent < text.size();) {
        const ssize_t n = send(socket_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (stop_ || waited >= kReceiveLimitMs)
            return false;
        const int fd = socket_;
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(fd, &writable);
        timeval slice{0, kSliceMs * 1000};
        select(fd + 1, nullptr, &writable, nullptr, &slice);
        waited += kSliceMs;
    }
    return true;
}

bool StreamClient::ConnectSocket(const std::string& host, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
            return false;
        address.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
    }
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    socket_ = fd;
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        CloseSocket();
        return false;
    }
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return true;
    if (errno != EINPROGRESS) {
        CloseSocket();
        return false;
    }
    for (int waited = 0; waited < kConnectLimitMs && !stop_; waited += kSliceMs) {
        fd_set writable;
        fd_set failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(fd, &writable);
        FD_SET(fd, &failed);
        timeval slice{0, kSliceMs * 1000};
        const int ready = select(fd + 1, nullptr, &writable, &failed, &slice);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        int error = 0;
        socklen_t size = sizeof error;
        if (FD_ISSET(fd, &failed) || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 ||
            error != 0)
            break;
        return true;
    }
    CloseSocket();
    return false;
}

StreamClient::Request StreamClient::ConnectionRequest(const std::u16string& wideUrl) {
    StreamingOptions options = Options();
    const std::string url = TextCodec::WideToMultiByte(wideUrl, TextCodec::kAnsi);
    const std::string proxy =
        TextCodec::WideToMultiByte(FromArray(options.proxy, kTextLength), TextCodec::kAnsi);
    const std::string agent =
        TextCodec::WideToMultiByte(FromArray(options.userAgent, kTextLength), TextCodec::kAnsi);
    if (url.empty() || url.size() >= kTextLength || proxy.size() >= kTextLength ||
        agent.size() >= kTextLength)
        return Request::Failed;

    std::string host;
    int port = 80;
    std::string path;
    std::string hostHeader;
    if (options.useProxy && !proxy.empty()) {
        if (!ParseHostPort(proxy, host, port))
            return Request::Failed;
        path = url;
        // The Host header names the server the request is for, not the proxy.
        int urlPort = 80;
        if (!ParseHostPort(url, hostHeader, urlPort))
            return Request::Failed;
    } else {
        if (!ParseHostPort(url, host, port))
            return Request::Failed;
        path = PathOf(url);
        hostHeader = host;
    }
    if (!ConnectSocket(host, port))
        return Request::Failed;

    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: " + hostHeader +
                                "\r\nAccept: */*\r\nIcy-MetaData:1\r\nUser-Agent: " + agent +
                                "\r\n\r\n";
    if (!SendAll(request)) {
        CloseSocket();
        return Request::Failed;
    }

    char buffer[kHeaderBuffer] = {};
    size_t length = 0;
    int status = 0;
    size_t headerEnd = std::string_view::npos;
    while (headerEnd == std::string_view::npos) {
        if (length >= kHeaderBuffer - 1 || !WaitReadable()) {
            CloseSocket();
            return Request::Failed;
        }
        const ssize_t got = recv(socket_, buffer + length, kHeaderBuffer - 1 - length, 0);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            continue;
        if (got <= 0) {
            CloseSocket();
            return Request::Failed;
        }
        length += static_cast<size_t>(got);
        buffer[length] = 0;
        const std::string_view received(buffer, length);
        if (status == 0 && received.find('\n') != std::string_view::npos) {
            // The status is read after the first word, so "ICY 200 OK" passes as well.
            if (std::sscanf(buffer, " %*s %d", &status) != 1 || (status != 200 && status != 302)) {
                CloseSocket();
                return Request::Failed;
            }
        }
        headerEnd = received.find("\r\n\r\n");
    }
    if (status == 0) {
        if (std::sscanf(buffer, " %*s %d", &status) != 1 || (status != 200 && status != 302)) {
            CloseSocket();
            return Request::Failed;
        }
    }
    const std::string_view header(buffer, headerEnd + 2);

    if (status == 302) {
        CloseSocket();
        std::string location;
        const size_t at = header.find("Location: ");
        if (at == std::string_view::npos)
            return Request::Failed;
        const size_t start = at + 10;
        const size_t end = header.find_first_of("\r\n", start);
        location = std::string(header.substr(start, std::min(end - start, kValueLength)));
        if (location.empty())
            return Request::Failed;
        std::lock_guard<std::mutex> lock(infoMutex_);
        redirect_ = Wide(location);
        return Request::Redirect;
    }

    ReadHeaders(header);

    const size_t bodyStart = headerEnd + 4;
    CriticalSection::Lock lock(listLock_);
    if (free_.empty()) {
        CloseSocket();
        return Request::Failed;
    }
    Block& block = *free_.front();
    const size_t body = length - bodyStart;
    std::memcpy(block.data, buffer + bodyStart, body);
    block.filled = StripMetadata(block.data, body);
    block.read = 0;
    return Request::Ok;
}

void StreamClient::ReadHeaders(std::string_view header) {
    struct Field {
        std::string_view icy;
        std::string_view ice;
        std::u16string* target;
    };
    std::lock_guard<std::mutex> lock(infoMutex_);
    const Field fields[] = {{"icy-name", "ice-name", &stationName_},
                            {"icy-genre", "ice-genre", &genre_},
                            {"icy-url", "ice-url", &stationUrl_}};
    for (const Field& field : fields) {
        for (std::string_view name : {field.icy, field.ice}) {
            std::string value;
            if (HeaderValue(header, name, value)) {
                *field.target = Wide(value);
                icySeen_ = true;
            }
        }
    }
    metaInterval_ = 0;
    const size_t at = header.find("icy-metaint:");
    if (at != std::string_view::npos) {
        const long value = std::strtol(header.data() + at + 12, nullptr, 10);
        metaInterval_ = value > 0 ? value : 0;
    }
    metaCounter_ = metaInterval_;
    metaLength_ = 0;
}

size_t StreamClient::StripMetadata(uint8_t* data, size_t length) {
    if (metaInterval_ == 0)
        return length;
    size_t pos = 0; // bytes before `pos` are audio and stay
    for (;;) {
        if (metaCounter_ < 0) {
            // Inside a metadata block that began in an earlier receive.
            const size_t take = std::min(static_cast<size_t>(-metaCounter_), length - pos);
            if (metaLength_ + take <= sizeof metaBuffer_) {
                std::memcpy(metaBuffer_ + metaLength_, data + pos, take);
                metaLength_ += take;
            }
            std::memmove(data + pos, data + pos + take, length - pos - take);
            length -= take;
            metaCounter_ += static_cast<long>(take);
            if (metaCounter_ < 0)
                return length;
            MetadataComplete();
            metaCounter_ = metaInterval_;
            continue;
        }
        const size_t remaining = length - pos;
        if (static_cast<size_t>(metaCounter_) >= remaining) {
            metaCounter_ -= static_cast<long>(remaining);
            return length;
        }
        const size_t start = pos + static_cast<size_t>(metaCounter_);
        const size_t blockSize = static_cast<size_t>(data[start]) * 16 + 1;
        const size_t present = std::min(blockSize, length - start);
        if (blockSize > 1) {
            std::memcpy(metaBuffer_, data + start, present);
            metaLength_ = present;
        }
        std::memmove(data + start, data + start + present, length - start - present);
        length -= present;
        pos = start;
        if (present < blockSize) {
            metaCounter_ = -static_cast<long>(blockSize - present);
            return length;
        }
        if (blockSize > 1)
            MetadataComplete();
        metaCounter_ = metaInterval_;
    }
}

void StreamClient::MetadataComplete() {
    if (metaLength_ == 0 || metaLength_ != static_cast<size_t>(metaBuffer_[0]) * 16 + 1)
        return;
    const std::string_view text(reinterpret_cast<const char*>(metaBuffer_ + 1), metaLength_ - 1);
    const size_t at = text.find("StreamTitle=");
    if (at == std::string_view::npos)
        return;
    size_t start = at + 12;
    if (start < text.size() && text[start] == '\'')
        ++start;
    size_t end = text.find(';', start);
    if (end == std::string_view::npos)
        end = std::min(text.size(), text.find('\0', start));
    if (end > start && text[end - 1] == '\'')
        --end;
    const std::u16string title = Wide(text.substr(start, end - start));
    {
        std::lock_guard<std::mutex> lock(infoMutex_);
        lastTitle_ = title;
        ToArray(title, titleBuffer, kTextLength);
    }
    if (owner_)
        owner_->Post(WM_PLAYER_STREAMTITLE, reinterpret_cast<uintptr_t>(titleBuffer), 0);
}
