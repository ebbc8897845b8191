#include "engine/stream/StreamClient.h"

#include "engine/stream/StreamUrl.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <new>
#include <pthread.h>
#include <signal.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kSliceMs = 200;
constexpr int kReceiveLimitMs = 5000;
constexpr size_t kHeaderBuffer = 2048;
constexpr size_t kValueLength = 256;

char16_t titleBuffer[StreamClient::kTextLength] = {};

bool IsRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Where the body begins: after the empty line that ends the header. Lines may end in "\r\n" or
// in a bare "\n". npos while the header is incomplete.
size_t BodyStart(std::string_view text) {
    for (size_t line = 0;;) {
        const size_t end = text.find('\n', line);
        if (end == std::string_view::npos)
            return std::string_view::npos;
        if (line > 0 && (end == line || (end == line + 1 && text[line] == '\r')))
            return end + 1;
        line = end + 1;
    }
}

// The value of the header line "name: value", the name compared without case, blanks around
// the value dropped. False when no line has the name.
bool FieldValue(std::string_view header, std::string_view name, std::string& value) {
    for (size_t line = 0; line < header.size();) {
        size_t end = header.find('\n', line);
        if (end == std::string_view::npos)
            end = header.size();
        std::string_view text = header.substr(line, end - line);
        line = end + 1;
        if (text.size() <= name.size() || text[name.size()] != ':')
            continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(text[i])) == name[i];
        if (!same)
            continue;
        text.remove_prefix(name.size() + 1);
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix(1);
        value = std::string(text);
        return true;
    }
    return false;
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

StreamClient::StreamClient(MessageSink* owner) : m_owner(owner) {
    ToArray(u"Unknown", m_options.userAgent, kTextLength);
}

StreamClient::~StreamClient() {
    Stop();
}

const char16_t* StreamClient::SharedTitleBuffer() {
    return titleBuffer;
}

bool StreamClient::SetOptions(const StreamingOptions& options) {
    {
        CriticalSection::Lock lock(m_listLock);
        if (m_blocksAllocated > 0 || options.bufferSize < 2)
            return false;
    }
    std::lock_guard<std::mutex> lock(m_infoMutex);
    m_options.bufferSize = options.bufferSize;
    if (options.prebufferSize >= 2)
        m_options.prebufferSize = std::min(options.prebufferSize, options.bufferSize);
    else
        m_options.prebufferSize = std::min(m_options.prebufferSize, options.bufferSize);
    m_options.useProxy = options.useProxy;
    std::copy_n(options.proxy, kTextLength, m_options.proxy);
    std::copy_n(options.userAgent, kTextLength, m_options.userAgent);
    m_options.proxy[kTextLength - 1] = 0;
    m_options.userAgent[kTextLength - 1] = 0;
    return true;
}

StreamingOptions StreamClient::Options() const {
    std::lock_guard<std::mutex> lock(m_infoMutex);
    return m_options;
}

int StreamClient::BlockCount() const {
    return Options().bufferSize;
}

int StreamClient::PrebufferBlocks() const {
    return Options().prebufferSize;
}

std::u16string StreamClient::StationName() const {
    std::lock_guard<std::mutex> lock(m_infoMutex);
    return m_stationName;
}

std::u16string StreamClient::Genre() const {
    std::lock_guard<std::mutex> lock(m_infoMutex);
    return m_genre;
}

std::u16string StreamClient::StationUrl() const {
    std::lock_guard<std::mutex> lock(m_infoMutex);
    return m_stationUrl;
}

std::u16string StreamClient::LastTitle() const {
    std::lock_guard<std::mutex> lock(m_infoMutex);
    return m_lastTitle;
}

int StreamClient::FilledBlocks() const {
    CriticalSection::Lock lock(m_listLock);
    return static_cast<int>(m_filled.size());
}

bool StreamClient::Connect(std::u16string_view url) {
    CriticalSection::Lock lock(m_connectionLock);
    Stop();
    const int count = BlockCount();
    {
        CriticalSection::Lock listLock(m_listLock);
        for (int i = 0; i < count; ++i) {
            std::unique_ptr<Block> block(new (std::nothrow) Block);
            if (!block) {
                m_free.clear();
                m_blocksAllocated = 0;
                return false;
            }
            m_free.push_back(std::move(block));
        }
        m_blocksAllocated = count;
    }
    {
        std::lock_guard<std::mutex> info(m_infoMutex);
        m_url = std::u16string(url.substr(0, kTextLength - 1));
        m_redirect.clear();
        m_stationName.clear();
        m_genre.clear();
        m_stationUrl.clear();
        m_lastTitle.clear();
        m_error.clear();
    }
    m_gaveUp = false;
    m_freeBlock.Set();
    m_dataAvailable.Reset();
    m_stop = false;
    m_endOfStream = false;
    m_icySeen = false;
    m_connected.Reset();

    if (!m_thread.Start([this] { ReceiveThread(); })) {
        FreeBlocks();
        return false;
    }
    for (;;) {
        if (m_connected.Wait(20))
            return true;
        if (!m_thread.IsRunning()) {
            m_thread.Wait();
            if (m_connected.IsSignalled())
                return true;
            FreeBlocks();
            return false;
        }
    }
}

void StreamClient::Stop() {
    // The flag goes up before the lock so that a Connect in progress gives up promptly.
    m_stop = true;
    m_freeBlock.Set();
    m_dataAvailable.Set();
    CriticalSection::Lock lock(m_connectionLock);
    m_thread.Wait();
    FreeBlocks();
    m_stop = false;
    m_endOfStream = false;
    m_icySeen = false;
}

void StreamClient::FreeBlocks() {
    CriticalSection::Lock lock(m_listLock);
    m_free.clear();
    m_filled.clear();
    m_blocksAllocated = 0;
}

size_t StreamClient::Read(void* buffer, size_t length) {
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < length) {
        while (!m_dataAvailable.Wait(100)) {
            if (!SocketOpen())
                return done;
        }
        CriticalSection::Lock lock(m_listLock);
        if (m_filled.empty()) {
            // Stop signals the event; without a connection nothing will come.
            if (!SocketOpen() || m_stop)
                return done;
            m_dataAvailable.Reset();
            continue;
        }
        Block& block = *m_filled.front();
        const size_t n = std::min(length - done, block.filled - block.read);
        std::memcpy(out + done, block.data + block.read, n);
        block.read += n;
        done += n;
        if (block.read == block.filled) {
            block.read = 0;
            block.filled = 0;
            m_free.push_back(std::move(m_filled.front()));
            m_filled.pop_front();
            m_freeBlock.Set();
            if (m_filled.empty())
                m_dataAvailable.Reset();
        }
    }
    return done;
}

bool StreamClient::WaitForPrebuffer() {
    const int prebuffer = PrebufferBlocks();
    for (;;) {
        if (m_stop)
            return false;
        if (FilledBlocks() >= prebuffer)
            return true;
        // The receive thread has filed its last block: what arrived still plays, unless the
        // stream was given up.
        if (!SocketOpen())
            return !m_gaveUp && (m_endOfStream || FilledBlocks() > 0);
        Thread::Sleep(1);
    }
}

void StreamClient::ReceiveThread() {
    // OpenSSL writes with write(): a server gone while a request goes out must not end the
    // program with SIGPIPE. Held for this thread, the signal leaves a plain EPIPE.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    std::u16string url;
    {
        std::lock_guard<std::mutex> lock(m_infoMutex);
        url = m_url;
    }
    for (int redirects = 0;; ++redirects) {
        const Request result = ConnectionRequest(url);
        if (result == Request::Ok)
            break;
        if (result == Request::Failed || m_stop)
            return;
        if (redirects == kMaxRedirects) {
            SetError("more than " + std::to_string(kMaxRedirects) + " redirects");
            return;
        }
        std::lock_guard<std::mutex> lock(m_infoMutex);
        url = m_redirect;
        m_url = m_redirect;
    }
    ReceiveAudio();
    CloseSocket();
}

void StreamClient::ReceiveAudio() {
    std::unique_ptr<Block> current;
    {
        CriticalSection::Lock lock(m_listLock);
        current = std::move(m_free.front());
        m_free.pop_front();
        if (m_free.empty())
            m_freeBlock.Reset();
    }
    m_connected.Set();

    while (!m_endOfStream) {
        if (!current) {
            m_freeBlock.Wait();
            if (m_stop)
                return;
            CriticalSection::Lock lock(m_listLock);
            if (m_free.empty()) {
                m_freeBlock.Reset();
                continue;
            }
            current = std::move(m_free.front());
            m_free.pop_front();
            if (m_free.empty())
                m_freeBlock.Reset();
            current->filled = 0;
            current->read = 0;
        }
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kReceiveLimitMs);
        const long got = Receive(current->data + current->filled, kBlockSize - current->filled,
                                 deadline, "the server sent nothing for 5 s");
        if (got < 0)
            break;
        if (got == 0) {
            m_endOfStream = true;
        } else {
            const size_t audio =
                StripMetadata(current->data + current->filled, static_cast<size_t>(got));
            current->filled += audio;
            if (!MetadataInProportion(static_cast<size_t>(got), audio))
                return;
        }
        if (current->filled == kBlockSize || m_endOfStream) {
            if (m_stop)
                return;
            if (current->filled == 0)
                continue;
            CriticalSection::Lock lock(m_listLock);
            m_filled.push_back(std::move(current));
            m_dataAvailable.Set();
        }
    }
    // A connection that broke off keeps what it brought: the partial block goes to the list
    // before the socket is seen closed.
    if (current && current->filled > 0 && !m_stop) {
        CriticalSection::Lock lock(m_listLock);
        m_filled.push_back(std::move(current));
        m_dataAvailable.Set();
    }
}

void StreamClient::SetError(const std::string& text) {
    if (m_stop)
        return; // the owner ended the connection: nothing went wrong
    std::lock_guard<std::mutex> lock(m_infoMutex);
    m_error = text;
}

std::string StreamClient::LastError() const {
    std::lock_guard<std::mutex> lock(m_infoMutex);
    return m_error;
}

void StreamClient::CloseSocket() {
    m_tls.End();
    const int fd = m_socket.exchange(-1);
    if (fd >= 0) {
        shutdown(fd, SHUT_RDWR);
        close(fd);
    }
}

bool StreamClient::WaitFor(bool write, Deadline deadline) {
    for (;;) {
        if (m_stop)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        const int fd = m_socket;
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        timeval slice{0, static_cast<long>(std::min<long>(kSliceMs, left.count())) * 1000};
        const int ready =
            select(fd + 1, write ? nullptr : &set, write ? &set : nullptr, nullptr, &slice);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready > 0)
            return !m_stop;
    }
}

long StreamClient::Receive(uint8_t* buffer, size_t length, Deadline deadline, const char* late) {
    bool wantWrite = false;
    for (;;) {
        if (!m_tls.HasPending() && !WaitFor(wantWrite, deadline)) {
            SetError(late);
            return -1;
        }
        if (m_tls.Active()) {
            size_t got = 0;
            switch (m_tls.Read(buffer, length, got)) {
            case TlsSession::kDone:
                return static_cast<long>(got);
            case TlsSession::kClosed:
                return 0;
            case TlsSession::kWantRead:
                wantWrite = false;
                continue;
            case TlsSession::kWantWrite:
                wantWrite = true;
                continue;
            case TlsSession::kFailed:
                SetError(m_tls.Error());
                return -1;
            }
        }
        const ssize_t got = recv(m_socket, buffer, length, 0);
        if (got >= 0)
            return static_cast<long>(got);
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            SetError(std::string("receiving failed: ") + std::strerror(errno));
            return -1;
        }
    }
}

bool StreamClient::SendAll(const std::string& text, Deadline deadline) {
    size_t sent = 0;
    bool wantRead = false;
    while (sent < text.size()) {
        if (m_tls.Active()) {
            size_t n = 0;
            const TlsSession::Result result =
                m_tls.Write(text.data() + sent, text.size() - sent, n);
            sent += n;
            if (result == TlsSession::kFailed || result == TlsSession::kClosed) {
                SetError(m_tls.Error().empty() ? "the server closed the connection"
                                               : m_tls.Error());
                return false;
            }
            wantRead = result == TlsSession::kWantRead;
        } else {
            const ssize_t n = send(m_socket, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
            if (n > 0) {
                sent += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                SetError(std::string("sending the request failed: ") + std::strerror(errno));
                return false;
            }
        }
        if (sent < text.size() && !WaitFor(!wantRead, deadline)) {
            SetError("the request could not be sent in time");
            return false;
        }
    }
    return true;
}

// The system's name lookup can't be interrupted and may take long without a network, so it
// runs on a thread of its own while this one keeps to the deadline and the stop request; a
// lookup given up on finishes by itself and frees what it shares.
bool StreamClient::LookUp(const std::string& host, in_addr& found, Deadline deadline) {
    struct Lookup {
        std::mutex lock;
        std::condition_variable done;
        bool finished = false;
        bool ok = false;
        in_addr address{};
    };
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host] {
            addrinfo hints{};
            hints.ai_family = AF_INET;
            hints.ai_socktype = SOCK_STREAM;
            addrinfo* list = nullptr;
            const bool ok = getaddrinfo(host.c_str(), nullptr, &hints, &list) == 0 && list;
            std::lock_guard guard(lookup->lock);
            if (ok)
                lookup->address = reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_addr;
            if (list)
                freeaddrinfo(list);
            lookup->ok = ok;
            lookup->finished = true;
            lookup->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        SetError("cannot find the server " + host + ": no thread for the lookup");
        return false;
    }
    std::unique_lock guard(lookup->lock);
    while (!lookup->finished && !m_stop && std::chrono::steady_clock::now() < deadline)
        lookup->done.wait_for(guard, std::chrono::milliseconds(kSliceMs));
    if (!lookup->finished) {
        if (!m_stop)
            SetError("cannot find the server " + host + " in time");
        return false;
    }
    if (!lookup->ok) {
        SetError("cannot find the server " + host);
        return false;
    }
    found = lookup->address;
    return true;
}

bool StreamClient::ConnectSocket(const std::string& host, int port, Deadline deadline) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1 &&
        !LookUp(host, address.sin_addr, deadline))
        return false;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        SetError(std::string("no socket: ") + std::strerror(errno));
        return false;
    }
    m_socket = fd;
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        CloseSocket();
        return false;
    }
    const std::string where = host + ":" + std::to_string(port);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return true;
    if (errno != EINPROGRESS) {
        SetError("cannot connect to " + where + ": " + std::strerror(errno));
        CloseSocket();
        return false;
    }
    while (!m_stop && std::chrono::steady_clock::now() < deadline) {
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
            error != 0) {
            SetError("cannot connect to " + where + ": " + std::strerror(error ? error : EIO));
            CloseSocket();
            return false;
        }
        return true;
    }
    SetError("no connection to " + where + " in time");
    CloseSocket();
    return false;
}

bool StreamClient::StartTls(const std::string& host, Deadline deadline) {
    if (!m_tls.Begin(m_socket, host)) {
        SetError(m_tls.Error());
        return false;
    }
    for (;;) {
        const TlsSession::Result result = m_tls.Handshake();
        if (result == TlsSession::kDone)
            return true;
        if (result == TlsSession::kFailed || result == TlsSession::kClosed) {
            SetError(m_tls.Error().empty() ? "the server closed the connection during the TLS "
                                             "handshake"
                                           : m_tls.Error());
            return false;
        }
        if (!WaitFor(result == TlsSession::kWantWrite, deadline)) {
            SetError("the TLS handshake took too long");
            return false;
        }
    }
}

bool StreamClient::OpenTunnel(const std::string& host, int port, const std::string& agent,
                              Deadline deadline) {
    const std::string where = host + ":" + std::to_string(port);
    if (!SendAll("CONNECT " + where + " HTTP/1.0\r\nHost: " + where + "\r\nUser-Agent: " + agent +
                     "\r\n\r\n",
                 deadline))
        return false;
    char buffer[kHeaderBuffer] = {};
    size_t length = 0, bodyStart = 0;
    int status = 0;
    return ReceiveHeader(buffer, sizeof buffer, length, bodyStart, status, deadline,
                         [](int code) { return code / 100 == 2; });
}

bool StreamClient::ReceiveHeader(char* buffer, size_t size, size_t& length, size_t& bodyStart,
                                 int& status, Deadline deadline, bool (*acceptable)(int)) {
    length = 0;
    status = 0;
    const std::string late =
        "no complete answer within " + std::to_string(kRequestLimit.count()) + " s";
    for (;;) {
        if (length >= size - 1) {
            SetError("the answer's header is longer than " + std::to_string(size - 1) + " bytes");
            return false;
        }
        const long got = Receive(reinterpret_cast<uint8_t*>(buffer) + length, size - 1 - length,
                                 deadline, late.c_str());
        if (got == 0)
            SetError("the server closed the connection without an answer");
        if (got <= 0)
            return false;
        length += static_cast<size_t>(got);
        buffer[length] = 0;
        const std::string_view received(buffer, length);
        const size_t lineEnd = received.find('\n');
        if (status == 0 && lineEnd != std::string_view::npos) {
            // The status is read after the first word, so "ICY 200 OK" passes as well.
            if (std::sscanf(buffer, " %*s %d", &status) != 1 || !acceptable(status)) {
                std::string line(received.substr(0, std::min<size_t>(lineEnd, 80)));
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                SetError("the server answered \"" + line + "\"");
                return false;
            }
        }
        bodyStart = BodyStart(received);
        if (bodyStart != std::string_view::npos)
            return true;
    }
}

StreamClient::Request StreamClient::ConnectionRequest(const std::u16string& wideUrl) {
    const Deadline deadline = std::chrono::steady_clock::now() + kRequestLimit;
    StreamingOptions options = Options();
    const std::string url = TextCodec::WideToMultiByte(wideUrl, TextCodec::kAnsi);
    const std::string proxy =
        TextCodec::WideToMultiByte(FromArray(options.proxy, kTextLength), TextCodec::kAnsi);
    const std::string agent =
        TextCodec::WideToMultiByte(FromArray(options.userAgent, kTextLength), TextCodec::kAnsi);
    if (url.empty() || url.size() >= kTextLength || proxy.size() >= kTextLength ||
        agent.size() >= kTextLength) {
        SetError(url.empty() ? "no address" : "the address is too long");
        return Request::Failed;
    }

    StreamUrl target;
    if (!target.Parse(url)) {
        SetError("not a stream address: " + url);
        return Request::Failed;
    }
    const bool proxied = options.useProxy && !proxy.empty();
    StreamUrl server = target;
    if (proxied && !server.Parse(proxy)) {
        SetError("not a proxy address: " + proxy);
        return Request::Failed;
    }
    if (!ConnectSocket(server.Host(), server.Port(), deadline))
        return Request::Failed;
    // Through a proxy, plain http asks for the whole address; https goes through a tunnel.
    std::string path = target.Path();
    if (target.Secure()) {
        if ((proxied && !OpenTunnel(target.Host(), target.Port(), agent, deadline)) ||
            !StartTls(target.Host(), deadline)) {
            CloseSocket();
            return Request::Failed;
        }
    } else if (proxied) {
        path = url;
    }

    // The Host header names the server the request is for, not the proxy.
    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: " + target.Host() +
                                "\r\nAccept: */*\r\nIcy-MetaData:1\r\nUser-Agent: " + agent +
                                "\r\n\r\n";
    if (!SendAll(request, deadline)) {
        CloseSocket();
        return Request::Failed;
    }

    char buffer[kHeaderBuffer] = {};
    size_t length = 0, bodyStart = 0;
    int status = 0;
    if (!ReceiveHeader(buffer, sizeof buffer, length, bodyStart, status, deadline,
                       [](int code) { return code == 200 || IsRedirect(code); })) {
        CloseSocket();
        return Request::Failed;
    }
    const std::string_view header(buffer, bodyStart);

    if (IsRedirect(status)) {
        CloseSocket();
        std::string location;
        if (!FieldValue(header, "location", location) || location.empty()) {
            SetError("the server redirects without saying where");
            return Request::Failed;
        }
        const std::string next = target.Resolve(location);
        if (next.size() >= kTextLength) {
            SetError("the server redirects to an address longer than " +
                     std::to_string(kTextLength - 1) + " characters");
            return Request::Failed;
        }
        std::lock_guard<std::mutex> lock(m_infoMutex);
        m_redirect = Wide(next);
        return Request::Redirect;
    }

    ReadHeaders(header);

    CriticalSection::Lock lock(m_listLock);
    if (m_free.empty()) {
        CloseSocket();
        return Request::Failed;
    }
    Block& block = *m_free.front();
    const size_t body = length - bodyStart;
    std::memcpy(block.data, buffer + bodyStart, body);
    block.filled = StripMetadata(block.data, body);
    block.read = 0;
    if (!MetadataInProportion(body, block.filled)) {
        CloseSocket();
        return Request::Failed;
    }
    return Request::Ok;
}

void StreamClient::ReadHeaders(std::string_view header) {
    struct Field {
        std::string_view icy;
        std::string_view ice;
        std::u16string* target;
    };
    std::lock_guard<std::mutex> lock(m_infoMutex);
    const Field fields[] = {{"icy-name", "ice-name", &m_stationName},
                            {"icy-genre", "ice-genre", &m_genre},
                            {"icy-url", "ice-url", &m_stationUrl}};
    for (const Field& field : fields) {
        for (std::string_view name : {field.icy, field.ice}) {
            std::string value;
            if (HeaderValue(header, name, value)) {
                *field.target = Wide(value);
                m_icySeen = true;
            }
        }
    }
    m_metaInterval = 0;
    const size_t at = header.find("icy-metaint:");
    if (at != std::string_view::npos) {
        const long value = std::strtol(header.data() + at + 12, nullptr, 10);
        m_metaInterval = value > 0 ? value : 0;
    }
    m_metaCounter = m_metaInterval;
    m_metaLength = 0;
    m_windowReceived = 0;
    m_windowAudio = 0;
}

bool StreamClient::MetadataInProportion(size_t received, size_t audio) {
    if (m_metaInterval == 0)
        return true;
    m_windowReceived += received;
    m_windowAudio += audio;
    if (m_windowReceived < kMetadataWindow)
        return true;
    const bool fine = m_windowAudio * 2 >= m_windowReceived;
    m_windowReceived = 0;
    m_windowAudio = 0;
    if (!fine) {
        // A "stream" of titles with a byte of audio between them: decoding it would only burn
        // the processor.
        m_gaveUp = true;
        SetError("the stream carries more metadata than audio (icy-metaint " +
                 std::to_string(m_metaInterval) + "); given up");
    }
    return fine;
}

size_t StreamClient::StripMetadata(uint8_t* data, size_t length) {
    if (m_metaInterval == 0)
        return length;
    size_t pos = 0; // bytes before `pos` are audio and stay
    for (;;) {
        if (m_metaCounter < 0) {
            // Inside a metadata block that began in an earlier receive.
            const size_t take = std::min(static_cast<size_t>(-m_metaCounter), length - pos);
            if (m_metaLength + take <= sizeof m_metaBuffer) {
                std::memcpy(m_metaBuffer + m_metaLength, data + pos, take);
                m_metaLength += take;
            }
            std::memmove(data + pos, data + pos + take, length - pos - take);
            length -= take;
            m_metaCounter += static_cast<long>(take);
            if (m_metaCounter < 0)
                return length;
            MetadataComplete();
            m_metaCounter = m_metaInterval;
            continue;
        }
        const size_t remaining = length - pos;
        if (static_cast<size_t>(m_metaCounter) >= remaining) {
            m_metaCounter -= static_cast<long>(remaining);
            return length;
        }
        const size_t start = pos + static_cast<size_t>(m_metaCounter);
        const size_t blockSize = static_cast<size_t>(data[start]) * 16 + 1;
        const size_t present = std::min(blockSize, length - start);
        if (blockSize > 1) {
            std::memcpy(m_metaBuffer, data + start, present);
            m_metaLength = present;
        }
        std::memmove(data + start, data + start + present, length - start - present);
        length -= present;
        pos = start;
        if (present < blockSize) {
            m_metaCounter = -static_cast<long>(blockSize - present);
            return length;
        }
        if (blockSize > 1)
            MetadataComplete();
        m_metaCounter = m_metaInterval;
    }
}

void StreamClient::MetadataComplete() {
    if (m_metaLength == 0 || m_metaLength != static_cast<size_t>(m_metaBuffer[0]) * 16 + 1)
        return;
    const std::string_view text(reinterpret_cast<const char*>(m_metaBuffer + 1), m_metaLength - 1);
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
        std::lock_guard<std::mutex> lock(m_infoMutex);
        m_lastTitle = title;
        ToArray(title, titleBuffer, kTextLength);
    }
    if (m_owner)
        m_owner->Post(WM_PLAYER_STREAMTITLE, reinterpret_cast<uintptr_t>(titleBuffer), 0);
}
